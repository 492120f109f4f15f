// Quaverly: finds the iPod, loads its database and shows the browser.
//
//   quaverly [ROOT]                      ROOT: an iPod folder or an iTunesDB path
//   quaverly --screenshot FILE [ROOT]    starts as usual, saves the filled main
//                                        window to FILE (PNG) and exits
//   quaverly --version                   prints the version
//   quaverly --paths                     prints where the companions and the
//                                        help file were found
//   quaverly --help                      prints the usage
#include "device/IpodDiscovery.h"
#include "device/ProgramLayout.h"
#include "media/ui/CoverArtPanels.h"
#include "startup/SingleInstance.h"
#include "startup/app/ConsolePromptService.h"
#include "startup/app/Wiring.h"
#include "startup/ui/StartupFlow.h"
#include "ui/QtPromptService.h"
#include "ui/widgets/ProjectLinks.h"
#include "ui/widgets/Skin.h"
#include "updates/UpdateHandOver.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>

#include <clocale>
#include <cstdio>
#include <memory>

using namespace quaverly;

namespace {

constexpr qint64 kCoverWaitMs = 3000;

struct Arguments
{
    QString commandLine; // the iPod argument, all words joined by blanks
    QString screenshotFile;
    bool screenshot = false;
    bool valid = true;
};

Arguments parseArguments(QStringList args)
{
    Arguments parsed;
    if (!args.isEmpty() && args.constFirst() == QLatin1String("--screenshot")) {
        parsed.screenshot = true;
        args.removeFirst();
        if (args.isEmpty()) {
            parsed.valid = false;
            return parsed;
        }
        parsed.screenshotFile = args.takeFirst();
    }
    parsed.commandLine = args.join(QLatin1Char(' '));
    return parsed;
}

void takeScreenshot(QWidget* window, const QString& file, qint64 startupMs, qint64 heldMs)
{
    const bool saved = window && window->grab().save(file, "PNG");
    if (!saved) {
        std::fprintf(stderr, "quaverly: could not write the screenshot %s\n", qPrintable(file));
        QCoreApplication::exit(1);
        return;
    }
    std::fprintf(stderr,
                 "quaverly: main window shown %lld ms after launch (the loading window's hold of %lld ms "
                 "not counted)\n",
                 static_cast<long long>(startupMs), static_cast<long long>(heldMs));
    QCoreApplication::exit(0);
}

constexpr const char* kUsage = "Usage: quaverly [ROOT]\n"
                               "       quaverly --screenshot FILE [ROOT]\n"
                               "       quaverly --version | --paths | --help\n"
                               "\n"
                               "Browses and plays the songs on a classic iPod. ROOT is the iPod's folder (or its\n"
                               "iTunesDB); without it the attached iPod is found, else the demo iPod is offered.\n"
                               "\n"
                               "  --screenshot FILE  start as usual, save the filled main window to FILE (PNG), exit\n"
                               "  --version          print the version\n"
                               "  --paths            print where the companions and the help file were found\n"
                               "  --help             print this text\n"
                               "\n"
                               "quaverly-cli does the same work without a window (quaverly-cli --help).\n";

/// A window needs a display: without one Qt would abort with a plugin error.
bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

/// The options that need no window: answered before any display is opened.
/// Answers the exit status, or -1 when `option` is not one of them.
int runConsoleOption(int argc, char* argv[])
{
    const QByteArray option = argc == 2 ? QByteArray(argv[1]) : QByteArray();
    if (option == "--help" || option == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (option != "--version" && option != "--paths") {
        if (!hasDisplay()) {
            std::fprintf(stderr,
                         "quaverly: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are not "
                         "set); quaverly-cli works without one\n");
            return 1;
        }
        return -1;
    }
    QCoreApplication app(argc, argv);
    if (option == "--version") {
        std::printf("quaverly %s\n", QUAVERLY_VERSION);
        return 0;
    }
    const device::ProgramLayout layout = device::currentProgramLayout();
    const QString help = ui::links::programDocument(QLatin1String(ui::links::kHelpFileName));
    std::printf("program: %s\ncompanions: %s\nhelp: %s\n", qPrintable(layout.programDir),
                qPrintable(layout.companionDir), qPrintable(help));
    int missing = 0;
    for (const char* name : device::kCompanionNames) {
        if (!QFileInfo(QDir(layout.companionDir).filePath(QLatin1String(name))).isExecutable()) {
            std::fprintf(stderr, "quaverly: %s is missing from %s\n", name, qPrintable(layout.companionDir));
            ++missing;
        }
    }
    if (help.isEmpty())
        std::fprintf(stderr, "quaverly: %s was not found\n", ui::links::kHelpFileName);
    return missing == 0 && !help.isEmpty() ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QElapsedTimer launch;
    launch.start();
    if (const int status = runConsoleOption(argc, argv); status >= 0)
        return status;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quaverly"));
    QApplication::setApplicationVersion(QStringLiteral(QUAVERLY_VERSION));
    // The desktop entry's name: desktops match the window (Wayland app id) to its icon and entry.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUAVERLY_APP_ID));
    // libmpv refuses other numeric locales; set before any thread starts.
    std::setlocale(LC_NUMERIC, "C"); // NOLINT(concurrency-mt-unsafe)
    ui::Skin::applyApplicationLook();

    const Arguments args = parseArguments(QApplication::arguments().mid(1));
    if (!args.valid) {
        std::fprintf(stderr,
                     "usage: quaverly [ROOT]\n       quaverly --screenshot FILE [ROOT]\n"
                     "       quaverly --version | --paths\n");
        return 2;
    }
    // A screenshot run is a tool run: it does not count as the running copy.
    startup::SingleInstance instance;
    if (!args.screenshot && !instance.tryAcquire())
        return 0; // a second copy ends silently

    std::unique_ptr<ui::PromptService> prompts;
    if (args.screenshot)
        prompts = std::make_unique<startup::ConsolePromptService>();
    else
        prompts = std::make_unique<ui::QtPromptService>();

    QPointer<media::CoverArtPanels> covers;
    startup::StartupFlow* flowForReopen = nullptr; // set once the flow exists
    const auto openIpod = [&flowForReopen](const QString& root) {
        if (flowForReopen)
            flowForReopen->openIpod(root);
    };
    startup::StartupFlow flow(*prompts,
                              [openIpod, &covers](const database::LoadResult& load, settings::mdlOptions& options,
                                                  ui::PromptService& prompter) -> QWidget* {
                                  const startup::MainWindow built = startup::buildMainWindow(load, options, prompter,
                                                                                             openIpod);
                                  covers = built.covers;
                                  return built.window;
                              });
    flowForReopen = &flow;
    flow.setUpdateInstaller([&prompts] {
        const updates::UpdateResult result = updates::InstallUpdates(updates::UpdateContext::currentProgram(),
                                                                     *prompts);
        if (result.error == updates::UpdateError::StartFailed)
            prompts->show(QStringLiteral("Update Failed!"),
                          QStringLiteral("The Quaverly Updater could not be started, so the update was not installed."),
                          ui::PromptIcon::Critical);
        else if (!result.notRemoved.isEmpty())
            prompts->show(QStringLiteral("Update Problem!"),
                          QStringLiteral("These downloaded updates could not be deleted:\n")
                              + result.notRemoved.join(QLatin1Char('\n')),
                          ui::PromptIcon::Warning);
    });
    QObject::connect(&flow, &startup::StartupFlow::ended, &app, [&args] {
        QMetaObject::invokeMethod(
            qApp, [code = args.screenshot ? 1 : 0] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
    });
    // Closing the main window ends the program, even when it was hidden to the tray.
    QObject::connect(&flow, &startup::StartupFlow::mainWindowClosed, &app, [] { QCoreApplication::exit(0); });
    if (args.screenshot) {
        QObject::connect(&flow, &startup::StartupFlow::mainWindowShown, &app,
                         [&flow, &args, &launch, &covers](QWidget* w) {
                             const qint64 beforeStart = launch.elapsed() - flow.startupMs() - flow.heldMs();
                             // The covers are read off the window's thread; the picture waits for them.
                             auto* settle = new QTimer(w);
                             const auto waited = std::make_shared<QElapsedTimer>();
                             waited->start();
                             QObject::connect(settle, &QTimer::timeout, w, [=, &args, &flow, &covers] {
                                 if (covers && covers->busy() && waited->elapsed() < kCoverWaitMs)
                                     return;
                                 settle->stop();
                                 takeScreenshot(w, args.screenshotFile, beforeStart + flow.startupMs(), flow.heldMs());
                             });
                             settle->start(200);
                         });
    }
    QTimer::singleShot(0, &flow, [&flow, &args] {
        flow.start(args.commandLine, device::scanCandidates(), QCoreApplication::applicationDirPath());
    });
    return QApplication::exec();
}
