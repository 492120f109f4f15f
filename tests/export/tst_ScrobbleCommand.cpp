// quaverly-cli scrobble-log and art, run as a user runs them, over the demo
// iPod (plays of its songs in Play Counts, covers in most songs).
#include "tests/common/CliRun.h"
#include "tests/common/TestFiles.h"
#include "tools/demoipod/DemoArt.h"
#include "tools/demoipod/DemoIpod.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly::test;
using namespace Qt::StringLiterals;

namespace {

QList<QByteArray> playLines(const QByteArray& log)
{
    QList<QByteArray> lines = log.split('\n');
    lines.removeIf([](const QByteArray& line) { return line.isEmpty() || line.startsWith('#'); });
    return lines;
}

} // namespace

class tst_ScrobbleCommand : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_ipod;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_ipod = m_dir->filePath(u"ipod"_s);
        QString error;
        QVERIFY2(quaverly::tools::makeDemoIpod(m_ipod, {}, &error), qPrintable(error));
    }

    void theLogGoesToStdoutAndTheReportToStderr()
    {
        const QByteArray counts = readAll(m_ipod + u"/iPod_Control/iTunes/Play Counts"_s);
        const QByteArray db = readAll(m_ipod + u"/iPod_Control/iTunes/iTunesDB"_s);
        const CliRun first = runCli({ u"scrobble-log"_s, m_ipod });
        QCOMPARE(first.status, 0);
        QVERIFY(first.out.startsWith("#AUDIOSCROBBLER/1.1\n#TZ/UNKNOWN\n#CLIENT/Quaverly "));
        const QList<QByteArray> plays = playLines(first.out);
        QVERIFY(plays.size() > 10);
        for (const QByteArray& line : plays)
            QCOMPARE(line.count('\t'), 7);
        QVERIFY(first.err.contains(QByteArray("Wrote " + QByteArray::number(plays.size()) + " plays")));
        // Recorded: the next export has nothing new. Play Counts and the database are untouched.
        const CliRun second = runCli({ u"scrobble-log"_s, m_ipod });
        QCOMPARE(second.status, 0);
        QVERIFY(playLines(second.out).isEmpty());
        QVERIFY(second.err.contains("No new plays"));
        QCOMPARE(readAll(m_ipod + u"/iPod_Control/iTunes/Play Counts"_s), counts);
        QCOMPARE(readAll(m_ipod + u"/iPod_Control/iTunes/iTunesDB"_s), db);
        QCOMPARE(playLines(runCli({ u"scrobble-log"_s, m_ipod, u"--all"_s }).out).size(), plays.size());
    }

    void aDryRunRecordsNothing()
    {
        const CliRun dry = runCli({ u"scrobble-log"_s, m_ipod, u"--dry-run"_s });
        QCOMPARE(dry.status, 0);
        QVERIFY(dry.err.contains("--dry-run"));
        QCOMPARE(playLines(runCli({ u"scrobble-log"_s, m_ipod }).out).size(), playLines(dry.out).size());
    }

    void listenBrainzInUtcToAFile()
    {
        const QString asFound = m_dir->filePath(u"found.log"_s);
        QCOMPARE(runCli({ u"scrobble-log"_s, m_ipod, u"--out"_s, asFound, u"--dry-run"_s }).status, 0);
        const QString json = m_dir->filePath(u"plays.json"_s);
        const CliRun run = runCli({ u"scrobble-log"_s, m_ipod, u"--format"_s, u"listenbrainz"_s, u"--utc-offset"_s,
                                    u"+02:00"_s, u"--out"_s, json });
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains("converted from the iPod's clock at UTC+02:00")); // the report, on stdout
        const QJsonObject root = QJsonDocument::fromJson(readAll(json)).object();
        QCOMPARE(root[u"listen_type"_s].toString(), u"import"_s);
        const QJsonArray payload = root[u"payload"_s].toArray();
        const QList<QByteArray> found = playLines(readAll(asFound));
        QCOMPARE(payload.size(), found.size());
        // The same first play, two hours earlier in UTC than the iPod's wall clock.
        const qint64 wall = found.first().split('\t').at(6).toLongLong();
        QCOMPARE(payload.first()[u"listened_at"_s].toInteger(), wall - 7200);
        QCOMPARE(payload.first()[u"track_metadata"_s][u"additional_info"_s][u"media_player"_s].toString(),
                 u"Quaverly"_s);
    }

    void usageErrorsAndRefusals()
    {
        QCOMPARE(runCli({ u"scrobble-log"_s, m_ipod, u"--utc-offset"_s, u"two hours"_s }).status, 2);
        QCOMPARE(runCli({ u"scrobble-log"_s, m_ipod, u"--format"_s, u"csv"_s }).status, 2);
        QCOMPARE(runCli({ u"scrobble-log"_s }).status, 2);
        const QString inside = m_ipod + u"/iPod_Control/Music/plays.log"_s;
        const CliRun refused = runCli({ u"scrobble-log"_s, m_ipod, u"--out"_s, inside });
        QCOMPARE(refused.status, 1);
        QVERIFY(refused.err.contains("iPod_Control"));
        QVERIFY(!QFile::exists(inside));
        QVERIFY(!QFile::exists(m_ipod + u"/iPod_Control/iTunes/QuaverlyExportedPlays"_s)); // nothing recorded
    }

    void theCoverAsStored()
    {
        // Song 0 is on the demo's first album with a cover.
        const QString out = m_dir->filePath(u"cover.png"_s);
        const CliRun run = runCli({ u"art"_s, m_ipod, u"0"_s, u"--out"_s, out });
        QCOMPARE(run.status, 0);
        QVERIFY(run.out.contains("image/png"));
        QCOMPARE(readAll(out), quaverly::tools::makeCoverPng(1));
        const CliRun piped = runCli({ u"art"_s, m_ipod, u"0"_s, u"--out"_s, u"-"_s });
        QCOMPARE(piped.out, quaverly::tools::makeCoverPng(1));
    }

    void noCoverFailsClearly()
    {
        // Song 30 ("Field Recording 1" on "Sketches") has none; 999 does not exist.
        const CliRun none = runCli({ u"art"_s, m_ipod, u"30"_s, u"--out"_s, m_dir->filePath(u"x.jpg"_s) });
        QCOMPARE(none.status, 1);
        QVERIFY(none.err.contains("has no embedded cover"));
        QVERIFY(!QFile::exists(m_dir->filePath(u"x.jpg"_s)));
        QCOMPARE(runCli({ u"art"_s, m_ipod, u"999"_s, u"--out"_s, m_dir->filePath(u"x.jpg"_s) }).status, 1);
        QCOMPARE(runCli({ u"art"_s, m_ipod, u"0"_s }).status, 2);
        QCOMPARE(runCli({ u"art"_s, m_ipod, u"0"_s, u"--out"_s, m_ipod + u"/iPod_Control/c.png"_s }).status, 1);
    }

    void tagLibIsOpenedOnlyWhenNeeded()
    {
        // The command-line program does not link TagLib: commands that need no
        // cover or tags start without it, and without the module "art" says why.
        QProcess ldd;
        ldd.start(u"ldd"_s, { QStringLiteral(QUAVERLY_BIN_DIR "/quaverly-cli") });
        QVERIFY(ldd.waitForFinished(30000));
        QVERIFY(!ldd.readAllStandardOutput().contains("libtag"));
        QProcess art;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QUAVERLY_TAGLIB_MODULE"_s, m_dir->filePath(u"no-such-module.so"_s));
        art.setProcessEnvironment(environment);
        art.start(QStringLiteral(QUAVERLY_BIN_DIR "/quaverly-cli"),
                  { u"art"_s, m_ipod, u"0"_s, u"--out"_s, m_dir->filePath(u"c.png"_s) });
        QVERIFY(art.waitForFinished(60000));
        QCOMPARE(art.exitCode(), 1);
        QVERIFY(art.readAllStandardError().contains("The TagLib module could not be opened"));
        QVERIFY(!QFile::exists(m_dir->filePath(u"c.png"_s)));
    }
};

QTEST_GUILESS_MAIN(tst_ScrobbleCommand)
#include "tst_ScrobbleCommand.moc"
