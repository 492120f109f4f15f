// quaverly-cli tracks / playlists / info / rate / count-play: the exact JSON
// other tools rely on, warnings on stderr, and refused updates.
#include "tests/common/CliRun.h"
#include "tests/common/StrictJson.h"
#include "tests/common/TestFiles.h"
#include "tools/testwriter/ITunesDBWriter.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace quaverly::tools;
using namespace Qt::StringLiterals;
using namespace quaverly::test;

namespace {

using Run = quaverly::test::CliRun;

// 2024-01-02 10:00:00 on the iPod's clock, in seconds since 1904.
constexpr quint32 kJan2At10 = 3787034400u;

// The exact layout scripts have always received: Qt's indented JSON, keys
// sorted; and nothing a strict reader would refuse.
void verifyLayout(const QByteArray& out)
{
    QCOMPARE(strictJsonError(out), QString());
    const QJsonDocument document = QJsonDocument::fromJson(out);
    QVERIFY(!document.isNull());
    QCOMPARE(out, document.toJson(QJsonDocument::Indented));
}

} // namespace

class tst_CliDatabase : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_counts;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QFile::exists(QStringLiteral(QUAVERLY_BIN_DIR "/quaverly-cli")));
        WriterDatabase db;
        WriterTrack a;
        a.uin = -5;
        a.title = u"Ünïcode 夜 🎵"_s;
        a.location = u":iPod_Control:Music:F00:ABCD.mp3"_s;
        a.album = u"LP"_s;
        a.artist = QString();
        a.genre = u"Jazz"_s;
        a.fileType = u"MPEG audio file"_s;
        a.ratingRaw = 90;
        a.lengthMs = 61000;
        a.trackNumber = 3;
        a.fileSize = 999; // the database's size is not the one reported
        a.playCount = 10; // counted by the database up to the last sync ...
        a.skipCount = 2;
        a.lastPlayed = kJan2At10; // ... and the iPod has not played it since
        WriterTrack b;
        b.playCount = 1;
        b.skipCount = 1;
        b.lastPlayed = kJan2At10;
        b.uin = 7;
        b.title = u"Relative"_s;
        b.location = u"Music:odd"_s;
        db.tracks = { a, b };
        db.playlists = { { u"Pod"_s, 1, false, { { -5, {} }, { 7, {} } } },
                         { u"Ghosts"_s, 2, false, { { 42, {} }, { 7, {} } } },
                         { u"Empty"_s, 3, false, {} } };
        const QString iTunes = m_dir.filePath(u"iPod_Control/iTunes/"_s);
        QVERIFY(writeFileBytes(iTunes + u"iTunesDB", writeITunesDB(db)));
        QVERIFY(writeFileBytes(iTunes + u"OTGPlaylistInfo", writeOTGPlaylistInfo({ 1 })));
        m_counts = iTunes + u"Play Counts";
        QVERIFY(writeFileBytes(m_counts, writePlayCounts(0x1c, { { 0, 0, 0, 0 }, { 4, kJan2At10 + 86400, 60, 3 } })));
        QVERIFY(writeFileBytes(m_dir.filePath(u"iPod_Control/Music/F00/ABCD.mp3"_s), QByteArray(321, 'x')));
    }

    void tracksJson()
    {
        // Last played is read on the computer's clock; a zone with an offset shows the conversion.
        const QByteArray zone = qgetenv("TZ");
        qputenv("TZ", "Europe/Berlin");
        const Run run = runCli({ u"tracks"_s, u"--json"_s, m_dir.path() });
        qputenv("TZ", zone);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, QByteArray());
        verifyLayout(run.out);
        const QJsonArray expected {
            QJsonObject { { u"index"_s, 0 },
                          { u"uin"_s, -5 },
                          { u"title"_s, u"Ünïcode 夜 🎵"_s },
                          { u"artist"_s, u"No Artist"_s },
                          { u"album"_s, u"LP"_s },
                          { u"genre"_s, u"Jazz"_s },
                          { u"path"_s, u"/iPod_Control/Music/F00/ABCD.mp3"_s },
                          { u"type"_s, u"MPEG audio file"_s },
                          { u"rating"_s, 4 },
                          { u"device_rating"_s, 4 },
                          { u"length_ms"_s, 61000 },
                          { u"size"_s, 321 },
                          { u"track_number"_s, 3 },
                          { u"play_count"_s, 10 },
                          { u"skip_count"_s, 2 },
                          { u"last_played"_s, u"2024-01-02T10:00:00"_s },
                          { u"last_played_unix"_s, 1704186000 } },
            QJsonObject { { u"index"_s, 1 },
                          { u"uin"_s, 7 },
                          { u"title"_s, u"Relative"_s },
                          { u"artist"_s, u""_s },
                          { u"album"_s, u""_s },
                          { u"genre"_s, u""_s },
                          { u"path"_s, u"Music/odd"_s },
                          { u"type"_s, u""_s },
                          { u"rating"_s, 0 },
                          { u"device_rating"_s, 3 },
                          { u"length_ms"_s, 0 },
                          { u"size"_s, 0 },
                          { u"track_number"_s, 0 },
                          { u"play_count"_s, 5 },                         // 1 before the last sync, 4 since
                          { u"skip_count"_s, 4 },                         // 1 + 3
                          { u"last_played"_s, u"2024-01-03T10:00:00"_s }, // the Play Counts time wins
                          { u"last_played_unix"_s, 1704186000 + 86400 } },
        };
        QCOMPARE(QJsonDocument::fromJson(run.out).array(), expected);
    }

    void playlistsJson()
    {
        const Run run = runCli({ u"playlists"_s, u"--json"_s, m_dir.filePath(u"iPod_Control/iTunes/iTunesDB"_s) });
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err, QByteArray());
        verifyLayout(run.out);
        const QJsonArray expected {
            QJsonObject { { u"name"_s, u":: Pod ::"_s }, { u"uins"_s, QJsonArray { -5, 7 } } },
            QJsonObject { { u"name"_s, u"Ghosts"_s }, { u"uins"_s, QJsonArray { 42, 7 } } },
            QJsonObject { { u"name"_s, u"Empty"_s }, { u"uins"_s, QJsonArray() } },
            QJsonObject { { u"name"_s, u"On-The-Go"_s }, { u"uins"_s, QJsonArray { 7 } } },
        };
        QCOMPARE(QJsonDocument::fromJson(run.out).array(), expected);
    }

    void infoJson()
    {
        const Run run = runCli({ u"info"_s, u"--json"_s, m_dir.path() });
        QCOMPARE(run.status, 0);
        const QJsonObject info = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(info.value(u"ipod_name"_s).toString(), u"Pod"_s);
        QCOMPARE(info.value(u"tracks"_s).toInt(), 2);
        QCOMPARE(info.value(u"playlists"_s).toInt(), 4);
        QCOMPARE(info.value(u"play_counts_entry_size"_s).toInt(), 0x1c);
        QCOMPARE(info.value(u"database_size"_s).toInteger(),
                 QFileInfo(m_dir.filePath(u"iPod_Control/iTunes/iTunesDB"_s)).size());
        QVERIFY(info.value(u"database"_s).toString().endsWith(u"iTunesDB"_s));
        QCOMPARE(info.value(u"warnings"_s).toArray(), QJsonArray());
    }

    void warningsGoToStderr()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray whole = readAll(m_dir.filePath(u"iPod_Control/iTunes/iTunesDB"_s));
        QVERIFY(writeFileBytes(dir.filePath(u"iPod_Control/iTunes/iTunesDB"_s), whole.left(whole.size() - 100)));
        QVERIFY(writeFileBytes(dir.filePath(u"iPod_Control/iTunes/OTGPlaylistInfo"_s), writeOTGPlaylistInfo({ 9 })));
        const Run run = runCli({ u"info"_s, u"--json"_s, dir.path() });
        QCOMPARE(run.status, 0);
        const QList<QByteArray> lines = run.err.trimmed().split('\n');
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].startsWith("Error with iTunesDB"));
        QVERIFY(lines[1].startsWith("Error in LoadOnTheGo: "));
        QCOMPARE(QJsonDocument::fromJson(run.out).object().value(u"warnings"_s).toArray().size(), 2);
    }

    void failuresAreOneLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::newRow("no such folder") << QStringList { u"tracks"_s, u"/no/such/ipod"_s } << 1;
        QTest::newRow("not an iPod database")
            << QStringList { u"info"_s, QStringLiteral(QUAVERLY_TESTDATA "/real/README.md") } << 1;
        QTest::newRow("no ROOT") << QStringList { u"playlists"_s } << 2;
    }
    void failuresAreOneLine()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        const Run run = runCli(args);
        QCOMPARE(run.status, status);
        QCOMPARE(run.out, QByteArray());
        QVERIFY(!run.err.isEmpty());
    }

    void rateHelpDescribesItsArguments()
    {
        const Run run = runCli({ u"rate"_s, u"--help"_s });
        QCOMPARE(run.status, 0);
        const QString help = QString::fromUtf8(run.out);
        QVERIFY2(help.contains(u"INDEX"_s) && help.contains(u"STARS"_s), qPrintable(help));
        QVERIFY2(!help.contains(u"INDEX  INDEX"_s) && !help.contains(u"STARS  STARS"_s), qPrintable(help));
        QVERIFY2(help.contains(u"0 to 5 stars"_s), qPrintable(help));
    }

    void fullDiskIsAFailure()
    {
        if (!QFileInfo::exists(u"/dev/full"_s))
            QSKIP("no /dev/full on this system");
        for (const QString& command : { u"tracks"_s, u"playlists"_s, u"info"_s }) {
            QProcess process;
            process.setStandardOutputFile(u"/dev/full"_s);
            process.start(QStringLiteral(QUAVERLY_BIN_DIR "/quaverly-cli"), { command, m_dir.path() });
            QVERIFY(process.waitForFinished(60000));
            QCOMPARE(process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(process.exitCode(), 1);
            QVERIFY(process.readAllStandardError().startsWith("Cannot write the output: "));
        }
    }

    void rateAndCountPlay()
    {
        const QByteArray before = readAll(m_counts);
        QCOMPARE(runCli({ u"rate"_s, m_dir.path(), u"2"_s, u"5"_s }).status, 1); // no such track
        QCOMPARE(runCli({ u"rate"_s, u"--"_s, m_dir.path(), u"-1"_s, u"5"_s }).status, 1);
        QCOMPARE(runCli({ u"rate"_s, m_dir.path(), u"0"_s, u"6"_s }).status, 2);
        QCOMPARE(readAll(m_counts), before);

        QCOMPARE(runCli({ u"rate"_s, m_dir.path(), u"0"_s, u"2"_s }).status, 0);
        // The song list shows the rating just stored, as the window's Rating column does.
        const auto songs = runCli({ u"songs"_s, u"--json"_s, m_dir.path() });
        QCOMPARE(songs.status, 0);
        bool seen = false;
        for (const QJsonValue song : QJsonDocument::fromJson(songs.out).array()) {
            if (song[u"index"_s].toInt() == 0) {
                QCOMPARE(song[u"rating"_s].toInt(), 2);
                seen = true;
            }
        }
        QVERIFY(seen);
        QCOMPARE(runCli({ u"count-play"_s, m_dir.path(), u"1"_s }).status, 0);
        const QByteArray after = readAll(m_counts);
        QCOMPARE(after.size(), before.size());
        QCOMPARE(qFromLittleEndian<quint32>(after.constData() + 96 + 12), 40u);
        QCOMPARE(qFromLittleEndian<quint32>(after.constData() + 96 + 0x1c), 5u);
        QVERIFY(qFromLittleEndian<quint32>(after.constData() + 96 + 0x1c + 4) > 3600u * 24 * 365 * 100);
    }
};

QTEST_GUILESS_MAIN(tst_CliDatabase)
#include "tst_CliDatabase.moc"
