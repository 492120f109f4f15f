#pragma once
#include <QCommandLineParser>
#include <QJsonDocument>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace quaverly::cli {

class OutputStream;

/// Exit statuses of quaverly-cli.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

/// One subcommand. `run` gets the arguments starting with the command's own
/// name (as QCommandLineParser expects) and answers the exit status.
struct Command
{
    QString name;
    QString summary;
    std::function<int(const QStringList& args)> run;
};
using Registry = std::vector<Command>;

/// Each group of commands adds itself here (one file per subsystem).
void registerStartupCommands(Registry& registry);
void registerDatabaseCommands(Registry& registry);
void registerBrowserCommands(Registry& registry);
void registerExportCommands(Registry& registry);
void registerDeviceCommands(Registry& registry);
void registerPlaybackCommands(Registry& registry);
void registerPlaysCommands(Registry& registry);
void registerMediaCommands(Registry& registry);

/// Parses `args`; on a usage error prints it with the help and answers
/// kExitUsage, on --help prints the help and answers kExitOk, else nullopt.
[[nodiscard]] std::optional<int> parseArguments(QCommandLineParser& parser, const QStringList& args);

/// One line on stderr, then kExitFailure.
int fail(const QString& message);
/// One line on stderr, then kExitUsage.
int usage(const QString& message);
/// Writes a small document built in memory as UTF-8 JSON (indented, see
/// JsonWriter) and a line end to stdout. Listings stream through JsonWriter.
void printJson(const QJsonDocument& document);
/// Ends a command that wrote its output through `out`: kExitOk when every
/// byte was written, else one line on stderr and kExitFailure.
[[nodiscard]] int finishOutput(OutputStream& out);
/// After a command: when stdout could not be written (a full disk, a closed
/// pipe), one line on stderr and kExitFailure instead of `status`.
[[nodiscard]] int checkStdout(int status);
/// Writes a UTF-8 line to stdout / stderr.
void printLine(const QString& text);
void printError(const QString& text);

} // namespace quaverly::cli
