#pragma once
#include <QPointer>

#include <functional>

class QString;
class QWidget;

namespace quaverly::browser {
class frmMain;
}
namespace quaverly::database {
struct LoadResult;
}
namespace quaverly::desktop {
class DesktopIntegration;
class WindowMediaPlayer;
struct DesktopPlace;
} // namespace quaverly::desktop
namespace quaverly::devicetools {
class ToolWindows;
struct ToolWindowsPlace;
} // namespace quaverly::devicetools
namespace quaverly::exporting {
class ExportWindows;
}
namespace quaverly::media {
class CoverArtPanels;
struct CoverArtPlace;
} // namespace quaverly::media
namespace quaverly::playback {
class PlaybackController;
struct PlaybackWindow;
} // namespace quaverly::playback
namespace quaverly::settings {
class mdlOptions;
}
namespace quaverly::ui {
class PromptService;
}

/// The one place where windows meet controllers: the main window and its
/// menus say what the user asked for (intent signals), the controllers do it.
/// No window library knows another subsystem's controller; only this does.
namespace quaverly::startup {

/// The parts of the main window that playback drives.
[[nodiscard]] playback::PlaybackWindow playbackWindow(browser::frmMain& window);
/// Play control: the window's play, open and playlist intents, the tray
/// menu's transport, the players menu and the spectrum items; and back, the
/// playing song's rows, the ratings, the tray's song line and the players.
void wirePlayback(browser::frmMain& window, playback::PlaybackController& playback);
/// The main window as the tool windows see it.
[[nodiscard]] devicetools::ToolWindowsPlace toolWindowsPlace(browser::frmMain& window);
/// The copying windows: Extract and "Export plays...".
void wireExportWindows(browser::frmMain& window, exporting::ExportWindows& exports);
/// The tool windows: the "&Extras" items and the eject on close.
void wireToolWindows(browser::frmMain& window, devicetools::ToolWindows& tools);
/// The parts of the main window the covers use.
[[nodiscard]] media::CoverArtPlace coverArtPlace(browser::frmMain& window);
/// The album list's clicks for the album cover.
void wireCovers(browser::frmMain& window, media::CoverArtPanels& covers);
/// The playing song's cover for the desktop's media controls (mpris:artUrl).
void wireCovers(media::CoverArtPanels& covers, desktop::WindowMediaPlayer& player);

/// The main window and its player as the desktop's side sees them.
[[nodiscard]] desktop::DesktopPlace desktopPlace(browser::frmMain& window, playback::PlaybackController& playback);
/// The open iPod unmounted (hot-plug): the window's device commands go.
void wireDesktop(desktop::DesktopIntegration& desktop, browser::frmMain& window);
/// ... and the tool windows close.
void wireDesktop(desktop::DesktopIntegration& desktop, devicetools::ToolWindows& tools);
/// ... and the extraction stops (closing its window cancels it).
void wireDesktop(desktop::DesktopIntegration& desktop, exporting::ExportWindows& exports);

/// The running program's main window over a loaded iPod, with playback, the
/// tool windows, the desktop's media controls and hot-plug, and the covers.
/// `openIpod` replaces the open iPod by another one mounted while it runs.
struct MainWindow
{
    QWidget* window = nullptr;
    QPointer<media::CoverArtPanels> covers;
};
[[nodiscard]] MainWindow buildMainWindow(const database::LoadResult& load, settings::mdlOptions& options,
                                         ui::PromptService& prompts, std::function<void(const QString&)> openIpod);

} // namespace quaverly::startup
