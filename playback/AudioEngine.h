#pragma once
#include "playback/AudioBackend.h"

#include <memory>

class QThread;

namespace quaverly::playback {

/// Whether the engine's song counts as playing. A song plays from open() on
/// (loading counts) until it is paused, ends, fails or is stopped.
enum class PlayState { NotPlaying, Playing };
/// The audio engine: plays one song at a time and answers position, length
/// and state questions about it. Songs go to one of two players by the
/// routing rule (usesSecondPlayer): the audio player, or the second player
/// for video, protected and Audible files, which can show video in a window
/// (setVideoWindow). After open() every request goes to the player that
/// plays; callers never need to know which one it is.
///
/// Units: positions and lengths in whole milliseconds (64-bit). All calls
/// run on the owner's thread and return at once; opening is asynchronous,
/// and a song counts as playing from open() on until it ends or fails.
/// Replacing a song by another open() announces nothing for the old one.
///
/// Starting the players (loading libmpv, creating the players) takes tens of
/// milliseconds, so it happens only when needed: initialise() does it at
/// once on the calling thread (command-line tools); startPlayers() does it on
/// a worker thread and announces playersStarted (the window, after it is
/// shown); and the first open() starts them in the background by itself,
/// playing the song once they are up. Until then the song reads as loading,
/// and pause, resume and seeks are kept for it. Volume, band levels and the
/// video window may be set at any time; they reach the players once started.
class AudioEngine : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<double> bandLevels READ bandLevels NOTIFY bandLevelsChanged)
public:
    /// `secondPlayer` may be null: video, protected and Audible files then fail
    /// with PlayerUnavailable.
    AudioEngine(std::unique_ptr<AudioBackend> audioPlayer, std::unique_ptr<AudioBackend> secondPlayer,
                QObject* parent = nullptr);
    ~AudioEngine() override;

    /// How far the players are.
    enum class Players { NotStarted, Starting, Ready, Unavailable };

    /// Starts the players now, on this thread (waits for a start already
    /// under way). False when the audio player cannot start; the program
    /// cannot play anything then (unavailableText() says why). A second
    /// player that cannot start only makes secondPlayerReady() false.
    [[nodiscard]] bool initialise();
    /// Starts the players on a worker thread unless they are started or
    /// starting; playersStarted follows on this thread.
    void startPlayers();
    [[nodiscard]] Players players() const { return m_players; }
    /// Why nothing can be played, in the user's words (empty while it can).
    [[nodiscard]] const QString& unavailableText() const { return m_unavailableText; }

    /// Stops whatever plays and starts `path`. `kind` is the track's file-type
    /// text from the database. currentFile() is set first, even if the song
    /// then fails; a failure is announced by songEnded, never from in here.
    void open(const QString& path, const QString& kind);
    void pause();
    void resume();
    /// Stops the current song and lets go of its file; nothing is announced
    /// for it. Afterwards nothing plays (state Idle) until the next open().
    void stop();
    /// Playing position; kept while paused; 0 when nothing plays. During a
    /// seek it answers the target.
    [[nodiscard]] qint64 positionMs() const;
    /// Length of the current song; 0 while unknown and when nothing plays.
    [[nodiscard]] qint64 lengthMs() const;
    /// Moves the playing (or paused) song to `ms` with one exact seek.
    void seek(qint64 ms);
    /// Playing while the song plays (or is being opened); NotPlaying when it is
    /// paused, ended, failed, or nothing is open. songEnded tells ended from failed.
    [[nodiscard]] PlayState playState() const;
    [[nodiscard]] const QString& currentFile() const { return m_currentFile; }
    /// True while the current song plays through the second player.
    [[nodiscard]] bool secondPlayerActive() const { return m_secondActive; }
    /// True when the second player is available (false until started).
    [[nodiscard]] bool secondPlayerReady() const { return m_secondReady; }

    [[nodiscard]] BackendState state() const;
    /// Why the last song failed (None when it did not).
    [[nodiscard]] PlaybackError lastError() const { return m_lastError; }
    /// The player's own words for the last failure, for logs.
    [[nodiscard]] QString errorText() const;

    /// The native window the second player draws video into (0 for none).
    void setVideoWindow(quintptr windowId);
    /// Turns the band-level measurement for the spectrum on or off.
    void setBandLevelsEnabled(bool enabled);
    /// The players' own volume, 0..100 (100 leaves the sound as decoded).
    void setVolume(int percent);
    [[nodiscard]] int volume() const { return m_volumePercent; }
    [[nodiscard]] const QList<double>& bandLevels() const { return m_bandLevels; }

Q_SIGNALS:
    /// The current song played to its end or failed; `path` is its currentFile.
    void songEnded(quaverly::playback::EndReason reason, quaverly::playback::PlaybackError error, const QString& path);
    /// The tray menu's Pause and Play items: enabled states to show.
    void trayMenuChanged(bool pauseEnabled, bool playEnabled);
    void stateChanged(quaverly::playback::BackendState state);
    void bandLevelsChanged(const QList<double>& levelsDb);
    /// The players were started (startPlayers, or the first open()); `ok`
    /// is false when nothing can be played.
    void playersStarted(bool ok);

private:
    struct StartResult;
    [[nodiscard]] static StartResult startBackends(AudioBackend* audio, AudioBackend* second);
    void applySettings(); // volume and band levels to both players
    void onStarterDone();
    void finishStart();
    void route(const QString& path, const QString& kind);
    [[nodiscard]] AudioBackend* active() const;
    void connectBackend(AudioBackend* backend);
    void onFinished(AudioBackend* backend, PlaybackError error);
    void failLater(PlaybackError error);

    std::unique_ptr<AudioBackend> m_audio;
    std::unique_ptr<AudioBackend> m_second;
    Players m_players = Players::NotStarted;
    QThread* m_starter = nullptr;
    std::unique_ptr<StartResult> m_startResult; // written by the worker until it is done
    QString m_unavailableText;
    // A song asked for before the players were up, and what was done to it since.
    QString m_pendingKind;
    bool m_pending = false;
    bool m_pendingPause = false;
    qint64 m_pendingSeekMs = -1;
    // Settings handed to the players once they are up.
    int m_volumePercent = 100;
    bool m_bandLevelsWanted = false;
    quintptr m_videoWindow = 0;
    bool m_audioReady = false;
    bool m_secondReady = false;
    bool m_secondActive = false;
    bool m_opened = false;     // open() was called at least once
    bool m_failedHere = false; // the current song failed before reaching a player
    bool m_protected = false;  // the current song is a protected one
    quint64 m_generation = 0;  // counts open() calls
    QString m_currentFile;
    PlaybackError m_lastError = PlaybackError::None;
    QList<double> m_bandLevels;
};

} // namespace quaverly::playback
