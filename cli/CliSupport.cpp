#include "cli/CliSupport.h"

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
    const QByteArray bytes = document.toJson(QJsonDocument::Indented);
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
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
