// Reading the kernel's mount table and telling what changed in it.
#include "desktop/MountPoints.h"

#include <QFile>
#include <QTest>

using namespace quaverly::desktop;
using namespace Qt::StringLiterals;

class tst_MountPoints : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void mountPointsOfARealTable()
    {
        // Lines as /proc/self/mountinfo has them, with an optional field and escapes.
        const QByteArray table = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                                 "35 22 0:30 / /proc rw,nosuid - proc proc rw\n"
                                 "98 22 8:17 / /media/u/MY\\040IPOD rw,nosuid shared:60 - vfat /dev/sdb1 rw\n"
                                 "99 22 8:33 / /media/u/tab\\011and\\134slash rw - vfat /dev/sdc1 rw\n"
                                 "100 98 8:17 / /media/u/MY\\040IPOD rw - vfat /dev/sdb1 rw\n" // mounted over
                                 "\n"
                                 "garbage\n";
        QCOMPARE(parseMountPoints(table),
                 QStringList({ u"/"_s, u"/media/u/MY IPOD"_s, u"/media/u/tab\tand\\slash"_s, u"/proc"_s }));
    }

    void nameThatIsNoTextIsLeftOut()
    {
        // Latin-1 bytes under a UTF-8 locale: no QString names that folder, so
        // it is not turned into another name either.
        const QByteArray table = "98 22 8:17 / /media/u/\xe9t\xe9 rw - vfat /dev/sdb1 rw\n"
                                 "99 22 8:18 / /media/u/\303\251t\303\251 rw - vfat /dev/sdc1 rw\n";
        QCOMPARE(parseMountPoints(table), QStringList { u"/media/u/\u00e9t\u00e9"_s });
    }

    void badEscapesStayAsTheyAre()
    {
        const QByteArray table = "1 1 8:1 / /mnt/a\\09x\\1 rw - ext4 /dev/x rw\n";
        QCOMPARE(parseMountPoints(table), QStringList { u"/mnt/a\\09x\\1"_s });
    }

    void diff()
    {
        const MountChange change = diffMounts({ u"/"_s, u"/media/old"_s, u"/media/kept"_s },
                                              { u"/"_s, u"/media/kept"_s, u"/media/new"_s, u"/media/new"_s });
        QCOMPARE(change.added, QStringList { u"/media/new"_s });
        QCOMPARE(change.removed, QStringList { u"/media/old"_s });
        QVERIFY(diffMounts({ u"/a"_s }, { u"/a"_s }).isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_MountPoints)
#include "tst_MountPoints.moc"
