#pragma once
#include "playback/AudioBackend.h"

#include <atomic>

struct mpv_handle;
struct mpv_event;

namespace quaverly::playback {

struct MpvApi;

/// How an mpv player is set up.
struct MpvOptions
{
    /// mpv's audio output ("null" for none, "alsa", "pulse"...); empty: mpv's choice.
    QString audioOut;
    /// Decode as fast as possible with the null output (tests only).
    bool untimed = false;
    /// Show video (the second player); the audio player never decodes video.
    bool video = false;
    /// With video: where no window can be embedded (setVideoWindow), mpv opens
    /// a window of its own for files that have a picture (Wayland). Otherwise
    /// video is only drawn into the window given by setVideoWindow.
    bool ownVideoWindow = false;
};

/// The audio output chosen by QUAVERLY_AUDIO_OUT, else empty (mpv's choice).
[[nodiscard]] QString audioOutFromEnvironment();

/// The back end over libmpv. libmpv is not linked but opened by
/// loadLibraries() (or initialise()), so that programs that never play never
/// map it. Each instance owns one mpv handle, created in initialise() (with
/// LC_NUMERIC "C", which mpv requires). mpv's
/// wakeup callback only queues a drain of mpv's events on this object's
/// thread; observed properties (time-pos, duration, pause) feed the queries.
/// Every command is sent asynchronously, so no call waits for mpv.
class MpvBackend : public AudioBackend
{
    Q_OBJECT
public:
    explicit MpvBackend(MpvOptions options, QObject* parent = nullptr);
    ~MpvBackend() override;

    [[nodiscard]] bool loadLibraries() override;
    [[nodiscard]] bool initialise() override;
    void open(const QString& path) override;
    void pause() override;
    void resume() override;
    void seek(qint64 positionMs) override;
    void stop() override;

    [[nodiscard]] BackendState state() const override { return m_state; }
    [[nodiscard]] qint64 positionMs() const override;
    [[nodiscard]] qint64 durationMs() const override { return m_durationMs; }
    [[nodiscard]] QString errorText() const override { return m_errorText; }

    void setVideoWindow(quintptr windowId) override;
    void setBandLevelsEnabled(bool enabled) override;
    void setVolume(int percent) override;

private:
    static void onWakeup(void* context);
    void drain();
    void handleEvent(const mpv_event& event);
    void handleEndFile(const mpv_event& event);
    void handleProperty(const mpv_event& event);
    void setState(BackendState state);
    void fail(PlaybackError error);
    void handleLoadReply(const mpv_event& event);
    [[nodiscard]] bool isStale() const { return m_awaitedLoad != 0; }
    void sendSeek(qint64 positionMs);
    void setProperty(const char* name, const QByteArray& value);
    void command(std::initializer_list<QByteArray> args);

    MpvOptions m_options;
    const MpvApi* m_mpv = nullptr;
    mpv_handle* m_handle = nullptr;
    std::atomic_bool m_wakeupQueued { false };

    BackendState m_state = BackendState::Idle;
    QString m_path;
    QString m_errorText;
    quint64 m_loadCounter = 1;
    quint64 m_awaitedLoad = 0; // reply number of the last load, until its reply came
    quint64 m_entryId = 0;     // playlist entry of the current file
    bool m_pauseWanted = false;
    qint64 m_positionMs = 0;
    qint64 m_durationMs = 0;
    qint64 m_pausedAtMs = 0;
    qint64 m_seekTargetMs = -1; // shown as the position until the seek is done
    bool m_seekRestarted = false;
    qint64 m_startSeekMs = -1; // a seek asked for while loading
    bool m_bandLevels = false;
    int m_volumePercent = 100;
};

} // namespace quaverly::playback
