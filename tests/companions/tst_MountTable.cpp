#include "MountTable.h"

#include <QFile>
#include <QTest>

using namespace deveject;
using namespace Qt::StringLiterals;

class tst_MountTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void unescape_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("plain");
        QTest::newRow("blank") << QByteArray("/media/u/My\\040iPod") << u"/media/u/My iPod"_s;
        QTest::newRow("tab, newline, backslash") << QByteArray("a\\011b\\012c\\134d") << u"a\tb\nc\\d"_s;
        QTest::newRow("not an escape") << QByteArray("a\\04b\\9") << u"a\\04b\\9"_s;
    }
    void unescape()
    {
        QFETCH(QByteArray, field);
        QFETCH(QString, plain);
        QCOMPARE(unescapeField(field), plain);
    }

    void findsOnlyTheMountPointItself()
    {
        const QByteArray table
            = "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
              "garbage line\n"
              "\n"
              "90 22 8:33 / /media/u/My\\040iPod rw,nosuid - vfat /dev/sdb1 rw\n"
              "91 22 8:34 / /media/u/Other rw shared:1 master:2 propagate_from:3 - vfat /dev/sdc1 rw\n";
        const auto ipod = findMount(table, u"/media/u/My iPod"_s);
        QVERIFY(ipod);
        QCOMPARE(ipod->source, u"/dev/sdb1"_s);
        QCOMPARE(ipod->fsType, u"vfat"_s);
        const auto other = findMount(table, u"/media/u/Other"_s); // several optional fields
        QVERIFY(other);
        QCOMPARE(other->source, u"/dev/sdc1"_s);
        QVERIFY(!findMount(table, u"/media/u/My iPod/iPod_Control"_s));
        QVERIFY(!findMount(table, u"/media/u"_s));
        QVERIFY(!findMount(QByteArray(), u"/"_s));
    }

    void theTopOfStackedMountsWins()
    {
        const QByteArray table = "90 1 8:33 / /media/x rw - vfat /dev/sdb1 rw\n"
                                 "95 90 8:49 / /media/x rw - vfat /dev/sdd1 rw\n";
        QCOMPARE(findMount(table, u"/media/x"_s)->source, u"/dev/sdd1"_s);
    }

    void readsTheRealTable()
    {
        QFile file(u"/proc/self/mountinfo"_s);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const auto root = findMount(file.readAll(), u"/"_s);
        QVERIFY(root);
        QVERIFY(!root->fsType.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_MountTable)
#include "tst_MountTable.moc"
