#pragma once
// A stand-in for the UDisks2 daemon on the test's private bus: it owns the
// name org.freedesktop.UDisks2 on a connection of its own, answers
// GetManagedObjects at /org/freedesktop/UDisks2, and announces filesystems
// and their MountPoints as the real daemon does (InterfacesAdded,
// InterfacesRemoved, PropertiesChanged on the filesystem's object).
#include <QDBusAbstractAdaptor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QFile>
#include <QMap>
#include <QStringList>

namespace quaverly::testing {

using InterfaceMap = QMap<QString, QVariantMap>;

/// MountPoints as UDisks2 sends them: aay, each path NUL-terminated.
inline QVariant mountPointsValue(const QStringList& points)
{
    QDBusArgument value;
    value.beginArray(QMetaType::fromType<QByteArray>());
    for (const QString& point : points)
        value << (QFile::encodeName(point) + '\0');
    value.endArray();
    return QVariant::fromValue(value);
}

class FakeUDisksManager : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.DBus.ObjectManager")
public:
    FakeUDisksManager(QObject* object, const QDBusConnection& bus, const QMap<QString, QStringList>& filesystems)
        : QDBusAbstractAdaptor(object)
        , m_bus(bus)
        , m_filesystems(filesystems)
    {
    }

public Q_SLOTS:
    void GetManagedObjects(const QDBusMessage& message)
    {
        message.setDelayedReply(true);
        QDBusArgument objects;
        objects.beginMap(QMetaType::fromType<QDBusObjectPath>(), QMetaType::fromType<InterfaceMap>());
        for (auto it = m_filesystems.cbegin(); it != m_filesystems.cend(); ++it) {
            objects.beginMapEntry();
            objects << QDBusObjectPath(it.key()) << interfacesOf(it.value());
            objects.endMapEntry();
        }
        // A drive object without a filesystem, as the real daemon lists too.
        objects.beginMapEntry();
        objects << QDBusObjectPath(QStringLiteral("/org/freedesktop/UDisks2/drives/Apple_iPod"))
                << InterfaceMap { { QStringLiteral("org.freedesktop.UDisks2.Drive"),
                                    { { QStringLiteral("Vendor"), QStringLiteral("Apple") } } } };
        objects.endMapEntry();
        objects.endMap();
        m_bus.send(message.createReply(QVariant::fromValue(objects)));
    }

public:
    static InterfaceMap interfacesOf(const QStringList& mountPoints)
    {
        return InterfaceMap { { QStringLiteral("org.freedesktop.UDisks2.Filesystem"),
                                { { QStringLiteral("MountPoints"), mountPointsValue(mountPoints) },
                                  { QStringLiteral("Size"), QVariant::fromValue(qulonglong(4) << 30) } } },
                              { QStringLiteral("org.freedesktop.UDisks2.Block"),
                                { { QStringLiteral("IdLabel"), QStringLiteral("IPOD") } } } };
    }

private:
    QDBusConnection m_bus;
    const QMap<QString, QStringList>& m_filesystems;
};

class FakeUDisks
{
public:
    FakeUDisks()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("fake-udisks")))
    {
        qDBusRegisterMetaType<InterfaceMap>();
        new FakeUDisksManager(&m_object, m_bus, m_filesystems);
        m_ok = m_bus.registerObject(QStringLiteral("/org/freedesktop/UDisks2"), &m_object,
                                    QDBusConnection::ExportAdaptors)
            && m_bus.registerService(QStringLiteral("org.freedesktop.UDisks2"));
    }
    ~FakeUDisks()
    {
        m_bus.unregisterService(QStringLiteral("org.freedesktop.UDisks2"));
        m_bus.unregisterObject(QStringLiteral("/org/freedesktop/UDisks2"));
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-udisks"));
    }
    FakeUDisks(const FakeUDisks&) = delete;
    FakeUDisks& operator=(const FakeUDisks&) = delete;

    [[nodiscard]] bool isRegistered() const { return m_ok; }
    static QString blockPath(const QString& name)
    {
        return QStringLiteral("/org/freedesktop/UDisks2/block_devices/") + name;
    }

    /// Known before anyone asks (listed by GetManagedObjects, not announced).
    void preset(const QString& block, const QStringList& mountPoints)
    {
        m_filesystems.insert(blockPath(block), mountPoints);
    }

    /// A device plugged in: its filesystem object appears, maybe already mounted.
    void add(const QString& block, const QStringList& mountPoints)
    {
        m_filesystems.insert(blockPath(block), mountPoints);
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/UDisks2"),
                                                         QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                                         QStringLiteral("InterfacesAdded"));
        signal << QVariant::fromValue(QDBusObjectPath(blockPath(block)))
               << QVariant::fromValue(FakeUDisksManager::interfacesOf(mountPoints));
        m_bus.send(signal);
    }
    /// Mounted or unmounted: the filesystem's MountPoints change.
    void setMountPoints(const QString& block, const QStringList& mountPoints)
    {
        m_filesystems.insert(blockPath(block), mountPoints);
        QDBusMessage signal = QDBusMessage::createSignal(
            blockPath(block), QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
        signal << QStringLiteral("org.freedesktop.UDisks2.Filesystem")
               << QVariantMap { { QStringLiteral("MountPoints"), mountPointsValue(mountPoints) } } << QStringList();
        m_bus.send(signal);
    }
    /// A device unplugged: its objects go.
    void remove(const QString& block)
    {
        m_filesystems.remove(blockPath(block));
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/UDisks2"),
                                                         QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                                                         QStringLiteral("InterfacesRemoved"));
        signal << QVariant::fromValue(QDBusObjectPath(blockPath(block)))
               << QStringList { QStringLiteral("org.freedesktop.UDisks2.Block"),
                                QStringLiteral("org.freedesktop.UDisks2.Filesystem") };
        m_bus.send(signal);
    }

private:
    QDBusConnection m_bus;
    QObject m_object;
    QMap<QString, QStringList> m_filesystems;
    bool m_ok = false;
};

} // namespace quaverly::testing
