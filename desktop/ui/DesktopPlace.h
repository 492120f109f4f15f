#pragma once
#include <functional>

class QAbstractItemModel;
class QItemSelectionModel;
class QWidget;

namespace quaverly::database {
class Library;
}
namespace quaverly::playback {
class AudioEngine;
class PlayControl;
} // namespace quaverly::playback
namespace quaverly::ui {
class NowPlayingView;
}

namespace quaverly::desktop {

/// The main window as the desktop's side sees it, nothing owned: the window
/// (raised and closed by the media controls, the banner's parent), its library,
/// play control and the audio engine behind it, the now-playing area (volume,
/// seek and play order), the songs shown and chosen, and what only the window
/// and its player can do, as functions. The start-up wiring fills it.
struct DesktopPlace
{
    QWidget* window = nullptr;
    const database::Library* library = nullptr;
    playback::PlayControl* control = nullptr;
    playback::AudioEngine* engine = nullptr;
    ui::NowPlayingView* nowPlaying = nullptr;
    const QAbstractItemModel* songModel = nullptr;      // the songs shown
    const QItemSelectionModel* songSelection = nullptr; // the songs chosen among them
    std::function<void()> play;                         // the play button: resumes, or starts the chosen song
    std::function<void()> raise;                        // the tray menu's Show
    std::function<void()> saveOptions;                  // the window's preferences, before another iPod opens
    std::function<double()> volume;                     // 0 to 1
    std::function<void(double)> setVolume;              // as the volume slider does
};

} // namespace quaverly::desktop
