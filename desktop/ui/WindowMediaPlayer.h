#pragma once
#include "desktop/MediaPlayerControl.h"
#include "desktop/ui/DesktopPlace.h"

#include <functional>

namespace quaverly::desktop {

/// The main window's player for the desktop's media controls: each command
/// runs what the window's own control runs (the play and pause buttons, next,
/// previous, the position bar, the volume slider, the Repeat and Shuffle
/// boxes, the tray menu's Show and Exit). The audio engine is asked for the
/// position only once a song was started, so this never loads it.
class WindowMediaPlayer : public MediaPlayerControl
{
    Q_OBJECT
public:
    /// Hands out a file URL of a track's cover ("" for none), by library index.
    using ArtUrlProvider = std::function<QString(int trackIndex)>;

    explicit WindowMediaPlayer(DesktopPlace window, QObject* parent = nullptr);

    /// Where covers come from; call coverChanged() when a cover turns up later.
    void setArtUrlProvider(ArtUrlProvider provider);
    void coverChanged() { Q_EMIT changed(); }

    void play() override;
    void pause() override;
    void playPause() override;
    void stop() override;
    void next() override;
    void previous() override;
    void seekTo(qint64 positionMs) override;
    void raise() override;
    void quit() override;
    void setVolume(double volume) override;
    void setLoopStatus(LoopStatus loop) override;
    void setShuffle(bool shuffle) override;

    [[nodiscard]] PlaybackStatus status() const override;
    [[nodiscard]] TrackInfo track() const override;
    [[nodiscard]] qint64 positionMs() const override;
    [[nodiscard]] qint64 lengthMs() const override;
    [[nodiscard]] double volume() const override;
    [[nodiscard]] LoopStatus loopStatus() const override;
    [[nodiscard]] bool shuffle() const override;
    [[nodiscard]] bool canPlay() const override;
    [[nodiscard]] bool canGoNext() const override;
    [[nodiscard]] bool canGoPrevious() const override;
    [[nodiscard]] bool canSeek() const override;

private:
    void watchWindow();
    [[nodiscard]] bool started() const;

    DesktopPlace m_window;
    ArtUrlProvider m_artUrl;
    bool m_playing = false;
};

} // namespace quaverly::desktop
