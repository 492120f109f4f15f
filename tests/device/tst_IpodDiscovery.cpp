#include "device/IpodDiscovery.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly::device;

class tst_IpodDiscovery : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // Makes a folder that looks like a mounted iPod; `control` is the case variant of iPod_Control.
    QString makeIpod(const QString& name, const QString& control = QStringLiteral("iPod_Control"))
    {
        QString root = m_dir.filePath(name);
        const QString itunes = root + u'/' + control + QStringLiteral("/iTunes");
        QFile db(itunes + QStringLiteral("/iTunesDB"));
        if (!QDir().mkpath(itunes) || !db.open(QIODevice::WriteOnly) || db.write("mhbd") != 4)
            return {};
        return root;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void isIpodChecksTheDatabaseFile()
    {
        QVERIFY(IsIpod(makeIpod(QStringLiteral("a"))));
        QVERIFY(IsIpod(makeIpod(QStringLiteral("b"), QStringLiteral("ipod_control"))));
        QVERIFY(IsIpod(makeIpod(QStringLiteral("c"), QStringLiteral("IPOD_CONTROL"))));
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("plain/Music"))));
        QVERIFY(!IsIpod(m_dir.filePath(QStringLiteral("plain"))));
        QVERIFY(!IsIpod(m_dir.filePath(QStringLiteral("does-not-exist"))));
        QVERIFY(!IsIpod(QString()));
        // A folder named iTunesDB is no database.
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("dirdb/iPod_Control/iTunes/iTunesDB"))));
        QVERIFY(!IsIpod(m_dir.filePath(QStringLiteral("dirdb"))));
    }

    void scanVisitsFromTheLastRoot()
    {
        const QString first = makeIpod(QStringLiteral("scan1"));
        const QString second = makeIpod(QStringLiteral("scan2"), QStringLiteral("ipod_control"));
        const QString empty = m_dir.filePath(QStringLiteral("scan3"));
        QVERIFY(QDir().mkpath(empty));
        QCOMPARE(StartScan({ first, second, empty }), second);
        QCOMPARE(StartScan({ first, empty }), first);
        QCOMPARE(StartScan({ empty }), QString());
        QCOMPARE(StartScan({}), QString());
    }

    void commandLineForms()
    {
        const QString ipod = makeIpod(QStringLiteral("cmd"));
        const QString other = makeIpod(QStringLiteral("zz-other"));
        const std::vector<QString> roots { other };
        const QString db = ipod + QStringLiteral("/iPod_Control/iTunes/iTunesDB");

        // An iTunesDB path: the root is three folders up and that very file is loaded.
        auto found = StartFindiPod(db, roots);
        QVERIFY(found);
        QCOMPARE(found->iPodRoot, ipod);
        QCOMPARE(found->dbPath, db);
        QVERIFY(!found->fromScan);

        // A bare root (with a trailing slash too).
        found = StartFindiPod(ipod + u'/', roots);
        QVERIFY(found);
        QCOMPARE(found->iPodRoot, ipod);
        QCOMPARE(found->dbPath, db);

        // A blank before the root is not trimmed away: that folder does not exist, so we scan.
        found = StartFindiPod(u' ' + ipod, roots);
        QVERIFY(found);
        QCOMPARE(found->iPodRoot, other);
        QVERIFY(found->fromScan);

        // An iTunesDB path that does not exist, garbage, and nothing at all: scan.
        for (const QString& line :
             QStringList { ipod + QStringLiteral("/nothing/iTunesDB"), QStringLiteral("garbage words"), QString() }) {
            found = StartFindiPod(line, roots);
            QVERIFY2(found && found->iPodRoot == other, qPrintable(line));
        }
        QVERIFY(!StartFindiPod(QStringLiteral("garbage"), {}));
    }

    void scanCandidatesAreSortedRealVolumes()
    {
        const auto roots = scanCandidates();
        QVERIFY(std::is_sorted(roots.begin(), roots.end()));
        for (const QString& root : roots)
            QVERIFY2(!root.startsWith(QLatin1String("/proc")) && !root.startsWith(QLatin1String("/sys")),
                     qPrintable(root));
    }

    void padTwoDigits_data()
    {
        QTest::addColumn<qint64>("number");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << qint64(0) << "00";
        QTest::newRow("7") << qint64(7) << "07";
        QTest::newRow("10") << qint64(10) << "10";
        QTest::newRow("123") << qint64(123) << "123";
        QTest::newRow("-5") << qint64(-5) << "-5";
    }
    void padTwoDigits()
    {
        QFETCH(qint64, number);
        QFETCH(QString, text);
        QCOMPARE(PadTwoDigits(number), text);
    }
};

QTEST_GUILESS_MAIN(tst_IpodDiscovery)
#include "tst_IpodDiscovery.moc"
