#include "desktop/ui/DesktopIntegration.h"

#include "desktop/dbus/MprisService.h"
#include "desktop/ui/HotPlug.h"
#include "desktop/ui/WindowMediaPlayer.h"

#include <QDBusConnection>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace quaverly::desktop {

DesktopIntegration::DesktopIntegration(const DesktopPlace& window, settings::mdlOptions& options,
                                       ui::PromptService& prompts, OpenIpod openIpod)
    : QObject(window.window)
    , m_window(*window.window)
{
    setObjectName(QStringLiteral("desktopIntegration"));
    m_player = new WindowMediaPlayer(window, this);
    m_mpris = new MprisService(*m_player, QStringLiteral(QUAVERLY_APP_ID), this);
    m_hotPlug = new HotPlug(window, options, prompts, std::move(openIpod), this);
}

DesktopIntegration::~DesktopIntegration() = default;

DesktopIntegration* DesktopIntegration::attach(const DesktopPlace& window, settings::mdlOptions& options,
                                               ui::PromptService& prompts, OpenIpod openIpod)
{
    auto* integration = new DesktopIntegration(window, options, prompts, std::move(openIpod));
    window.window->installEventFilter(integration);
    return integration;
}

bool DesktopIntegration::startMpris(const QDBusConnection& bus)
{
    return m_mpris->registerOn(bus);
}

void DesktopIntegration::startHotPlug(const QDBusConnection& bus)
{
    m_hotPlug->start(bus);
}

bool DesktopIntegration::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window && event->type() == QEvent::Show && !m_started) {
        m_started = true;
        // After the first paint: connecting to the bus is not part of the start-up.
        QTimer::singleShot(0, this, &DesktopIntegration::startOnBuses);
    }
    return QObject::eventFilter(watched, event);
}

void DesktopIntegration::startOnBuses()
{
    const QDBusConnection session = QDBusConnection::sessionBus();
    if (session.isConnected())
        startMpris(session);                    // no session bus (a console, a container): the feature is simply off
    startHotPlug(QDBusConnection::systemBus()); // UDisks2 lives on the system bus
}

} // namespace quaverly::desktop
