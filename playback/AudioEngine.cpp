#include "playback/AudioEngine.h"

#include "playback/AudioRouting.h"

#include <QMetaObject>
#include <QThread>

#include <utility>

namespace quaverly::playback {

struct AudioEngine::StartResult
{
    bool audioReady = false;
    bool secondReady = false;
    QString audioError;
    QString secondError;
};

AudioEngine::AudioEngine(std::unique_ptr<AudioBackend> audioPlayer, std::unique_ptr<AudioBackend> secondPlayer,
                         QObject* parent)
    : QObject(parent)
    , m_audio(std::move(audioPlayer))
    , m_second(std::move(secondPlayer))
{
    connectBackend(m_audio.get());
    connectBackend(m_second.get());
}

AudioEngine::~AudioEngine()
{
    // The worker uses the players: it must be done before they go.
    if (m_starter != nullptr)
        m_starter->wait();
}

void AudioEngine::connectBackend(AudioBackend* backend)
{
    if (backend == nullptr)
        return;
    connect(backend, &AudioBackend::finished, this,
            [this, backend](PlaybackError error) { onFinished(backend, error); });
    connect(backend, &AudioBackend::stateChanged, this, [this, backend](BackendState state) {
        if (backend == active() && !m_failedHere && !m_pending)
            Q_EMIT stateChanged(state);
    });
    connect(backend, &AudioBackend::bandLevelsChanged, this, [this, backend](const QList<double>& levels) {
        if (backend != active())
            return;
        m_bandLevels = levels;
        Q_EMIT bandLevelsChanged(m_bandLevels);
    });
}

AudioEngine::StartResult AudioEngine::startBackends(AudioBackend* audio, AudioBackend* second)
{
    StartResult result;
    if (audio != nullptr) {
        result.audioReady = audio->loadLibraries() && audio->initialise();
        result.audioError = audio->errorText();
    }
    if (second != nullptr) {
        result.secondReady = second->loadLibraries() && second->initialise();
        result.secondError = second->errorText();
    }
    return result;
}

bool AudioEngine::initialise()
{
    if (m_players == Players::Starting) {
        m_starter->wait();
        onStarterDone();
    }
    if (m_players == Players::NotStarted) {
        applySettings();
        m_startResult = std::make_unique<StartResult>(startBackends(m_audio.get(), m_second.get()));
        finishStart();
    }
    return m_audioReady;
}

void AudioEngine::startPlayers()
{
    if (m_players != Players::NotStarted)
        return;
    m_players = Players::Starting;
    applySettings();
    AudioBackend* audio = m_audio.get();
    AudioBackend* second = m_second.get();
    StartResult* result = (m_startResult = std::make_unique<StartResult>()).get();
    // Only the worker touches the players and the result until it is done;
    // the destructor waits for it.
    m_starter = QThread::create([audio, second, result] { *result = startBackends(audio, second); });
    m_starter->setParent(this);
    m_starter->setObjectName(QStringLiteral("player start"));
    connect(m_starter, &QThread::finished, this, &AudioEngine::onStarterDone);
    m_starter->start(QThread::LowPriority);
}

void AudioEngine::applySettings()
{
    for (AudioBackend* backend : { m_audio.get(), m_second.get() }) {
        if (backend != nullptr) {
            backend->setVolume(m_volumePercent);
            backend->setBandLevelsEnabled(m_bandLevelsWanted);
        }
    }
}

void AudioEngine::onStarterDone()
{
    if (m_players != Players::Starting)
        return; // initialise() got there first
    m_starter->wait();
    m_starter->deleteLater();
    m_starter = nullptr;
    finishStart();
}

void AudioEngine::finishStart()
{
    const StartResult result = *std::exchange(m_startResult, nullptr);
    m_audioReady = result.audioReady;
    m_secondReady = result.secondReady;
    m_players = m_audioReady ? Players::Ready : Players::Unavailable;
    if (!m_audioReady) {
        // The library loaders speak to the user already; anything else is mpv's own words.
        const QString prefix = QStringLiteral("Songs cannot be played");
        m_unavailableText = result.audioError.startsWith(prefix)
            ? result.audioError
            : prefix + QStringLiteral(": the audio player could not be started")
                + (result.audioError.isEmpty() ? QStringLiteral(".") : QStringLiteral(" (%1).").arg(result.audioError));
        qCWarning(lcPlayback) << "the audio player cannot start:" << result.audioError;
    }
    if (m_second != nullptr && !m_secondReady && result.secondError != result.audioError)
        qCWarning(lcPlayback) << "the second player cannot start:" << result.secondError;
    // What was asked for while they started.
    applySettings();
    if (m_secondReady && m_videoWindow != 0)
        m_second->setVideoWindow(m_videoWindow);
    Q_EMIT playersStarted(m_audioReady);
    if (std::exchange(m_pending, false)) {
        route(m_currentFile, m_pendingKind);
        if (m_pendingSeekMs >= 0 && !m_failedHere)
            active()->seek(m_pendingSeekMs);
        if (m_pendingPause && !m_failedHere)
            active()->pause();
    }
}

AudioBackend* AudioEngine::active() const
{
    return m_secondActive ? m_second.get() : m_audio.get();
}

void AudioEngine::open(const QString& path, const QString& kind)
{
    m_currentFile = path;
    ++m_generation;
    m_opened = true;
    m_failedHere = false;
    m_lastError = PlaybackError::None;
    m_protected = isCopyProtected(path, kind);
    m_pending = false;
    if (m_secondActive) {
        m_second->stop();
        m_secondActive = false;
    }
    if (m_audioReady)
        m_audio->stop();
    if (!m_bandLevels.isEmpty()) {
        m_bandLevels.clear();
        Q_EMIT bandLevelsChanged(m_bandLevels);
    }
    if (m_players == Players::NotStarted || m_players == Players::Starting) {
        // Played as soon as the players are up.
        m_pending = true;
        m_pendingKind = kind;
        m_pendingPause = false;
        m_pendingSeekMs = -1;
        Q_EMIT stateChanged(BackendState::Loading);
        startPlayers();
    } else {
        route(path, kind);
    }
    // (Q_EMIT expands to nothing, which clang-tidy takes for a deeper indentation.)
    Q_EMIT trayMenuChanged(true, false); // NOLINT(readability-misleading-indentation)
}

void AudioEngine::route(const QString& path, const QString& kind)
{
    // A FIFO or device would keep the player waiting forever: such a path is no file to play.
    if (!isPlayableFile(path)) {
        failLater(PlaybackError::FileNotFound);
    } else if (usesSecondPlayer(path, kind)) {
        if (m_secondReady) {
            m_secondActive = true;
            m_second->open(path);
        } else {
            failLater(m_protected ? PlaybackError::CopyProtected : PlaybackError::PlayerUnavailable);
        }
    } else if (m_audioReady) {
        m_audio->open(path);
    } else {
        failLater(PlaybackError::PlayerUnavailable);
    }
}

void AudioEngine::failLater(PlaybackError error)
{
    m_failedHere = true;
    Q_EMIT stateChanged(BackendState::Failed);
    // Announced from the event loop, as a player would, so that a caller that
    // opens the next song from songEnded never runs inside its own open.
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
    if (backend != nullptr && (backend != active() || m_failedHere || m_pending))
        return;
    if (error == PlaybackError::CannotDecode && m_protected)
        error = PlaybackError::CopyProtected;
    m_lastError = error;
    const EndReason reason = error == PlaybackError::None ? EndReason::EndOfFile : EndReason::Failed;
    qCDebug(lcPlayback) << "song ended:" << reason << error << m_currentFile;
    Q_EMIT songEnded(reason, error, m_currentFile);
}

void AudioEngine::pause()
{
    Q_EMIT trayMenuChanged(false, true);
    if (m_pending)
        m_pendingPause = true;
    else if (m_opened && !m_failedHere)
        active()->pause();
}

void AudioEngine::resume()
{
    Q_EMIT trayMenuChanged(true, false);
    if (m_pending)
        m_pendingPause = false;
    else if (m_opened && !m_failedHere)
        active()->resume();
}

void AudioEngine::stop()
{
    ++m_generation; // a failure still queued for the song is dropped
    if (m_pending)
        m_pending = false; // the song waiting for the players is dropped; they are not touched while they start
    else if (m_opened && !m_failedHere)
        active()->stop();
    m_opened = false;
    m_failedHere = false;
    m_secondActive = false;
    if (!m_bandLevels.isEmpty()) {
        m_bandLevels.clear();
        Q_EMIT bandLevelsChanged(m_bandLevels);
    }
    Q_EMIT trayMenuChanged(false, true);
}

BackendState AudioEngine::state() const
{
    if (!m_opened)
        return BackendState::Idle;
    if (m_pending)
        return BackendState::Loading;
    if (m_failedHere)
        return BackendState::Failed;
    return active()->state();
}

qint64 AudioEngine::positionMs() const
{
    const BackendState now = state();
    return now == BackendState::Playing || now == BackendState::Paused ? active()->positionMs() : 0;
}

qint64 AudioEngine::lengthMs() const
{
    const BackendState now = state();
    return now == BackendState::Playing || now == BackendState::Paused ? active()->durationMs() : 0;
}

void AudioEngine::seek(qint64 ms)
{
    if (m_pending)
        m_pendingSeekMs = qMax<qint64>(0, ms);
    else if (m_opened && !m_failedHere)
        active()->seek(ms);
}

PlayState AudioEngine::playState() const
{
    const BackendState now = state();
    return now == BackendState::Playing || now == BackendState::Loading ? PlayState::Playing : PlayState::NotPlaying;
}

QString AudioEngine::errorText() const
{
    if (m_players == Players::Unavailable && (!m_opened || !m_secondActive))
        return m_unavailableText;
    if (m_players != Players::Ready && m_players != Players::Unavailable)
        return {};
    const AudioBackend* backend = m_opened ? active() : m_audio.get();
    return backend != nullptr ? backend->errorText() : QString();
}

void AudioEngine::setVideoWindow(quintptr windowId)
{
    m_videoWindow = windowId;
    if (m_secondReady)
        m_second->setVideoWindow(windowId);
}

void AudioEngine::setBandLevelsEnabled(bool enabled)
{
    m_bandLevelsWanted = enabled;
    if (m_players == Players::Starting)
        return; // handed over once started
    for (AudioBackend* backend : { m_audio.get(), m_second.get() })
        if (backend != nullptr)
            backend->setBandLevelsEnabled(enabled);
}

void AudioEngine::setVolume(int percent)
{
    m_volumePercent = qBound(0, percent, 100);
    if (m_players == Players::Starting)
        return; // handed over once started
    for (AudioBackend* backend : { m_audio.get(), m_second.get() })
        if (backend != nullptr)
            backend->setVolume(m_volumePercent);
}

} // namespace quaverly::playback
