#include "cli/CliSupport.h"

#include "cli/output/JsonWriter.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cerrno>
#include <cstdio>

namespace quaverly::cli {

std::optional<int> parseArguments(QCommandLineParser& parser, const QStringList& args)
{
    const QCommandLineOption help(QStringList { QStringLiteral("h"), QStringLiteral("help") },
                                  QStringLiteral("Show this help."));
    parser.addOption(help);
    if (!parser.parse(args)) {
        printError(parser.errorText());
        std::fputs(qPrintable(parser.helpText()), stderr);
        return kExitUsage;
    }
    if (parser.isSet(help)) {
        std::fputs(parser.helpText().toUtf8().constData(), stdout);
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
