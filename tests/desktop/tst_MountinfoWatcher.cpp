// The mount table watched without D-Bus: a real mount and unmount (root only;
// skipped where the system does not let the test mount).
#include "desktop/MountinfoWatcher.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace quaverly::desktop;
using namespace Qt::StringLiterals;

namespace {

bool run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

/// Every mount point reported as added (or removed) so far.
QStringList reported(const QSignalSpy& spy, int argument)
{
    QStringList all;
    for (const QList<QVariant>& signal : spy)
        all += signal.at(argument).toStringList();
    return all;
}

} // namespace

class tst_MountinfoWatcher : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void missingTableCannotBeWatched()
    {
        MountinfoWatcher watcher(u"/nonexistent/mountinfo"_s);
        QVERIFY(!watcher.start());
        QVERIFY(watcher.mounted().isEmpty());
    }

    void readsTheRealTable()
    {
        MountinfoWatcher watcher;
        QVERIFY(watcher.start());
        QVERIFY(watcher.mounted().contains(u"/"_s));
        QSignalSpy changed(&watcher, &MountinfoWatcher::mountsChanged);
        watcher.refresh(); // nothing changed: nothing said
        QCOMPARE(changed.count(), 0);
    }

    void mountAndUnmountAreSeen()
    {
        if (::geteuid() != 0)
            QSKIP("mounting needs root");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString volume = dir.filePath(u"volume"_s);
        const QString mountPoint = dir.filePath(u"MY IPOD"_s);
        QVERIFY(QDir().mkpath(volume + u"/iPod_Control/iTunes"_s));
        QVERIFY(QDir().mkpath(mountPoint));
        MountinfoWatcher watcher;
        QVERIFY(watcher.start());
        QSignalSpy changed(&watcher, &MountinfoWatcher::mountsChanged);
        if (!run(u"mount"_s, { u"--bind"_s, volume, mountPoint }))
            QSKIP("this system does not let the test mount");
        QTRY_VERIFY(reported(changed, 0).contains(mountPoint));
        QVERIFY(watcher.mounted().contains(mountPoint));
        QVERIFY(run(u"umount"_s, { mountPoint }));
        QTRY_VERIFY(reported(changed, 1).contains(mountPoint));
        QVERIFY(!watcher.mounted().contains(mountPoint));
    }
};

QTEST_GUILESS_MAIN(tst_MountinfoWatcher)
#include "tst_MountinfoWatcher.moc"
