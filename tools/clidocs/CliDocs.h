#pragma once
#include <QString>
#include <QStringList>

#include <vector>

namespace quaverly::tools {

/// One option of a command as its --help lists it.
struct CliOption
{
    QStringList names; // as written: "-h", "--help"
    QString valueName; // "DIR" for "--to <DIR>"; "" for a switch
    QString description;
};

/// One positional argument as --help lists it.
struct CliArgument
{
    QString name; // "ROOT"
    QString description;
};

/// One command of quaverly-cli, read from its help texts.
struct CliCommand
{
    QString name;
    QString summary;     // the line of "quaverly-cli --help"
    QString usage;       // what follows "quaverly-cli NAME" in the usage line
    QStringList details; // the description lines under the usage line
    std::vector<CliOption> options;
    std::vector<CliArgument> arguments;
};

/// The commands listed under "Commands:" in the help of quaverly-cli
/// (name and summary only); empty when there is no such list.
[[nodiscard]] std::vector<CliCommand> parseCommandList(const QString& help);

/// Fills `command`'s usage, details, options and arguments from its --help.
/// False when the text does not look like a command's help (no usage line
/// naming quaverly-cli and the command).
[[nodiscard]] bool parseCommandHelp(const QString& help, CliCommand& command);

/// Text for a roff (man) page: backslashes and hyphens escaped, and a line
/// starting with "." or "'" kept from being read as a request.
[[nodiscard]] QString roffEscape(const QString& text);

/// The manual page: `manTemplate` with @VERSION@ and @COMMANDS@ (a section
/// describing every command, its options and arguments) filled in.
[[nodiscard]] QString manPage(const std::vector<CliCommand>& commands, const QString& manTemplate,
                              const QString& version);

/// A bash completion script for quaverly-cli: the commands, each command's
/// options, folders and files for paths, nothing for other values.
[[nodiscard]] QString bashCompletion(const std::vector<CliCommand>& commands);

} // namespace quaverly::tools
