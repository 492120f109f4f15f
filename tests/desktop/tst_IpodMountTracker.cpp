// What a change of the mounted volumes means while an iPod is open.
#include "desktop/IpodMountTracker.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly::desktop;
using namespace Qt::StringLiterals;

namespace {

/// Mount points whose name holds "IPOD" are iPods.
bool namedIpod(const QString& mountPoint)
{
    return mountPoint.contains(u"IPOD"_s);
}

} // namespace

class tst_IpodMountTracker : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void anotherIpodIsOfferedOnce()
    {
        IpodMountTracker tracker(u"/media/u/MY IPOD"_s, namedIpod);
        tracker.setMounted({ u"/"_s, u"/media/u/MY IPOD"_s, u"/media/u/OLD IPOD"_s });
        QSignalSpy offered(&tracker, &IpodMountTracker::ipodMounted);
        tracker.mountsChanged({ u"/media/u/USB STICK"_s }, {}); // no iPod
        tracker.mountsChanged({ u"/media/u/OLD IPOD"_s }, {});  // there before: not new
        tracker.mountsChanged({ u"/media/u/MY IPOD"_s }, {});   // the open one
        QCOMPARE(offered.count(), 0);
        tracker.mountsChanged({ u"/media/u/NEW IPOD/"_s }, {});
        tracker.mountsChanged({ u"/media/u/NEW IPOD"_s }, {}); // told twice
        QCOMPARE(offered.count(), 1);
        QCOMPARE(offered.at(0).at(0).toString(), u"/media/u/NEW IPOD"_s);
        // Unmounted and mounted again: a new appearance.
        tracker.mountsChanged({}, { u"/media/u/NEW IPOD"_s });
        tracker.mountsChanged({ u"/media/u/NEW IPOD"_s }, {});
        QCOMPARE(offered.count(), 2);
        QVERIFY(!tracker.openIpodGone());
    }

    void openIpodGoesWithItsVolume_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<QString>("unmounted");
        QTest::addColumn<bool>("gone");
        QTest::newRow("its mount point") << u"/media/u/IPOD"_s << u"/media/u/IPOD"_s << true;
        QTest::newRow("a volume above it") << u"/mnt/disk/ipod-copy"_s << u"/mnt/disk"_s << true;
        QTest::newRow("a name that only starts the same") << u"/media/u/IPOD"_s << u"/media/u/IP"_s << false;
        QTest::newRow("a volume inside it") << u"/media/u/IPOD"_s << u"/media/u/IPOD/sub"_s << false;
        QTest::newRow("another volume") << u"/media/u/IPOD"_s << u"/media/u/OTHER"_s << false;
        QTest::newRow("the root file system") << u"/home/u/demo-ipod"_s << u"/"_s << false;
        QTest::newRow("no iPod open") << QString() << u"/media/u/IPOD"_s << false;
    }
    void openIpodGoesWithItsVolume()
    {
        QFETCH(QString, root);
        QFETCH(QString, unmounted);
        QFETCH(bool, gone);
        IpodMountTracker tracker(root, namedIpod);
        tracker.setMounted({ u"/"_s, unmounted });
        QSignalSpy spy(&tracker, &IpodMountTracker::openIpodUnmounted);
        tracker.mountsChanged({}, { unmounted });
        tracker.mountsChanged({}, { unmounted }); // told twice: said once
        QCOMPARE(tracker.openIpodGone(), gone);
        QCOMPARE(spy.count(), gone ? 1 : 0);
        if (gone)
            QCOMPARE(spy.at(0).at(0).toString(), unmounted);
    }

    void openIpodBackAfterItWentIsOffered()
    {
        IpodMountTracker tracker(u"/media/u/IPOD"_s, namedIpod);
        tracker.setMounted({ u"/media/u/IPOD"_s });
        QSignalSpy offered(&tracker, &IpodMountTracker::ipodMounted);
        tracker.mountsChanged({}, { u"/media/u/IPOD"_s });
        QVERIFY(tracker.openIpodGone());
        tracker.mountsChanged({ u"/media/u/IPOD"_s }, {});
        QCOMPARE(offered.count(), 1);
    }

    void rootThroughALinkIsMatchedByItsRealPath()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString volume = dir.filePath(u"IPOD"_s);
        QVERIFY(QDir().mkpath(volume));
        const QString link = dir.filePath(u"link-to-ipod"_s);
        QVERIFY(QFile::link(volume, link));
        IpodMountTracker tracker(link, namedIpod);
        QSignalSpy spy(&tracker, &IpodMountTracker::openIpodUnmounted);
        tracker.mountsChanged({}, { QFileInfo(volume).canonicalFilePath() });
        QCOMPARE(spy.count(), 1);
    }

    void realIpodCheckLooksForTheDatabase()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString ipod = dir.filePath(u"NEW IPOD"_s);
        QVERIFY(QDir().mkpath(ipod + u"/iPod_Control/iTunes"_s));
        QFile db(ipod + u"/iPod_Control/iTunes/iTunesDB"_s);
        QVERIFY(db.open(QIODevice::WriteOnly));
        db.close();
        const QString stick = dir.filePath(u"STICK"_s);
        QVERIFY(QDir().mkpath(stick));
        IpodMountTracker tracker { QString() }; // device::IsIpod decides
        QSignalSpy offered(&tracker, &IpodMountTracker::ipodMounted);
        tracker.mountsChanged({ stick, ipod, dir.filePath(u"gone"_s) }, {});
        QCOMPARE(offered.count(), 1);
        QCOMPARE(offered.at(0).at(0).toString(), ipod);
    }
};

QTEST_GUILESS_MAIN(tst_IpodMountTracker)
#include "tst_IpodMountTracker.moc"
