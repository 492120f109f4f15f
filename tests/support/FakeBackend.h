#pragma once
#include "playback/AudioBackend.h"

#include <QHash>
#include <QSemaphore>
#include <QStringList>

#include <atomic>

class QThread;

namespace quaverly::playback {

/// A scripted back end for tests of play control: no audio, no timers.
/// open() makes the file play at once (or stay Loading with holdLoading());
/// the test moves time with advance() and ends songs with endOfFile().
/// Failures scripted with failOpen() are announced through the event loop,
/// like the real back end, never from inside open(). Every command is
/// recorded in calls() as "open:<path>", "pause", "resume", "seek:<ms>", "stop".
class FakeBackend : public AudioBackend
{
    Q_OBJECT
public:
    explicit FakeBackend(QObject* parent = nullptr);

    // Script.
    void setInitialiseResult(bool ok) { m_initialiseResult = ok; }
    /// loadLibraries() answers false with `error` (a missing library).
    void setLibraryMissing(const QString& error) { m_libraryError = error; }
    /// loadLibraries() waits until releaseLibraries() (a slow library load).
    void holdLibraries() { m_holdLibraries = true; }
    void releaseLibraries() { m_libraryGate.release(); }
    /// The thread that ran loadLibraries(), null before.
    [[nodiscard]] QThread* loadThread() const { return m_loadThread.load(); }
    [[nodiscard]] int volume() const { return m_volume; }
    [[nodiscard]] bool bandLevelsEnabled() const { return m_bandLevelsOn; }
    void setDuration(const QString& path, qint64 durationMs) { m_durations.insert(path, durationMs); }
    void failOpen(const QString& path, PlaybackError error) { m_failures.insert(path, error); }
    void holdLoading(bool hold) { m_holdLoading = hold; }
    /// Ends Loading: the held file starts playing (or pauses, when asked to).
    void finishLoading();
    /// Plays on by `ms`; reaching the duration ends the song.
    void advance(qint64 ms);
    void endOfFile();
    [[nodiscard]] const QStringList& calls() const { return m_calls; }
    [[nodiscard]] const QString& currentPath() const { return m_path; }

    // AudioBackend.
    [[nodiscard]] bool loadLibraries() override;
    [[nodiscard]] bool initialise() override { return m_initialiseResult && m_libraryError.isEmpty(); }
    [[nodiscard]] QString errorText() const override { return m_libraryError; }
    void setVolume(int percent) override { m_volume = percent; }
    void setBandLevelsEnabled(bool enabled) override { m_bandLevelsOn = enabled; }
    void setVideoWindow(quintptr windowId) override { m_videoWindow = windowId; }
    [[nodiscard]] quintptr videoWindow() const { return m_videoWindow; }
    void open(const QString& path) override;
    void pause() override;
    void resume() override;
    void seek(qint64 positionMs) override;
    void stop() override;
    [[nodiscard]] BackendState state() const override { return m_state; }
    [[nodiscard]] qint64 positionMs() const override;
    [[nodiscard]] qint64 durationMs() const override;

private:
    void setState(BackendState state);

    bool m_initialiseResult = true;
    QString m_libraryError;
    bool m_holdLibraries = false;
    QSemaphore m_libraryGate;
    std::atomic<QThread*> m_loadThread { nullptr };
    int m_volume = 100;
    bool m_bandLevelsOn = false;
    quintptr m_videoWindow = 0;
    bool m_holdLoading = false;
    bool m_pauseWanted = false;
    QHash<QString, qint64> m_durations;
    QHash<QString, PlaybackError> m_failures;
    QStringList m_calls;
    QString m_path;
    quint64 m_generation = 0;
    BackendState m_state = BackendState::Idle;
    qint64 m_positionMs = 0;
};

} // namespace quaverly::playback
