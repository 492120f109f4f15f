#pragma once
#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QStringList>

class QDBusMessage;
class QDBusPendingCallWatcher;

namespace quaverly::desktop {

/// Mounts and unmounts as UDisks2 reports them: the MountPoints of its
/// org.freedesktop.UDisks2.Filesystem objects, from the object manager's
/// InterfacesAdded and InterfacesRemoved and from PropertiesChanged (a volume
/// mounted or unmounted later, the usual case). Watches the bus it is given:
/// the system bus in the program, a private bus in tests.
class UDisksMountWatcher : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* kService = "org.freedesktop.UDisks2";
    static constexpr const char* kManagerPath = "/org/freedesktop/UDisks2";
    static constexpr const char* kFilesystem = "org.freedesktop.UDisks2.Filesystem";

    explicit UDisksMountWatcher(const QDBusConnection& bus, QObject* parent = nullptr);

    /// Subscribes and asks UDisks2 for its objects (starting it if the bus
    /// can); `ready` or `unavailable` follows from the event loop.
    void start();
    /// The mount points known now.
    [[nodiscard]] QStringList mounted() const;

Q_SIGNALS:
    void ready(const QStringList& mounted);
    /// No UDisks2 on this bus (or it did not answer): watch some other way.
    void unavailable();
    void mountsChanged(const QStringList& added, const QStringList& removed);

private Q_SLOTS:
    void interfacesAdded(const QDBusMessage& message);
    void interfacesRemoved(const QDBusMessage& message);
    void propertiesChanged(const QDBusMessage& message);

private:
    void managedObjectsArrived(QDBusPendingCallWatcher* call);
    void setMountPoints(const QString& objectPath, const QStringList& mountPoints);

    QDBusConnection m_bus;
    QHash<QString, QStringList> m_mounts; // object path -> its mount points
    bool m_ready = false;
};

/// The mount points of a MountPoints value (aay: NUL-terminated byte strings).
[[nodiscard]] QStringList mountPointsFromVariant(const QVariant& value);

} // namespace quaverly::desktop
