#pragma once
#include "playback/AudioRouting.h"

#include <QPointer>
#include <QWidget>

namespace quaverly::playback {

class AudioEngine;

/// The window the second player shows video in: a child of the main window
/// that holds the video surface `QT`. Where the platform lets mpv draw into
/// another program's window (X11: VideoRoute::Embedded) it is handed to the
/// engine, and shown while a song plays through the second player. On the
/// other routes it stays hidden: under Wayland mpv shows the picture in a
/// window of its own, and without a display only the sound plays.
class frmQuicktime : public QWidget
{
    Q_OBJECT
public:
    /// The route of the running platform (chooseVideoRoute).
    explicit frmQuicktime(AudioEngine& engine, QWidget* parent = nullptr);
    frmQuicktime(AudioEngine& engine, VideoRoute route, QWidget* parent = nullptr);
    ~frmQuicktime() override;

    /// True when the second player draws into this window.
    [[nodiscard]] bool showsVideo() const { return m_attached; }

private:
    void followEngine();

    QWidget* QT = nullptr;
    QPointer<AudioEngine> m_engine;
    bool m_attached = false;
};

} // namespace quaverly::playback
