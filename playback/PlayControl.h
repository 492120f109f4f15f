#pragma once
#include "database/mdlPlayCountEditor.h"
#include "playback/AudioBackend.h"

#include <QObject>
#include <QStringList>

#include <vector>

namespace quaverly::database {
class Library;
}

namespace quaverly::playback {

class AudioEngine;

/// The song list as play control sees it: rows (0-based) of library track
/// indexes, and the selection, which play control reads and moves.
class SongListAccess
{
public:
    virtual ~SongListAccess() = default;
    [[nodiscard]] virtual int rowCount() const = 0;
    /// The library index of the track on `row`, -1 for none.
    [[nodiscard]] virtual int trackAt(int row) const = 0;
    /// Selected rows, ascending.
    [[nodiscard]] virtual std::vector<int> selectedRows() const = 0;
    virtual void setRowSelected(int row, bool selected) = 0;
};

/// What the now-playing area shows.
struct NowPlaying
{
    int trackIndex = -1; // into Library::Tracks; -1: nothing
    qint32 uin = 0;
    QString title, artist, album, genre;
    qint64 lengthMs = 0;
};

/// Play control: turns play, pause, next, previous and the play-order
/// choices into engine calls, keeps the played history, and records a
/// finished play in the Play Counts file.
///
/// A song counts as played (StampLastPlayed, then IncrementPlayCount) only
/// when the engine reports that it played to its end, once per start; pauses
/// and failures never count. A song that cannot be played is reported through
/// playbackFailed() and play moves on to the next song; after
/// kMaxFailuresInRow failures in a row playback stops. When nothing can be
/// played at all (the engine's players are unavailable), it stops at once and
/// says what is missing.
class PlayControl : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxFailuresInRow = 3;

    PlayControl(AudioEngine& engine, const database::Library& library, database::mdlPlayCountEditor playCounts,
                SongListAccess& songs, QObject* parent = nullptr);

    // Play-order choices (the window stores them).
    void setRepeat(bool on) { m_repeat = on; }
    void setRepeatOne(bool one) { m_repeatOne = one; }
    void setShuffle(bool on) { m_shuffle = on; }
    void setShuffleTick(qint64 tick) { m_shuffleTick = tick; }
    [[nodiscard]] bool repeat() const { return m_repeat; }
    [[nodiscard]] bool repeatOne() const { return m_repeatOne; }
    [[nodiscard]] bool shuffle() const { return m_shuffle; }
    [[nodiscard]] qint64 shuffleTick() const { return m_shuffleTick; }

    /// Play (or resume when paused); nothing without a selected row.
    void play();
    void pause();
    void next();
    void previous();
    /// Plays the first selected row; `keepHistory` leaves the history as it is.
    void playSelected(bool keepHistory);
    /// Plays the library track with the relative path `path` (any case) and
    /// selects the rows that hold it. Answers false when no track has it.
    bool playPath(const QString& path);
    /// The double-click action starts afresh.
    void clearHistory() { m_history.clear(); }
    /// Moves the song to `fraction` (0..1) of its length.
    void seekTo(double fraction);
    /// The window closes: no further automatic advance.
    void stop();
    /// Stops the song (the player lets go of its file) and the automatic
    /// advance; the song does not count as played. Play then starts the
    /// selected song afresh.
    void stopSong();
    /// The iPod went away (unmounted from outside): from now on no song is
    /// started (a start is refused with playbackFailed(`reason`)) and nothing
    /// more is written to its Play Counts file. A remounted iPod is opened
    /// afresh, so this is not undone.
    void setDeviceGone(const QString& reason);
    [[nodiscard]] bool deviceGone() const { return !m_goneReason.isEmpty(); }

    /// The library index of the playing track (by its UIN), -1 for none.
    [[nodiscard]] int currentTrack() const;
    [[nodiscard]] bool paused() const { return m_paused; }
    [[nodiscard]] bool autoAdvance() const { return m_autoAdvance; }
    [[nodiscard]] int nowPlayingRow() const { return m_nowPlayingRow; }
    [[nodiscard]] const QStringList& playedHistory() const { return m_history; }
    [[nodiscard]] const NowPlaying& nowPlaying() const { return m_now; }
    [[nodiscard]] int failuresInRow() const { return m_failuresInRow; }
    [[nodiscard]] database::mdlPlayCountEditor& playCounts() { return m_playCounts; }
    /// The full path of a track's file on the iPod (as the disk spells it when it exists).
    [[nodiscard]] QString devicePath(const QString& relative) const;

Q_SIGNALS:
    /// A song was started: the now-playing area shows `now`; `popup` is true
    /// when a new song was started from the list (the popup may announce it).
    void nowPlayingChanged(const quaverly::playback::NowPlaying& now, bool popup);
    /// The play/pause buttons: true while playing.
    void playingChanged(bool playing);
    /// A song could not be played; `message` says why in the user's words.
    void playbackFailed(const QString& message, quaverly::playback::PlaybackError error);
    /// Playback stopped after too many failures in a row.
    void playbackStopped(const QString& message);
    /// A play was written to the Play Counts file (or could not be).
    void playCounted(int trackIndex, database::PlayCountError error);
    /// Previous found no earlier song: run the song list's double-click action.
    void doubleClickActionRequested();

private:
    void onSongEnded(EndReason reason, PlaybackError error, const QString& path);
    void countPlay();
    /// True (after saying why) when the iPod is gone and nothing may start.
    bool refusedForGoneDevice();
    void openTrackFile(const QString& relative, const QString& kind);
    void startTrack(int trackIndex, bool popup);
    void setPlaying(bool playing);
    void advance();
    [[nodiscard]] int currentRow() const;

    AudioEngine& m_engine;
    const database::Library& m_library;
    database::mdlPlayCountEditor m_playCounts;
    SongListAccess& m_songs;
    bool m_repeat = false;
    bool m_repeatOne = false;
    bool m_shuffle = false;
    qint64 m_shuffleTick = 0;
    bool m_paused = false;
    bool m_autoAdvance = false;
    bool m_counted = true;     // the current start was counted (or nothing was started)
    bool m_userAction = false; // inside a user's command: failures start counting afresh
    int m_nowPlayingRow = -1;
    int m_failuresInRow = 0;
    QStringList m_history; // relative paths of started songs, oldest first
    QString m_goneReason;  // why songs cannot be played any more; "" while the iPod is there
    NowPlaying m_now;
};

/// The user's words for a playback failure.
[[nodiscard]] QString failureText(PlaybackError error);

} // namespace quaverly::playback
