#include "cli/CliSupport.h"

#include "cli/output/JsonWriter.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cerrno>
#include <cstdio>

namespace quaverly::cli {
namespace {

/// The parser's help with its usage line naming the command as it is typed
/// ("Usage: quaverly-cli songs [options] ROOT"), not the path of the program.
QString commandHelp(const QCommandLineParser& parser, const QStringList& args)
{
    QString text = parser.helpText();
    const QString usage = QStringLiteral("Usage: ");
    const QString options = QStringLiteral(" [options]");
    const qsizetype lineEnd = text.indexOf(QLatin1Char('\n'));
    const qsizetype at = text.indexOf(options);
    if (!args.isEmpty() && text.startsWith(usage) && at > 0 && (lineEnd < 0 || at < lineEnd))
        text.replace(0, at, usage + QStringLiteral("quaverly-cli ") + args.constFirst());
    return text;
}

} // namespace

std::optional<int> parseArguments(QCommandLineParser& parser, const QStringList& args)
{
    const QCommandLineOption help(QStringList { QStringLiteral("h"), QStringLiteral("help") },
                                  QStringLiteral("Show this help."));
    parser.addOption(help);
    if (!parser.parse(args)) {
        printError(parser.errorText());
        std::fputs(commandHelp(parser, args).toUtf8().constData(), stderr);
        return kExitUsage;
    }
    if (parser.isSet(help)) {
        std::fputs(commandHelp(parser, args).toUtf8().constData(), stdout);
        return kExitOk;
    }
    return std::nullopt;
}

int fail(const QString& message)
{
    printError(message);
    return kExitFailure;
}

int usage(const QString& message)
{
    printError(message);
    return kExitUsage;
}

void printJson(const QJsonDocument& document)
{
    OutputStream out(stdout);
    JsonWriter json(out);
    if (document.isArray())
        json.value(QJsonValue(document.array()));
    else
        json.value(QJsonValue(document.object()));
    out.finish(); // a failure shows in checkStdout at the end
}

int finishOutput(OutputStream& out)
{
    if (out.finish())
        return kExitOk;
    std::clearerr(stdout);
    return fail(QStringLiteral("Cannot write the output: ") + out.errorString());
}

int checkStdout(int status)
{
    if (status != kExitOk)
        return status; // the command has said what went wrong
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return status;
    const int error = errno != 0 ? errno : EIO;
    std::clearerr(stdout);
    printError(QStringLiteral("Cannot write the output: ") + qt_error_string(error));
    return kExitFailure;
}

void printLine(const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

void printError(const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace quaverly::cli
