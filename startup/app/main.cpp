// Quaverly: finds the iPod, loads its database and shows the browser.
//
//   quaverly [ROOT]                      ROOT: an iPod folder or an iTunesDB path
//   quaverly --screenshot FILE [ROOT]    starts as usual, saves the filled main
//                                        window to FILE (PNG) and exits
#include "browser/ui/frmMain.h"
#include "devicetools/ui/ToolWindows.h"
#include "media/ui/CoverArtPanels.h"
#include "playback/ui/PlaybackController.h"
#include "startup/IpodDiscovery.h"
#include "startup/SingleInstance.h"
#include "startup/app/ConsolePromptService.h"
#include "startup/ui/StartupFlow.h"
#include "ui/QtPromptService.h"
#include "ui/widgets/Skin.h"
#include "updates/UpdateHandOver.h"

#include <QApplication>
#include <QElapsedTimer>
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

} // namespace

int main(int argc, char* argv[])
{
    QElapsedTimer launch;
    launch.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quaverly"));
    QApplication::setApplicationVersion(QStringLiteral(QUAVERLY_VERSION));
    // libmpv refuses other numeric locales; set before any thread starts.
    std::setlocale(LC_NUMERIC, "C"); // NOLINT(concurrency-mt-unsafe)
    ui::Skin::applyApplicationLook();

    const Arguments args = parseArguments(QApplication::arguments().mid(1));
    if (!args.valid) {
        std::fprintf(stderr, "usage: quaverly [ROOT]\n       quaverly --screenshot FILE [ROOT]\n");
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
    startup::StartupFlow flow(*prompts,
                              [&covers](const database::LoadResult& load, settings::mdlOptions& options,
                                        ui::PromptService& prompter) -> QWidget* {
                                  auto* window = new browser::frmMain(load.library, options, prompter);
                                  auto* playback = playback::PlaybackController::attach(*window, load, options,
                                                                                        prompter);
                                  devicetools::ToolWindows::attach(*window, load, options, prompter);
                                  covers = media::CoverArtPanels::attach(*window, &playback->control());
                                  return window;
                              });
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
        flow.start(args.commandLine, startup::ScanCandidates(), QCoreApplication::applicationDirPath());
    });
    return QApplication::exec();
}
