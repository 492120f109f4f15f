#pragma once
#include <QObject>

class QDBusConnection;

namespace quaverly::browser {
class frmMain;
}
namespace quaverly::playback {
class PlaybackController;
}

namespace quaverly::desktop {

class MprisService;
class WindowMediaPlayer;

/// The main window on the desktop: its player on the session bus (MPRIS), so
/// that media keys and the desktop's media controls drive it. Starts after the
/// window was first shown, so start-up never waits for a bus; without a
/// session bus the feature stays off and nothing is said. A child of the window.
class DesktopIntegration : public QObject
{
    Q_OBJECT
public:
    DesktopIntegration(browser::frmMain& window, playback::PlaybackController& playback);
    ~DesktopIntegration() override;

    /// The program's wiring: the integration starts on the session bus once
    /// the window has been shown.
    static DesktopIntegration* attach(browser::frmMain& window, playback::PlaybackController& playback);

    /// Offers the player on `bus`; false when it is not connected or the names are taken.
    bool startMpris(const QDBusConnection& bus);

    [[nodiscard]] WindowMediaPlayer& player() { return *m_player; }
    [[nodiscard]] MprisService& mpris() { return *m_mpris; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startOnSessionBus();

    browser::frmMain& m_window;
    WindowMediaPlayer* m_player = nullptr;
    MprisService* m_mpris = nullptr;
    bool m_started = false;
};

} // namespace quaverly::desktop
