#include "desktop/ui/DesktopIntegration.h"

#include "browser/ui/frmMain.h"
#include "desktop/dbus/MprisService.h"
#include "desktop/ui/WindowMediaPlayer.h"

#include <QDBusConnection>
#include <QEvent>
#include <QTimer>

namespace quaverly::desktop {

DesktopIntegration::DesktopIntegration(browser::frmMain& window, playback::PlaybackController& playback)
    : QObject(&window)
    , m_window(window)
{
    setObjectName(QStringLiteral("desktopIntegration"));
    m_player = new WindowMediaPlayer(window, playback, this);
    m_mpris = new MprisService(*m_player, QStringLiteral(QUAVERLY_APP_ID), this);
}

DesktopIntegration::~DesktopIntegration() = default;

DesktopIntegration* DesktopIntegration::attach(browser::frmMain& window, playback::PlaybackController& playback)
{
    auto* integration = new DesktopIntegration(window, playback);
    window.installEventFilter(integration);
    return integration;
}

bool DesktopIntegration::startMpris(const QDBusConnection& bus)
{
    return m_mpris->registerOn(bus);
}

bool DesktopIntegration::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window && event->type() == QEvent::Show && !m_started) {
        m_started = true;
        // After the first paint: connecting to the bus is not part of the start-up.
        QTimer::singleShot(0, this, &DesktopIntegration::startOnSessionBus);
    }
    return QObject::eventFilter(watched, event);
}

void DesktopIntegration::startOnSessionBus()
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        startMpris(bus); // no session bus (a console, a container): the feature is simply off
}

} // namespace quaverly::desktop
