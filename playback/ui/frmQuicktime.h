#pragma once
#include <QPointer>
#include <QWidget>

namespace quaverly::playback {

class AudioEngine;

/// The window the second player shows video in: a child of the main window
/// that holds the video surface `QT`. It is shown while a song plays through
/// the second player and hidden otherwise. Video is drawn into it where the
/// platform lets mpv draw into another program's window (X11); elsewhere the
/// second player plays the sound only.
class frmQuicktime : public QWidget
{
    Q_OBJECT
public:
    explicit frmQuicktime(AudioEngine& engine, QWidget* parent = nullptr);
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
