#include "tests/support/FakeBackend.h"

#include <QMetaObject>
#include <QThread>

namespace quaverly::playback {

namespace {
constexpr qint64 kDefaultDurationMs = 180000;
}

FakeBackend::FakeBackend(QObject* parent)
    : AudioBackend(parent)
{
}

bool FakeBackend::loadLibraries()
{
    m_loadThread.store(QThread::currentThread());
    if (m_holdLibraries)
        m_libraryGate.acquire();
    return m_libraryError.isEmpty();
}

void FakeBackend::open(const QString& path)
{
    m_calls << QStringLiteral("open:") + path;
    m_path = path;
    m_positionMs = 0;
    m_pauseWanted = false;
    const quint64 generation = ++m_generation;
    setState(BackendState::Loading);
    if (const auto failure = m_failures.constFind(path); failure != m_failures.cend()) {
        const PlaybackError error = failure.value();
        QMetaObject::invokeMethod(
            this,
            [this, generation, error] {
                if (generation != m_generation || m_state != BackendState::Loading)
                    return;
                setState(BackendState::Failed);
                Q_EMIT finished(error);
            },
            Qt::QueuedConnection);
        return;
    }
    if (!m_holdLoading)
        setState(BackendState::Playing);
}

void FakeBackend::finishLoading()
{
    if (m_state == BackendState::Loading && !m_failures.contains(m_path))
        setState(m_pauseWanted ? BackendState::Paused : BackendState::Playing);
}

void FakeBackend::advance(qint64 ms)
{
    if (m_state != BackendState::Playing)
        return;
    m_positionMs += ms;
    if (m_positionMs >= durationMs())
        endOfFile();
}

void FakeBackend::endOfFile()
{
    if (m_state != BackendState::Playing && m_state != BackendState::Paused)
        return;
    m_positionMs = durationMs();
    setState(BackendState::Ended);
    Q_EMIT finished(PlaybackError::None);
}

void FakeBackend::pause()
{
    m_calls << QStringLiteral("pause");
    if (m_state == BackendState::Loading)
        m_pauseWanted = true;
    if (m_state == BackendState::Playing)
        setState(BackendState::Paused);
}

void FakeBackend::resume()
{
    m_calls << QStringLiteral("resume");
    m_pauseWanted = false;
    if (m_state == BackendState::Paused)
        setState(BackendState::Playing);
}

void FakeBackend::seek(qint64 positionMs)
{
    m_calls << QStringLiteral("seek:") + QString::number(positionMs);
    if (m_state == BackendState::Playing || m_state == BackendState::Paused)
        m_positionMs = qBound<qint64>(0, positionMs, durationMs());
}

void FakeBackend::stop()
{
    m_calls << QStringLiteral("stop");
    ++m_generation;
    m_positionMs = 0;
    setState(BackendState::Idle);
}

qint64 FakeBackend::positionMs() const
{
    return m_state == BackendState::Playing || m_state == BackendState::Paused ? m_positionMs : 0;
}

qint64 FakeBackend::durationMs() const
{
    if (m_state == BackendState::Idle || m_state == BackendState::Failed)
        return 0;
    return m_durations.value(m_path, kDefaultDurationMs);
}

void FakeBackend::setState(BackendState state)
{
    if (state == m_state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

} // namespace quaverly::playback
