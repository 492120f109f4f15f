#include "desktop/dbus/MprisService.h"

#include "desktop/MediaPlayerControl.h"
#include "desktop/MprisMetadata.h"
#include "desktop/dbus/MprisAdaptors.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QLoggingCategory>
#include <QTimer>

Q_LOGGING_CATEGORY(lcDesktop, "quaverly.desktop", QtWarningMsg)

namespace quaverly::desktop {
namespace {

const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

/// The player's properties that PropertiesChanged announces (all but Position,
/// which clients ask for), with the metadata's track id still as text.
QVariantMap announcedProperties(const MprisPlayerAdaptor& adaptor, const MediaPlayerControl& player)
{
    return QVariantMap {
        { QStringLiteral("PlaybackStatus"), adaptor.playbackStatus() },
        { QStringLiteral("LoopStatus"), adaptor.loopStatus() },
        { QStringLiteral("Shuffle"), adaptor.shuffle() },
        { QStringLiteral("Metadata"), metadataOf(player.track()) },
        { QStringLiteral("Volume"), adaptor.volume() },
        { QStringLiteral("CanGoNext"), adaptor.canGoNext() },
        { QStringLiteral("CanGoPrevious"), adaptor.canGoPrevious() },
        { QStringLiteral("CanPlay"), adaptor.canPlay() },
        { QStringLiteral("CanPause"), adaptor.canPause() },
        { QStringLiteral("CanSeek"), adaptor.canSeek() },
    };
}

bool claimName(QDBusConnectionInterface* bus, const QString& name)
{
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus->registerService(
        name, QDBusConnectionInterface::DontQueueService, QDBusConnectionInterface::DontAllowReplacement);
    return reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
}

} // namespace

MprisService::MprisService(MediaPlayerControl& player, QString desktopEntry, QObject* parent)
    : QObject(parent)
    , m_player(player)
    , m_desktopEntry(std::move(desktopEntry))
    , m_bus(QString())
{
    m_object = new QObject(this);
    m_root = new MprisRootAdaptor(*this, m_object);
    m_playerAdaptor = new MprisPlayerAdaptor(*this, m_object);
    connect(&m_player, &MediaPlayerControl::changed, this, &MprisService::scheduleChanges);
}

MprisService::~MprisService()
{
    unregister();
}

bool MprisService::registerOn(const QDBusConnection& bus)
{
    unregister();
    if (!bus.isConnected() || bus.interface() == nullptr)
        return false;
    m_bus = bus;
    if (!m_bus.registerObject(QLatin1String(kMprisObjectPath), m_object, QDBusConnection::ExportAdaptors)) {
        qCWarning(lcDesktop) << "MPRIS: the object path is taken on this connection";
        return false;
    }
    for (const QString& name : { mprisServiceName(), mprisServiceName(QCoreApplication::applicationPid()) }) {
        if (claimName(m_bus.interface(), name)) {
            m_serviceName = name;
            break;
        }
    }
    if (m_serviceName.isEmpty()) {
        qCWarning(lcDesktop) << "MPRIS: no bus name could be had";
        m_bus.unregisterObject(QLatin1String(kMprisObjectPath));
        return false;
    }
    m_announced = announcedProperties(*m_playerAdaptor, m_player);
    qCInfo(lcDesktop) << "MPRIS: registered as" << m_serviceName;
    return true;
}

void MprisService::unregister()
{
    if (!m_bus.isConnected())
        return;
    if (!m_serviceName.isEmpty())
        m_bus.interface()->unregisterService(m_serviceName);
    m_bus.unregisterObject(QLatin1String(kMprisObjectPath));
    m_serviceName.clear();
    m_bus = QDBusConnection(QString());
}

QVariantMap MprisService::rootProperties() const
{
    return QVariantMap {
        { QStringLiteral("CanQuit"), m_root->canQuit() },
        { QStringLiteral("CanRaise"), m_root->canRaise() },
        { QStringLiteral("HasTrackList"), m_root->hasTrackList() },
        { QStringLiteral("Identity"), m_root->identity() },
        { QStringLiteral("DesktopEntry"), m_root->desktopEntry() },
        { QStringLiteral("SupportedUriSchemes"), m_root->supportedUriSchemes() },
        { QStringLiteral("SupportedMimeTypes"), m_root->supportedMimeTypes() },
    };
}

QVariantMap MprisService::playerProperties() const
{
    QVariantMap properties = announcedProperties(*m_playerAdaptor, m_player);
    properties.insert(QStringLiteral("Metadata"), m_playerAdaptor->metadata());
    properties.insert(QStringLiteral("Position"), m_playerAdaptor->position());
    properties.insert(QStringLiteral("Rate"), m_playerAdaptor->rate());
    properties.insert(QStringLiteral("MinimumRate"), m_playerAdaptor->rate());
    properties.insert(QStringLiteral("MaximumRate"), m_playerAdaptor->rate());
    properties.insert(QStringLiteral("CanControl"), m_playerAdaptor->canControl());
    return properties;
}

void MprisService::scheduleChanges()
{
    if (m_pending || m_serviceName.isEmpty())
        return;
    m_pending = true;
    QTimer::singleShot(0, this, &MprisService::announceChanges);
}

void MprisService::announceChanges()
{
    m_pending = false;
    if (m_serviceName.isEmpty())
        return;
    const QVariantMap now = announcedProperties(*m_playerAdaptor, m_player);
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (m_announced.value(it.key()) != it.value())
            changed.insert(it.key(),
                           it.key() == QLatin1String("Metadata") ? QVariant(forBus(it.value().toMap())) : it.value());
    }
    m_announced = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QLatin1String(kMprisObjectPath),
                                                     QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    m_bus.send(signal);
}

} // namespace quaverly::desktop
