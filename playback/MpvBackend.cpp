#include "playback/MpvBackend.h"

#include "playback/AudioRouting.h"
#include "playback/BandLevels.h"
#include "playback/MpvLibrary.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QtGlobal>

#include <clocale>
#include <utility>
#include <vector>

namespace quaverly::playback {

namespace {

enum ObservedProperty : quint64 { kTimePos = 1, kDuration, kPause, kBands };
constexpr quint64 kOtherReply = 1; // loads are answered under their own numbers, from 2 on

QList<double> bandLevels(const mpv_node& node)
{
    BandStats stats;
    if (node.format == MPV_FORMAT_NODE_MAP && node.u.list != nullptr) {
        const mpv_node_list& map = *node.u.list;
        for (int i = 0; i < map.num; ++i) {
            if (map.values[i].format == MPV_FORMAT_STRING)
                stats.emplace_back(QByteArray(map.keys[i]), QByteArray(map.values[i].u.string));
        }
    }
    return bandLevelsFromStats(stats);
}

PlaybackError errorOf(int mpvError, const QString& path)
{
    switch (mpvError) {
    case MPV_ERROR_AO_INIT_FAILED:
        return PlaybackError::NoAudioOutput;
    case MPV_ERROR_LOADING_FAILED:
        return QFileInfo::exists(path) ? PlaybackError::CannotDecode : PlaybackError::FileNotFound;
    default:
        return PlaybackError::CannotDecode;
    }
}

using Settings = std::vector<std::pair<const char*, QByteArray>>;

Settings settingsFor(const MpvOptions& options, int volumePercent)
{
    Settings settings = {
        { "config", "no" },
        { "terminal", "no" },
        { "idle", "yes" },
        { "input-default-bindings", "no" },
        { "input-vo-keyboard", "no" },
        { "osc", "no" },
        { "load-scripts", "no" },
        { "ytdl", "no" },
        { "resume-playback", "no" },
        { "sub-auto", "no" },
        { "audio-file-auto", "no" },
        { "force-window", "no" },
        { "volume", QByteArray::number(volumePercent) },
    };
    if (!options.audioOut.isEmpty())
        settings.emplace_back("ao", options.audioOut.toUtf8());
    if (options.untimed)
        settings.emplace_back("ao-null-untimed", "yes");
    if (!options.video) {
        settings.insert(settings.end(), { { "vid", "no" }, { "vo", "null" }, { "audio-display", "no" } });
    } else if (options.ownVideoWindow) {
        // mpv's own window, only for files with a picture (force-window is
        // off), and never for the cover art of an audio book.
        settings.insert(settings.end(),
                        { { "vo", "gpu,x11," },
                          { "audio-display", "no" },
                          { "title", "${media-title} - Quaverly" },
                          { "keepaspect-window", "yes" } });
    } else {
        settings.emplace_back("vo", "null"); // until a window is given to draw into
    }
    return settings;
}

} // namespace

QString audioOutFromEnvironment()
{
    return qEnvironmentVariable("QUAVERLY_AUDIO_OUT").trimmed();
}

MpvBackend::MpvBackend(MpvOptions options, QObject* parent)
    : AudioBackend(parent)
    , m_options(std::move(options))
{
}

MpvBackend::~MpvBackend()
{
    if (m_handle != nullptr) {
        m_mpv->set_wakeup_callback(m_handle, nullptr, nullptr);
        m_mpv->terminate_destroy(m_handle);
    }
}

bool MpvBackend::loadLibraries()
{
    if (m_mpv == nullptr)
        m_mpv = loadMpv(&m_errorText);
    return m_mpv != nullptr;
}

bool MpvBackend::initialise()
{
    if (m_handle != nullptr)
        return true;
    if (!loadLibraries())
        return false;
    // mpv refuses to start under a locale whose decimal point is not '.'.
    // The programs set this in main() before any thread starts, so here it
    // changes nothing in them; it is for hosts (tests) that did not.
    if (qstrcmp(std::setlocale(LC_NUMERIC, nullptr), "C") != 0) // NOLINT(concurrency-mt-unsafe)
        std::setlocale(LC_NUMERIC, "C");                        // NOLINT(concurrency-mt-unsafe)
    m_handle = m_mpv->create();
    if (m_handle == nullptr) {
        m_errorText = QStringLiteral("mpv could not be created");
        return false;
    }
    for (const auto& [name, value] : settingsFor(m_options, m_volumePercent)) {
        if (m_mpv->set_option_string(m_handle, name, value.constData()) < 0) {
            m_errorText = QStringLiteral("mpv refused the option %1=%2")
                              .arg(QLatin1String(name), QString::fromUtf8(value));
            qCWarning(lcPlayback) << m_errorText;
        }
    }
    if (const int rc = m_mpv->initialize(m_handle); rc < 0) {
        m_errorText = QString::fromUtf8(m_mpv->error_string(rc));
        m_mpv->terminate_destroy(m_handle);
        m_handle = nullptr;
        return false;
    }
    m_mpv->request_log_messages(m_handle, "error");
    m_mpv->observe_property(m_handle, kTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    m_mpv->observe_property(m_handle, kDuration, "duration", MPV_FORMAT_DOUBLE);
    m_mpv->observe_property(m_handle, kPause, "pause", MPV_FORMAT_FLAG);
    m_mpv->set_wakeup_callback(m_handle, &MpvBackend::onWakeup, this);
    if (m_bandLevels) {
        m_bandLevels = false;
        setBandLevelsEnabled(true);
    }
    return true;
}

void MpvBackend::onWakeup(void* context)
{
    // Runs on one of mpv's threads: only queue the drain, never call mpv here.
    auto* self = static_cast<MpvBackend*>(context);
    if (!self->m_wakeupQueued.exchange(true))
        QMetaObject::invokeMethod(self, &MpvBackend::drain, Qt::QueuedConnection);
}

void MpvBackend::drain()
{
    m_wakeupQueued.store(false);
    while (m_handle != nullptr) {
        const mpv_event* event = m_mpv->wait_event(m_handle, 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        handleEvent(*event);
    }
}

void MpvBackend::handleEvent(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_PLAYBACK_RESTART:
        if (isStale())
            break;
        m_seekRestarted = true;
        if (!m_pauseWanted)
            m_seekTargetMs = -1;
        if (m_state == BackendState::Loading) {
            if (m_startSeekMs >= 0)
                sendSeek(std::exchange(m_startSeekMs, -1)); // asked for while the file was loading
            setState(m_pauseWanted ? BackendState::Paused : BackendState::Playing);
        }
        break;
    case MPV_EVENT_END_FILE:
        handleEndFile(event);
        break;
    case MPV_EVENT_PROPERTY_CHANGE:
        handleProperty(event);
        break;
    case MPV_EVENT_COMMAND_REPLY:
        if (event.reply_userdata == m_awaitedLoad && m_awaitedLoad != 0)
            handleLoadReply(event);
        break;
    case MPV_EVENT_LOG_MESSAGE: {
        const auto* message = static_cast<const mpv_event_log_message*>(event.data);
        m_errorText = QString::fromUtf8(message->prefix) + u": " + QString::fromUtf8(message->text).trimmed();
        qCDebug(lcPlayback) << "mpv:" << m_errorText;
        break;
    }
    default:
        break;
    }
}

void MpvBackend::handleLoadReply(const mpv_event& event)
{
    // The reply names the playlist entry of the new file; events of any other
    // entry belong to files that were replaced.
    m_awaitedLoad = 0;
    const auto* reply = static_cast<const mpv_event_command*>(event.data);
    if (event.error >= 0 && reply->result.format == MPV_FORMAT_NODE_MAP) {
        const mpv_node_list& map = *reply->result.u.list;
        for (int i = 0; i < map.num; ++i) {
            if (qstrcmp(map.keys[i], "playlist_entry_id") == 0 && map.values[i].format == MPV_FORMAT_INT64)
                m_entryId = static_cast<quint64>(map.values[i].u.int64);
        }
    }
    if (m_entryId == 0) {
        m_errorText = QString::fromUtf8(m_mpv->error_string(event.error));
        fail(PlaybackError::CannotDecode);
    }
}

void MpvBackend::handleEndFile(const mpv_event& event)
{
    const auto* end = static_cast<const mpv_event_end_file*>(event.data);
    const bool current = !isStale() && static_cast<quint64>(end->playlist_entry_id) == m_entryId;
    if (!current || m_state == BackendState::Idle || m_state == BackendState::Ended || m_state == BackendState::Failed)
        return;
    if (end->reason == MPV_END_FILE_REASON_EOF && !QFileInfo::exists(m_path)) {
        // The disk went away under the song (an unplugged iPod reads as an
        // early end): it did not play to its end.
        m_errorText = QStringLiteral("the file is gone: ") + m_path;
        fail(PlaybackError::FileNotFound);
    } else if (end->reason == MPV_END_FILE_REASON_EOF) {
        m_positionMs = m_durationMs;
        setState(BackendState::Ended);
        Q_EMIT finished(PlaybackError::None);
    } else if (end->reason == MPV_END_FILE_REASON_ERROR) {
        if (m_errorText.isEmpty())
            m_errorText = QString::fromUtf8(m_mpv->error_string(end->error));
        fail(errorOf(end->error, m_path));
    }
}

void MpvBackend::handleProperty(const mpv_event& event)
{
    const auto* property = static_cast<const mpv_event_property*>(event.data);
    if (event.reply_userdata == kBands) {
        if (property->format == MPV_FORMAT_NODE && !isStale())
            Q_EMIT bandLevelsChanged(bandLevels(*static_cast<const mpv_node*>(property->data)));
        return;
    }
    if (isStale())
        return; // values of the file being replaced
    const bool has = property->format != MPV_FORMAT_NONE && property->data != nullptr;
    switch (event.reply_userdata) {
    case kTimePos:
        if (has)
            m_positionMs = timeUnitsToMs(*static_cast<const double*>(property->data), 1.0);
        break;
    case kDuration:
        m_durationMs = has ? timeUnitsToMs(*static_cast<const double*>(property->data), 1.0) : 0;
        break;
    case kPause:
        if (has) {
            const bool paused = *static_cast<const int*>(property->data) != 0;
            if (paused && m_state == BackendState::Playing)
                setState(BackendState::Paused);
            else if (!paused && !m_pauseWanted && m_state == BackendState::Paused)
                setState(BackendState::Playing);
        }
        break;
    default:
        break;
    }
}

void MpvBackend::open(const QString& path)
{
    if (m_handle == nullptr)
        return;
    m_path = path;
    m_errorText.clear();
    m_awaitedLoad = ++m_loadCounter;
    m_entryId = 0;
    m_positionMs = m_durationMs = 0;
    m_seekTargetMs = -1;
    m_startSeekMs = -1;
    m_pauseWanted = false;
    setProperty("pause", "no");
    // An absolute path, so that no file name is taken for a protocol or an option.
    const QByteArray file = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    const char* args[] = { "loadfile", file.constData(), "replace", nullptr };
    m_mpv->command_async(m_handle, m_awaitedLoad, args);
    setState(BackendState::Loading);
}

void MpvBackend::pause()
{
    if (m_state != BackendState::Playing && m_state != BackendState::Loading)
        return;
    m_pauseWanted = true;
    m_pausedAtMs = m_positionMs;
    setProperty("pause", "yes");
    if (m_state == BackendState::Playing)
        setState(BackendState::Paused);
}

void MpvBackend::resume()
{
    if (m_state != BackendState::Paused && !(m_state == BackendState::Loading && m_pauseWanted))
        return;
    m_pauseWanted = false;
    if (m_seekRestarted)
        m_seekTargetMs = -1;
    setProperty("pause", "no");
    if (m_state == BackendState::Paused)
        setState(BackendState::Playing);
}

void MpvBackend::seek(qint64 positionMs)
{
    if (m_state == BackendState::Loading)
        m_startSeekMs = qMax<qint64>(0, positionMs);
    else if (m_state == BackendState::Playing || m_state == BackendState::Paused)
        sendSeek(positionMs);
}

void MpvBackend::sendSeek(qint64 positionMs)
{
    m_seekTargetMs = qMax<qint64>(0, positionMs);
    m_seekRestarted = false;
    command({ "seek", QByteArray::number(static_cast<double>(m_seekTargetMs) / 1000.0, 'f', 3), "absolute+exact" });
}

void MpvBackend::stop()
{
    if (m_handle == nullptr || m_state == BackendState::Idle)
        return;
    command({ "stop" });
    m_awaitedLoad = 0;
    m_entryId = 0;
    m_positionMs = m_durationMs = 0;
    m_seekTargetMs = -1;
    setState(BackendState::Idle);
}

qint64 MpvBackend::positionMs() const
{
    if (m_state != BackendState::Playing && m_state != BackendState::Paused)
        return 0;
    if (m_seekTargetMs >= 0)
        return m_seekTargetMs;
    // While paused, the position stays where the pause found it: mpv's
    // clock still moves by the audio it had buffered.
    return m_pauseWanted ? m_pausedAtMs : m_positionMs;
}

void MpvBackend::setVideoWindow(quintptr windowId)
{
    if (!m_options.video || m_handle == nullptr)
        return;
    // Set synchronously: when the window goes away, mpv must have let go of it first.
    const QByteArray wid = QByteArray::number(static_cast<qint64>(windowId));
    const char* vo = windowId != 0 || m_options.ownVideoWindow ? "gpu,x11," : "null";
    if (windowId == 0)
        m_mpv->set_property_string(m_handle, "vo", vo);
    m_mpv->set_property_string(m_handle, "wid", wid.constData());
    if (windowId != 0)
        m_mpv->set_property_string(m_handle, "vo", vo);
}

void MpvBackend::setBandLevelsEnabled(bool enabled)
{
    if (enabled == m_bandLevels)
        return;
    m_bandLevels = enabled;
    if (m_handle == nullptr)
        return;
    if (enabled) {
        setProperty("af", "@bands:lavfi=[" + bandFilterGraph() + ']');
        m_mpv->observe_property(m_handle, kBands, "af-metadata/bands", MPV_FORMAT_NODE);
    } else {
        m_mpv->unobserve_property(m_handle, kBands);
        setProperty("af", "");
    }
}

void MpvBackend::setVolume(int percent)
{
    m_volumePercent = qBound(0, percent, 100);
    if (m_handle != nullptr)
        setProperty("volume", QByteArray::number(m_volumePercent));
}

void MpvBackend::setState(BackendState state)
{
    if (state == m_state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void MpvBackend::fail(PlaybackError error)
{
    setState(BackendState::Failed);
    Q_EMIT finished(error);
}

void MpvBackend::setProperty(const char* name, const QByteArray& value)
{
    const char* text = value.constData();
    m_mpv->set_property_async(m_handle, kOtherReply, name, MPV_FORMAT_STRING, &text);
}

void MpvBackend::command(std::initializer_list<QByteArray> args)
{
    std::vector<const char*> argv;
    for (const QByteArray& arg : args)
        argv.push_back(arg.constData());
    argv.push_back(nullptr);
    m_mpv->command_async(m_handle, kOtherReply, argv.data());
}

} // namespace quaverly::playback
