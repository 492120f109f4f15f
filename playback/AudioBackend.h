#pragma once
#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcPlayback)

namespace quaverly::playback {
Q_NAMESPACE

/// What a back end is doing with its current file.
enum class BackendState {
    Idle,    // no file (never opened, or stopped)
    Loading, // open() was called; the first audio is not out yet
    Playing,
    Paused,
    Ended,  // played to the end of the file
    Failed, // could not be opened or decoded; see finished()
};
Q_ENUM_NS(BackendState)

/// Why a song could not be played. None means it played to its end.
enum class PlaybackError {
    None,
    FileNotFound,      // no file at the path, or it went away while playing (iPod unplugged)
    CannotDecode,      // unknown format, damaged data, or no playable stream in it
    CopyProtected,     // a protected (DRM) song: it cannot be decoded on this computer
    NoAudioOutput,     // the audio device could not be opened
    PlayerUnavailable, // the player for this kind of file is not available
};
Q_ENUM_NS(PlaybackError)

/// How a song stopped by itself.
enum class EndReason {
    EndOfFile, // it played to its end: only such songs count as played
    Failed,    // it could not be opened or decoded; the error says why
};
Q_ENUM_NS(EndReason)

/// A playback back end: decodes and plays one file at a time.
///
/// Lifecycle:
///  1. Construct: cheap, touches no device and loads no library.
///  2. loadLibraries(), then initialise(), once each. Both may block and may
///     run on a worker thread while no other call is made on the back end
///     (the engine starts its players that way). On false the back end stays
///     unusable: queries answer 0 / Idle and commands are ignored.
///  3. open(path) any number of times. It returns at once; the state becomes
///     Loading, then Playing when the first audio is out (Paused after a pause()
///     issued while loading), and at last Ended or Failed, each announced by
///     finished() exactly once. open() or stop() on a current file replaces it
///     without any finished() for it.
///  4. pause(), resume() and seek() act on the current file (while it loads,
///     they take effect once it is loaded) and are ignored without one; seek()
///     is one exact seek, and positionMs() answers the target until the back
///     end has got there.
///  5. Destruction releases the device and emits nothing.
/// Calls and signals happen on the owner's thread; no call waits for decoding
/// or file I/O. Queries answer from observed values without a round trip.
/// Times are milliseconds, 64-bit, so long files are no special case.
class AudioBackend : public QObject
{
    Q_OBJECT
public:
    explicit AudioBackend(QObject* parent = nullptr);
    ~AudioBackend() override;

    /// Opens the libraries the back end needs (none by default). Thread-safe
    /// across back ends; errorText() says what is missing on false.
    [[nodiscard]] virtual bool loadLibraries() { return true; }
    [[nodiscard]] virtual bool initialise() = 0;
    virtual void open(const QString& path) = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    virtual void seek(qint64 positionMs) = 0;
    virtual void stop() = 0;

    [[nodiscard]] virtual BackendState state() const = 0;
    [[nodiscard]] virtual qint64 positionMs() const = 0;
    [[nodiscard]] virtual qint64 durationMs() const = 0;
    /// The back end's own words for the last failure (for logs and the CLI).
    [[nodiscard]] virtual QString errorText() const { return {}; }

    /// Optional: a native window that video is drawn into (0 for none).
    virtual void setVideoWindow(quintptr windowId);
    /// Optional: measure band levels of the playing audio (bandLevelsChanged).
    virtual void setBandLevelsEnabled(bool enabled);
    /// Optional: the player's own volume, 0..100 (100: unchanged). Kept for
    /// files opened later; may be set before initialise().
    virtual void setVolume(int percent);

Q_SIGNALS:
    void stateChanged(quaverly::playback::BackendState state);
    /// The current file ended (error None) or failed.
    void finished(quaverly::playback::PlaybackError error);
    /// RMS levels in dBFS of eight octave bands from 63 Hz to 8 kHz.
    void bandLevelsChanged(const QList<double>& levelsDb);
};

} // namespace quaverly::playback
