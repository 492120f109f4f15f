#pragma once
#include <QObject>
#include <QString>

namespace quaverly::desktop {

enum class PlaybackStatus { Stopped, Playing, Paused };
/// Repeat off, repeat the song ("Rpt One"), repeat the list ("Rpt All").
enum class LoopStatus { None, Track, Playlist };

/// The song that plays (or was played last), as the desktop is told about it.
struct TrackInfo
{
    int trackIndex = -1; // into the library's Tracks; -1: no song
    QString title;
    QString artist;
    QString album;
    QString genre;
    int trackNumber = 0; // 0: unknown
    qint64 lengthMs = 0;
    QString filePath; // the song's file on the iPod ("" when unknown)
    QString artUrl;   // a file URL of the song's cover ("" for none)
};

/// The player as the desktop's media controls (MPRIS) see it: commands that
/// take the same paths as the window's buttons, and the state they change.
/// Implementations emit changed() after anything below may have changed, and
/// seeked() when the position jumped (a seek, not the song playing on).
///
/// Units: positions and lengths in milliseconds; volume 0 to 1.
class MediaPlayerControl : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void playPause() = 0;
    virtual void stop() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    /// Moves the song that plays to `positionMs` (within 0 and its length).
    virtual void seekTo(qint64 positionMs) = 0;
    virtual void raise() = 0;
    virtual void quit() = 0;
    virtual void setVolume(double volume) = 0;
    virtual void setLoopStatus(LoopStatus loop) = 0;
    virtual void setShuffle(bool shuffle) = 0;

    [[nodiscard]] virtual PlaybackStatus status() const = 0;
    [[nodiscard]] virtual TrackInfo track() const = 0;
    [[nodiscard]] virtual qint64 positionMs() const = 0;
    /// The length of the song as the audio player has it (the database's
    /// until the player knows); 0 when no song was started.
    [[nodiscard]] virtual qint64 lengthMs() const = 0;
    [[nodiscard]] virtual double volume() const = 0;
    [[nodiscard]] virtual LoopStatus loopStatus() const = 0;
    [[nodiscard]] virtual bool shuffle() const = 0;
    [[nodiscard]] virtual bool canPlay() const = 0;
    [[nodiscard]] virtual bool canGoNext() const = 0;
    [[nodiscard]] virtual bool canGoPrevious() const = 0;
    [[nodiscard]] virtual bool canSeek() const = 0;

Q_SIGNALS:
    void changed();
    void seeked(qint64 positionMs);
};

} // namespace quaverly::desktop
