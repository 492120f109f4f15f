#include "playback/AudioEngine.h"

#include "playback/AudioRouting.h"

#include <QMetaObject>

namespace quaverly::playback {

AudioEngine::AudioEngine(std::unique_ptr<AudioBackend> audioPlayer, std::unique_ptr<AudioBackend> secondPlayer,
                         QObject* parent)
    : QObject(parent)
    , m_audio(std::move(audioPlayer))
    , m_second(std::move(secondPlayer))
{
    connectBackend(m_audio.get());
    connectBackend(m_second.get());
}

AudioEngine::~AudioEngine() = default;

void AudioEngine::connectBackend(AudioBackend* backend)
{
    if (backend == nullptr)
        return;
    connect(backend, &AudioBackend::finished, this,
            [this, backend](PlaybackError error) { onFinished(backend, error); });
    connect(backend, &AudioBackend::stateChanged, this, [this, backend](BackendState state) {
        if (backend == active() && !m_failedHere)
            Q_EMIT stateChanged(state);
    });
    connect(backend, &AudioBackend::bandLevelsChanged, this, [this, backend](const QList<double>& levels) {
        if (backend != active())
            return;
        m_bandLevels = levels;
        Q_EMIT bandLevelsChanged(m_bandLevels);
    });
}

bool AudioEngine::initialise()
{
    m_audioReady = m_audio != nullptr && m_audio->initialise();
    m_secondReady = m_second != nullptr && m_second->initialise();
    if (!m_audioReady)
        qCWarning(lcPlayback) << "the audio player cannot start:" << errorText();
    if (m_second != nullptr && !m_secondReady)
        qCWarning(lcPlayback) << "the second player cannot start:" << m_second->errorText();
    return m_audioReady;
}

AudioBackend* AudioEngine::active() const
{
    return m_quickTimeActive ? m_second.get() : m_audio.get();
}

void AudioEngine::OpenFile(const QString& path, const QString& kind)
{
    m_currentFile = path;
    ++m_generation;
    m_opened = true;
    m_failedHere = false;
    m_lastError = PlaybackError::None;
    m_protected = IsCopyProtected(path, kind);
    if (m_quickTimeActive) {
        m_second->stop();
        m_quickTimeActive = false;
    }
    if (m_audioReady)
        m_audio->stop();
    if (!m_bandLevels.isEmpty()) {
        m_bandLevels.clear();
        Q_EMIT bandLevelsChanged(m_bandLevels);
    }

    if (!IsPlayableFile(path)) {
        failLater(PlaybackError::FileNotFound);
    } else if (UsesSecondPlayer(path, kind)) {
        if (m_secondReady) {
            m_quickTimeActive = true;
            m_second->open(path);
        } else {
            failLater(m_protected ? PlaybackError::CopyProtected : PlaybackError::PlayerUnavailable);
        }
    } else if (m_audioReady) {
        m_audio->open(path);
    } else {
        failLater(PlaybackError::PlayerUnavailable);
    }
    // (Q_EMIT expands to nothing, which clang-tidy takes for a deeper indentation.)
    Q_EMIT trayMenuChanged(true, false); // NOLINT(readability-misleading-indentation)
}

void AudioEngine::failLater(PlaybackError error)
{
    m_failedHere = true;
    Q_EMIT stateChanged(BackendState::Failed);
    // Announced from the event loop, as a player would, so that a caller that
    // opens the next song from songEnded never runs inside its own OpenFile.
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation, error] {
            if (generation == m_generation)
                onFinished(nullptr, error);
        },
        Qt::QueuedConnection);
}

void AudioEngine::onFinished(AudioBackend* backend, PlaybackError error)
{
    if (backend != nullptr && (backend != active() || m_failedHere))
        return;
    if (error == PlaybackError::CannotDecode && m_protected)
        error = PlaybackError::CopyProtected;
    m_lastError = error;
    const EndReason reason = error == PlaybackError::None ? EndReason::EndOfFile : EndReason::Failed;
    qCDebug(lcPlayback) << "song ended:" << reason << error << m_currentFile;
    Q_EMIT songEnded(reason, error, m_currentFile);
}

void AudioEngine::PauseSong()
{
    Q_EMIT trayMenuChanged(false, true);
    if (m_opened && !m_failedHere)
        active()->pause();
}

void AudioEngine::ResumeSong()
{
    Q_EMIT trayMenuChanged(true, false);
    if (m_opened && !m_failedHere)
        active()->resume();
}

BackendState AudioEngine::state() const
{
    if (!m_opened)
        return BackendState::Idle;
    if (m_failedHere)
        return BackendState::Failed;
    return active()->state();
}

qint64 AudioEngine::Position() const
{
    const BackendState now = state();
    return now == BackendState::Playing || now == BackendState::Paused ? active()->positionMs() : 0;
}

qint64 AudioEngine::GetLength() const
{
    const BackendState now = state();
    return now == BackendState::Playing || now == BackendState::Paused ? active()->durationMs() : 0;
}

void AudioEngine::SetPosition(qint64 ms)
{
    if (m_opened && !m_failedHere)
        active()->seek(ms);
}

int AudioEngine::SongPlaying() const
{
    const BackendState now = state();
    return now == BackendState::Playing || now == BackendState::Loading ? 0 : -1;
}

QString AudioEngine::errorText() const
{
    const AudioBackend* backend = m_opened ? active() : m_audio.get();
    return backend != nullptr ? backend->errorText() : QString();
}

void AudioEngine::setVideoWindow(quintptr windowId)
{
    if (m_secondReady)
        m_second->setVideoWindow(windowId);
}

void AudioEngine::setBandLevelsEnabled(bool enabled)
{
    if (m_audio != nullptr)
        m_audio->setBandLevelsEnabled(enabled);
    if (m_second != nullptr)
        m_second->setBandLevelsEnabled(enabled);
}

} // namespace quaverly::playback
