#include "desktop/ui/DesktopIntegration.h"

#include "browser/ui/frmMain.h"
#include "desktop/dbus/MprisService.h"
#include "desktop/ui/HotPlug.h"
#include "desktop/ui/WindowMediaPlayer.h"

#include <QDBusConnection>
#include <QEvent>
#include <QTimer>

namespace quaverly::desktop {

DesktopIntegration::DesktopIntegration(browser::frmMain& window, playback::PlaybackController& playback,
                                       settings::mdlOptions& options, ui::PromptService& prompts, OpenIpod openIpod)
    : QObject(&window)
    , m_window(window)
{
    setObjectName(QStringLiteral("desktopIntegration"));
    m_player = new WindowMediaPlayer(window, playback, this);
    m_mpris = new MprisService(*m_player, QStringLiteral(QUAVERLY_APP_ID), this);
    m_hotPlug = new HotPlug(window, playback, options, prompts, std::move(openIpod), this);
}

DesktopIntegration::~DesktopIntegration() = default;

DesktopIntegration* DesktopIntegration::attach(browser::frmMain& window, playback::PlaybackController& playback,
                                               settings::mdlOptions& options, ui::PromptService& prompts,
                                               OpenIpod openIpod)
{
    auto* integration = new DesktopIntegration(window, playback, options, prompts, std::move(openIpod));
    window.installEventFilter(integration);
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
