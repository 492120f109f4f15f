// Mounts as UDisks2 reports them, from a stand-in daemon on a private bus.
#include "FakeUDisks.h"
#include "PrivateBus.h"
#include "desktop/dbus/UDisksMountWatcher.h"

#include <QSignalSpy>
#include <QTest>

using namespace quaverly;
using namespace quaverly::desktop;
using namespace Qt::StringLiterals;

class tst_UDisksMountWatcher : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QUAVERLY_REQUIRE_PRIVATE_BUS(); }

    void followsTheDaemon()
    {
        testing::FakeUDisks udisks;
        QVERIFY(udisks.isRegistered());
        udisks.preset(u"sda1"_s, {});                                     // not mounted
        udisks.preset(u"sdb1"_s, { u"/media/u/MY IPOD"_s, u"/mnt/b"_s }); // mounted twice
        UDisksMountWatcher watcher(QDBusConnection::sessionBus());
        QSignalSpy ready(&watcher, &UDisksMountWatcher::ready);
        QSignalSpy changed(&watcher, &UDisksMountWatcher::mountsChanged);
        watcher.start();
        QVERIFY(ready.wait(10000));
        QStringList mounted = ready.at(0).at(0).toStringList();
        mounted.sort();
        QCOMPARE(mounted, QStringList({ u"/media/u/MY IPOD"_s, u"/mnt/b"_s }));

        // Mounted later: the usual way a volume appears.
        udisks.setMountPoints(u"sda1"_s, { u"/media/u/NEW IPOD"_s });
        QVERIFY(changed.wait(5000));
        QCOMPARE(changed.at(0).at(0).toStringList(), QStringList { u"/media/u/NEW IPOD"_s });
        QVERIFY(changed.at(0).at(1).toStringList().isEmpty());

        // Plugged in already mounted.
        udisks.add(u"sdc1"_s, { u"/media/u/STICK"_s });
        QVERIFY(changed.wait(5000));
        QCOMPARE(changed.at(1).at(0).toStringList(), QStringList { u"/media/u/STICK"_s });

        // Unmounted from outside (udisksctl unmount, the file manager).
        udisks.setMountPoints(u"sdb1"_s, { u"/mnt/b"_s });
        QVERIFY(changed.wait(5000));
        QCOMPARE(changed.at(2).at(1).toStringList(), QStringList { u"/media/u/MY IPOD"_s });

        // Pulled out without unmounting: the object goes with its mount points.
        udisks.remove(u"sdc1"_s);
        QVERIFY(changed.wait(5000));
        QCOMPARE(changed.at(3).at(1).toStringList(), QStringList { u"/media/u/STICK"_s });
        mounted = watcher.mounted();
        mounted.sort();
        QCOMPARE(mounted, QStringList({ u"/media/u/NEW IPOD"_s, u"/mnt/b"_s }));
    }

    void noDaemonMeansUnavailable()
    {
        UDisksMountWatcher watcher(QDBusConnection::sessionBus()); // nothing owns the name
        QSignalSpy unavailable(&watcher, &UDisksMountWatcher::unavailable);
        watcher.start();
        QVERIFY(unavailable.wait(15000));
    }

    void disconnectedBusMeansUnavailable()
    {
        const QDBusConnection none = QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"none"_s);
        UDisksMountWatcher watcher(none);
        QSignalSpy unavailable(&watcher, &UDisksMountWatcher::unavailable);
        watcher.start();
        QVERIFY(unavailable.wait(5000));
        QDBusConnection::disconnectFromBus(u"none"_s);
    }

    void mountPointValues()
    {
        QCOMPARE(mountPointsFromVariant(QVariant::fromValue(QByteArrayList { QByteArray("/x\0", 3), QByteArray() })),
                 QStringList { u"/x"_s });
        QVERIFY(mountPointsFromVariant(QVariant()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_UDisksMountWatcher)
#include "tst_UDisksMountWatcher.moc"
