#pragma once
#include "desktop/ui/DesktopPlace.h"

#include <QObject>

#include <functional>

class QDBusConnection;

namespace quaverly::settings {
class mdlOptions;
}
namespace quaverly::ui {
class PromptService;
}

namespace quaverly::desktop {

class HotPlug;
class MprisService;
class WindowMediaPlayer;

/// The main window on the desktop: its player on the session bus (MPRIS), so
/// that media keys and the desktop's media controls drive it, and iPods
/// mounted or unmounted while it runs (HotPlug). Starts after the window was
/// first shown, so start-up never waits for a bus; without a session bus
/// MPRIS stays off, without UDisks2 the mount table is watched, and nothing
/// is said about either. A child of the window.
class DesktopIntegration : public QObject
{
    Q_OBJECT
public:
    /// Replaces the open iPod by the one mounted at `root` (the program's
    /// start-up flow does it; the window is deleted in the course).
    using OpenIpod = std::function<void(const QString& root)>;

    DesktopIntegration(const DesktopPlace& window, settings::mdlOptions& options, ui::PromptService& prompts,
                       OpenIpod openIpod = {});
    ~DesktopIntegration() override;

    /// The program's wiring: MPRIS on the session bus and hot-plug through
    /// UDisks2 on the system bus, once the window has been shown.
    static DesktopIntegration* attach(const DesktopPlace& window, settings::mdlOptions& options,
                                      ui::PromptService& prompts, OpenIpod openIpod);

    /// Offers the player on `bus`; false when it is not connected or the names are taken.
    bool startMpris(const QDBusConnection& bus);
    /// Watches for iPods through UDisks2 on `bus`, else the mount table.
    void startHotPlug(const QDBusConnection& bus);

    [[nodiscard]] WindowMediaPlayer& player() { return *m_player; }
    [[nodiscard]] MprisService& mpris() { return *m_mpris; }
    [[nodiscard]] HotPlug& hotPlug() { return *m_hotPlug; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startOnBuses();

    QWidget& m_window;
    WindowMediaPlayer* m_player = nullptr;
    MprisService* m_mpris = nullptr;
    HotPlug* m_hotPlug = nullptr;
    bool m_started = false;
};

} // namespace quaverly::desktop
