#pragma once
#include "playback/AudioBackend.h"

#include <QHash>
#include <QStringList>

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
    [[nodiscard]] bool initialise() override { return m_initialiseResult; }
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
