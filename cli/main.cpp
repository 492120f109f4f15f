// quaverly-cli: the headless face of Quaverly. Every subcommand prints its
// results on stdout (JSON where asked) and its warnings on stderr, and ends
// with 0 on success, 1 on failure and 2 on a usage error.
#include "cli/CliSupport.h"
#include "device/DeviceGuard.h"

#include <QCoreApplication>

#include <clocale>
#include <cstdio>

using namespace quaverly::cli;

namespace {

void printUsage(const Registry& registry, std::FILE* out)
{
    QString text = QStringLiteral("Usage: quaverly-cli COMMAND [options] [arguments]\n\nCommands:\n");
    for (const Command& command : registry)
        text += QStringLiteral("  %1  %2\n").arg(command.name, -12).arg(command.summary);
    text += QStringLiteral("\nRun quaverly-cli COMMAND --help for the options of a command.\n");
    std::fputs(text.toUtf8().constData(), out);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quaverly-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUAVERLY_VERSION));
    // libmpv (play) refuses other numeric locales; set before any thread starts.
    std::setlocale(LC_NUMERIC, "C"); // NOLINT(concurrency-mt-unsafe)

    // A name whose bytes are not valid UTF-8 cannot be held as text without
    // changing it: reading or writing the changed name would touch another
    // file. Such arguments are refused instead.
    for (int i = 1; i < argc; ++i) {
        if (!quaverly::device::isFaithfulFileName(QByteArray(argv[i]))) {
            printError(QStringLiteral("Cannot use the argument \"%1\": it is not valid UTF-8 (a file name from another "
                                      "system?). Rename the file or folder, or give another path.")
                           .arg(QString::fromLocal8Bit(argv[i])));
            return kExitFailure;
        }
    }

    Registry registry;
    registerStartupCommands(registry);
    registerDatabaseCommands(registry);
    registerBrowserCommands(registry);
    registerExportCommands(registry);
    registerDeviceCommands(registry);
    registerPlaybackCommands(registry);
    registerPlaysCommands(registry);
    registerMediaCommands(registry);

    QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        printUsage(registry, stderr);
        return kExitUsage;
    }
    const QString& name = args.at(1);
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        printUsage(registry, stdout);
        return kExitOk;
    }
    if (name == QLatin1String("--version") || name == QLatin1String("-v")) {
        printLine(QStringLiteral("quaverly-cli ") + QCoreApplication::applicationVersion());
        return checkStdout(kExitOk);
    }
    for (const Command& command : registry) {
        if (command.name == name)
            return checkStdout(command.run(args.mid(1)));
    }
    printError(QStringLiteral("Unknown command: ") + name);
    printUsage(registry, stderr);
    return kExitUsage;
}
