#include "desktop/dbus/UDisksMountWatcher.h"

#include "desktop/MountPoints.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QFile>
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcDesktop)

namespace quaverly::desktop {
namespace {

using InterfaceMap = QMap<QString, QVariantMap>;

const QString kMountPoints = QStringLiteral("MountPoints");

QString filesystem()
{
    return QLatin1String(UDisksMountWatcher::kFilesystem);
}

InterfaceMap interfacesOf(const QVariant& value)
{
    InterfaceMap interfaces;
    if (value.canConvert<QDBusArgument>())
        value.value<QDBusArgument>() >> interfaces;
    return interfaces;
}

QVariantMap propertiesOf(const QVariant& value)
{
    if (value.userType() == qMetaTypeId<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

} // namespace

QStringList mountPointsFromVariant(const QVariant& value)
{
    QByteArrayList raw;
    if (value.userType() == qMetaTypeId<QDBusArgument>())
        value.value<QDBusArgument>() >> raw;
    else if (value.canConvert<QByteArrayList>())
        raw = value.value<QByteArrayList>();
    QStringList points;
    for (QByteArray bytes : raw) {
        if (bytes.endsWith('\0'))
            bytes.chop(1);
        const QString point = QFile::decodeName(bytes);
        if (!bytes.isEmpty() && QFile::encodeName(point) == bytes) // names that are no text are left out
            points.append(point);
    }
    return points;
}

UDisksMountWatcher::UDisksMountWatcher(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus)
{
}

void UDisksMountWatcher::start()
{
    if (!m_bus.isConnected()) {
        QMetaObject::invokeMethod(this, &UDisksMountWatcher::unavailable, Qt::QueuedConnection);
        return;
    }
    const QString service = QLatin1String(kService);
    const QString manager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
    m_bus.connect(service, QLatin1String(kManagerPath), manager, QStringLiteral("InterfacesAdded"), this,
                  SLOT(interfacesAdded(QDBusMessage)));
    m_bus.connect(service, QLatin1String(kManagerPath), manager, QStringLiteral("InterfacesRemoved"), this,
                  SLOT(interfacesRemoved(QDBusMessage)));
    // Any object's property changes; only filesystems' MountPoints are looked at.
    m_bus.connect(service, QString(), QStringLiteral("org.freedesktop.DBus.Properties"),
                  QStringLiteral("PropertiesChanged"), this, SLOT(propertiesChanged(QDBusMessage)));
    const QDBusMessage call = QDBusMessage::createMethodCall(service, QLatin1String(kManagerPath), manager,
                                                             QStringLiteral("GetManagedObjects"));
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, 10000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &UDisksMountWatcher::managedObjectsArrived);
}

void UDisksMountWatcher::managedObjectsArrived(QDBusPendingCallWatcher* call)
{
    call->deleteLater();
    const QDBusMessage reply = call->reply();
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        qCInfo(lcDesktop) << "UDisks2 is not there:" << reply.errorMessage();
        Q_EMIT unavailable();
        return;
    }
    // a{oa{sa{sv}}}
    const QDBusArgument objects = reply.arguments().constFirst().value<QDBusArgument>();
    QHash<QString, QStringList> found;
    objects.beginMap();
    while (!objects.atEnd()) {
        QDBusObjectPath path;
        InterfaceMap interfaces;
        objects.beginMapEntry();
        objects >> path >> interfaces;
        objects.endMapEntry();
        const auto fs = interfaces.constFind(filesystem());
        if (fs != interfaces.cend())
            found.insert(path.path(), mountPointsFromVariant(fs->value(kMountPoints)));
    }
    objects.endMap();
    m_mounts = found;
    m_ready = true;
    Q_EMIT ready(mounted());
}

QStringList UDisksMountWatcher::mounted() const
{
    QStringList all;
    for (const QStringList& points : m_mounts)
        all += points;
    return all;
}

void UDisksMountWatcher::setMountPoints(const QString& objectPath, const QStringList& mountPoints)
{
    const QStringList before = m_mounts.value(objectPath);
    if (mountPoints.isEmpty())
        m_mounts.remove(objectPath);
    else
        m_mounts.insert(objectPath, mountPoints);
    const MountChange change = diffMounts(before, mountPoints);
    if (m_ready && !change.isEmpty())
        Q_EMIT mountsChanged(change.added, change.removed);
}

void UDisksMountWatcher::interfacesAdded(const QDBusMessage& message)
{
    const QVariantList args = message.arguments();
    if (args.size() < 2)
        return;
    const InterfaceMap interfaces = interfacesOf(args.at(1));
    const auto fs = interfaces.constFind(filesystem());
    if (fs != interfaces.cend())
        setMountPoints(args.at(0).value<QDBusObjectPath>().path(), mountPointsFromVariant(fs->value(kMountPoints)));
}

void UDisksMountWatcher::interfacesRemoved(const QDBusMessage& message)
{
    const QVariantList args = message.arguments();
    if (args.size() < 2 || !args.at(1).toStringList().contains(filesystem()))
        return;
    setMountPoints(args.at(0).value<QDBusObjectPath>().path(), {});
}

void UDisksMountWatcher::propertiesChanged(const QDBusMessage& message)
{
    const QVariantList args = message.arguments();
    if (args.size() < 2 || args.at(0).toString() != filesystem())
        return;
    const QVariantMap changed = propertiesOf(args.at(1));
    const auto points = changed.constFind(kMountPoints);
    if (points != changed.cend())
        setMountPoints(message.path(), mountPointsFromVariant(points.value()));
}

} // namespace quaverly::desktop
