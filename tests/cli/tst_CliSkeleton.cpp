#include "tests/common/CliRun.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The command line's contract: exit 0 on success, 1 on failure with one line
// on stderr, 2 on a usage error.
class tst_CliSkeleton : public QObject
{
    Q_OBJECT

    using Run = quaverly::test::CliRun;
    static Run run(const QStringList& args) { return quaverly::test::runCli(args, 30000); }

private Q_SLOTS:
    void exitStatuses()
    {
        Run r = run({ QStringLiteral("--version") });
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.startsWith("quaverly-cli "));

        r = run({ QStringLiteral("--help") });
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains("find"));

        QCOMPARE(run({}).status, 2);
        r = run({ QStringLiteral("no-such-command") });
        QCOMPARE(r.status, 2);
        QVERIFY(r.err.startsWith("Unknown command: no-such-command\n"));

        r = run({ QStringLiteral("find"), QStringLiteral("--no-such-option") });
        QCOMPARE(r.status, 2);
        QVERIFY(r.out.isEmpty());
    }

    void findNamesTheIpodGiven()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("My iPod/ipod_control/itunes")));
        QFile db(dir.filePath(QStringLiteral("My iPod/ipod_control/itunes/iTunesDB")));
        QVERIFY(db.open(QIODevice::WriteOnly));
        db.write("mhbd");
        db.close();

        const QString root = dir.filePath(QStringLiteral("My iPod"));
        Run r = run({ QStringLiteral("find"), QStringLiteral("--json"), root });
        QCOMPARE(r.status, 0);
        const QJsonObject found = QJsonDocument::fromJson(r.out).object();
        QCOMPARE(found.value(QStringLiteral("root")).toString(), root);
        QCOMPARE(found.value(QStringLiteral("database")).toString(), db.fileName());
        QCOMPARE(found.value(QStringLiteral("scanned")).toBool(), false);
    }
};

QTEST_GUILESS_MAIN(tst_CliSkeleton)
#include "tst_CliSkeleton.moc"
