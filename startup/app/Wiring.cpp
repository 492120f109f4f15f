#include "startup/app/Wiring.h"

#include "browser/SongListModel.h"
#include "browser/ui/BrowserListBox.h"
#include "browser/ui/frmMain.h"
#include "browser/ui/frmMainUi.h"
#include "browser/ui/frmMenus.h"
#include "database/LibraryLoader.h"
#include "desktop/ui/DesktopIntegration.h"
#include "desktop/ui/HotPlug.h"
#include "desktop/ui/WindowMediaPlayer.h"
#include "devicetools/ui/ToolWindows.h"
#include "export/ui/ExportWindows.h"
#include "media/ui/CoverArtPanels.h"
#include "playback/ui/PlaybackController.h"
#include "ui/widgets/ucListView.h"

#include <QHBoxLayout>

namespace quaverly::startup {

playback::PlaybackWindow playbackWindow(browser::frmMain& window)
{
    playback::PlaybackWindow parts;
    parts.window = &window;
    parts.nowPlaying = window.ui().nowPlaying;
    parts.songList = window.ui().lstSong;
    parts.songModel = &window.songModel();
    parts.library = &window.library();
    return parts;
}

void wirePlayback(browser::frmMain& window, playback::PlaybackController& playback)
{
    using browser::frmMain;
    using browser::frmMenus;
    using playback::PlaybackController;
    using playback::PlayControl;
    PlayControl* control = &playback.control();
    QObject::connect(&window, &frmMain::playRequested, control, &PlayControl::play);
    QObject::connect(&window, &frmMain::openInEmbeddedRequested, control, [control] { control->playSelected(false); });
    QObject::connect(&window, &frmMain::playedHistoryCleared, control, &PlayControl::clearHistory);
    QObject::connect(&window, &frmMain::openExternalRequested, &playback, &PlaybackController::cmdOpen_Click);
    QObject::connect(&window, &frmMain::makePlaylistRequested, &playback, &PlaybackController::cmdMakeM3u_Click);
    QObject::connect(&window, &frmMain::closing, &playback, &PlaybackController::windowClosing);
    QObject::connect(control, &PlayControl::doubleClickActionRequested, &window, &frmMain::lstSong_DblClick);

    frmMenus* menus = &window.menus();
    QObject::connect(menus, &frmMenus::pauseRequested, control, &PlayControl::pause);
    QObject::connect(menus, &frmMenus::nextRequested, control, &PlayControl::next);
    QObject::connect(menus, &frmMenus::previousRequested, control, &PlayControl::previous);
    QObject::connect(menus, &frmMenus::addPlayerRequested, &playback, &PlaybackController::mnuAddPlayer_Click);
    QObject::connect(menus, &frmMenus::playerChosen, &playback, &PlaybackController::mnuPlayer_Click);
    QObject::connect(menus, &frmMenus::spectrumToggled, &playback, &PlaybackController::setSpectrumOn);
    QObject::connect(menus, &frmMenus::spectrumColourRequested, &playback,
                     [p = &playback] { p->PicSpectrum_MouseUp(Qt::RightButton); });

    QObject::connect(&playback, &PlaybackController::transportChanged, menus, &frmMenus::setTransportEnabled);
    QObject::connect(&playback, &PlaybackController::nowPlayingTextChanged, menus, &frmMenus::setNowPlayingText);
    QObject::connect(&playback, &PlaybackController::playersChanged, menus, &frmMenus::setPlayers);
    QObject::connect(&playback, &PlaybackController::playerChecked, menus, &frmMenus::setCheckedPlayer);
    QObject::connect(&playback, &PlaybackController::playingFileChanged, &window, &frmMain::setPlayingFile);
    QObject::connect(&playback, &PlaybackController::trackRated, &window, &frmMain::setTrackRating);
    playback.setSongPopupWanted([menus] { return menus->songPopupWanted(); });
    playback.LoadPlayers(); // the players menu as stored
    // The Rating column shows what the stars show: the iPod's Play Counts rating where it has one.
    window.setTrackRatings(playback.allRatings());
}

devicetools::ToolWindowsPlace toolWindowsPlace(browser::frmMain& window)
{
    devicetools::ToolWindowsPlace place;
    place.window = &window;
    place.library = &window.library();
    place.saveOptions = [w = &window] { w->SaveOptions(); };
    place.ejectOnClose = [menus = &window.menus()] { return menus->ejectOnClose(); };
    return place;
}

void wireExportWindows(browser::frmMain& window, exporting::ExportWindows& exports)
{
    using exporting::ExportWindows;
    QObject::connect(&window, &browser::frmMain::extractRequested, &exports, &ExportWindows::showExtract);
    QObject::connect(&window.menus(), &browser::frmMenus::exportPlaysRequested, &exports, &ExportWindows::exportPlays);
    QObject::connect(&window, &browser::frmMain::closing, &exports, &ExportWindows::closeWindows);
}

void wireToolWindows(browser::frmMain& window, devicetools::ToolWindows& tools)
{
    using browser::frmMenus;
    using devicetools::ToolWindows;
    frmMenus* menus = &window.menus();
    QObject::connect(menus, &frmMenus::hacksRequested, &tools, &ToolWindows::showHacks);
    QObject::connect(menus, &frmMenus::iPodInfoRequested, &tools, &ToolWindows::showInfo);
    QObject::connect(menus, &frmMenus::duplicatesCheckRequested, &tools, &ToolWindows::ScanForDuplicates);
    QObject::connect(menus, &frmMenus::missingCheckRequested, &tools, &ToolWindows::ScanForMissing);
    QObject::connect(menus, &frmMenus::ejectRequested, &tools, &ToolWindows::ProcessEject);
    QObject::connect(&window, &browser::frmMain::closing, &tools, &ToolWindows::mainClosing);
}

media::CoverArtPlace coverArtPlace(browser::frmMain& window)
{
    media::CoverArtPlace place;
    place.window = &window;
    place.library = &window.library();
    place.browser = &window.browser();
    place.albumList = window.ui().lstAlbum;
    place.songList = window.ui().lstSong;
    place.songModel = &window.songModel();
    place.nowPlaying = window.ui().nowPlaying;
    place.browserRow = window.ui().browserRow;
    return place;
}

void wireCovers(browser::frmMain& window, media::CoverArtPanels& covers)
{
    QObject::connect(window.ui().lstAlbum, &browser::BrowserListBox::Click, &covers,
                     &media::CoverArtPanels::scheduleAlbumUpdate);
}

void wireCovers(media::CoverArtPanels& covers, desktop::WindowMediaPlayer& player)
{
    player.setArtUrlProvider([c = &covers](int trackIndex) { return c->coverUrlFor(trackIndex); });
    QObject::connect(&covers, &media::CoverArtPanels::playingCoverFileChanged, &player,
                     [p = &player] { p->coverChanged(); });
}

desktop::DesktopPlace desktopPlace(browser::frmMain& window, playback::PlaybackController& playback)
{
    desktop::DesktopPlace place;
    place.window = &window;
    place.library = &window.library();
    place.control = &playback.control();
    place.engine = &playback.engine();
    place.nowPlaying = window.ui().nowPlaying;
    place.songModel = &window.songModel();
    place.songSelection = window.ui().lstSong->selectionModel();
    place.play = [w = &window] { w->picPlay_Click(); };
    place.raise = [w = &window] { w->mnuShow_Click(); };
    place.saveOptions = [w = &window] { w->SaveOptions(); };
    place.volume = [p = &playback] { return p->volumeFraction(); };
    place.setVolume = [p = &playback](double fraction) { p->setVolumeFraction(fraction); };
    return place;
}

void wireDesktop(desktop::DesktopIntegration& desktop, browser::frmMain& window)
{
    QObject::connect(&desktop.hotPlug(), &desktop::HotPlug::ipodGone, &window,
                     &browser::frmMain::disableDeviceCommands);
}

void wireDesktop(desktop::DesktopIntegration& desktop, devicetools::ToolWindows& tools)
{
    QObject::connect(&desktop.hotPlug(), &desktop::HotPlug::ipodGone, &tools, &devicetools::ToolWindows::closeWindows);
}

void wireDesktop(desktop::DesktopIntegration& desktop, exporting::ExportWindows& exports)
{
    QObject::connect(&desktop.hotPlug(), &desktop::HotPlug::ipodGone, &exports,
                     &exporting::ExportWindows::closeWindows);
}

MainWindow buildMainWindow(const database::LoadResult& load, settings::mdlOptions& options, ui::PromptService& prompts,
                           std::function<void(const QString&)> openIpod)
{
    auto* window = new browser::frmMain(load.library, options, prompts);
    auto* playback = playback::PlaybackController::attach(playbackWindow(*window), load, options, prompts);
    wirePlayback(*window, *playback);
    auto* desktop = desktop::DesktopIntegration::attach(desktopPlace(*window, *playback), options, prompts,
                                                        std::move(openIpod));
    wireDesktop(*desktop, *window);
    auto* exports = new exporting::ExportWindows(*window, load.library, options, prompts);
    exports->setDeviceFiles(load.databaseFile, load.playCounts);
    wireExportWindows(*window, *exports);
    wireDesktop(*desktop, *exports);
    auto* tools = devicetools::ToolWindows::attach(toolWindowsPlace(*window), options, prompts);
    wireToolWindows(*window, *tools);
    wireDesktop(*desktop, *tools);
    auto* covers = media::CoverArtPanels::attach(coverArtPlace(*window), &playback->control());
    wireCovers(*window, *covers);
    wireCovers(*covers, desktop->player());
    MainWindow built;
    built.window = window;
    built.covers = covers;
    return built;
}

} // namespace quaverly::startup
