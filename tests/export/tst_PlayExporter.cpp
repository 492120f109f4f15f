// A whole export of plays over files on disk: the real 350-track database
// with Play Counts files of every entry size, exports one after another, a
// new database after a sync, and files that do not belong together.
#include "database/LibraryLoader.h"
#include "database/mdlPlayCountEditor.h"
#include "export/PlayExporter.h"
#include "tests/common/TestFiles.h"
#include "tools/testwriter/ITunesDBWriter.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

using namespace quaverly::database;
using namespace quaverly::exporting;
using namespace quaverly::tools;
using namespace quaverly::test;
using namespace Qt::StringLiterals;

namespace {

constexpr int kTracks = 350;
constexpr quint32 kMac2024 = 3786912000u;
const QString kRealDb = QStringLiteral(QUAVERLY_TESTDATA "/real/clickwheel-hash58-v19-350tracks/iTunesDB");

/// Plays on four songs: 1, 2, 3 and 1 plays.
std::vector<PlayCountEntry> somePlays()
{
    std::vector<PlayCountEntry> entries(kTracks);
    entries[0] = { 1, kMac2024 + 100, 0 };
    entries[10] = { 2, kMac2024 + 5000, 80 };
    entries[200] = { 3, kMac2024 + 90000, 0 };
    entries[349] = { 1, kMac2024 + 7, 0 };
    return entries;
}

} // namespace

class tst_PlayExporter : public QObject
{
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
    QString m_db;
    QString m_playCounts;
    LoadResult m_load;

    bool setUp(int entrySize, const std::vector<PlayCountEntry>& entries)
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_root = m_dir->path();
        m_db = m_root + u"/iPod_Control/iTunes/iTunesDB"_s;
        m_playCounts = m_root + u"/iPod_Control/iTunes/Play Counts"_s;
        if (!writeFile(m_db, readAll(kRealDb)) || !writeFileBytes(m_playCounts, writePlayCounts(entrySize, entries)))
            return false;
        m_load = LoadiTunesDB(m_db, m_root);
        return m_load.error == LoadError::None && m_load.library.TrackCount() == kTracks;
    }

    PreparedPlayExport prepare(bool all = false, PlayLogFormat format = PlayLogFormat::Audioscrobbler)
    {
        PlayExportRequest request;
        request.iPodRoot = m_root;
        request.databaseFile = m_load.databaseFile;
        request.format = format;
        request.all = all;
        return preparePlayExport(m_load.library, request);
    }

    /// Prepares, writes and records, as the command does; the log's play lines.
    QList<QByteArray> exportOnce(bool all = false)
    {
        const PreparedPlayExport prepared = prepare(all);
        const QString log = m_dir->filePath(u"plays.scrobbler.log"_s);
        if (prepared.error != PlayExportError::None
            || writePlayLog(log, m_root, prepared.content, nullptr) != PlayExportError::None
            || !recordPlayExport(prepared).isEmpty())
            return { "failed" };
        QList<QByteArray> lines = readAll(log).split('\n');
        lines.removeIf([](const QByteArray& line) { return line.isEmpty() || line.startsWith('#'); });
        return lines;
    }

private Q_SLOTS:
    void everyEntrySizeOfTheRealDatabase_data()
    {
        QTest::addColumn<int>("entrySize");
        for (const int size : { 12, 16, 20, 28, 40 })
            QTest::addRow("%d-byte entries", size) << size;
    }
    void everyEntrySizeOfTheRealDatabase()
    {
        QFETCH(int, entrySize);
        QVERIFY(setUp(entrySize, somePlays()));
        const QByteArray dbBefore = readAll(m_db);
        const QByteArray countsBefore = readAll(m_playCounts);
        const PreparedPlayExport prepared = prepare();
        QCOMPARE(prepared.error, PlayExportError::None);
        QCOMPARE(prepared.collection.plays.size(), size_t(7));
        QCOMPARE(prepared.collection.tracksWithPlays, 4);
        QCOMPARE(prepared.collection.placedBack, 3);
        const QList<QByteArray> lines = exportOnce();
        QCOMPARE(lines.size(), 7);
        // The song of entry 200, from the real database, at its last play.
        const TrackRecord& track = m_load.library.Tracks[200];
        const QByteArray head = track.Artist.toUtf8() + '\t' + track.Album.toUtf8() + '\t' + track.Title.toUtf8();
        QVERIFY(lines.last().startsWith(head));
        const QByteArray tail = "\tL\t" + QByteArray::number(qint64(kMac2024) + 90000 - 2082844800) + '\t';
        QVERIFY(lines.last().endsWith(tail));
        // The iPod's database side is only read.
        QCOMPARE(readAll(m_db), dbBefore);
        QCOMPARE(readAll(m_playCounts), countsBefore);
        QVERIFY(QFile::exists(exportedPlaysPath(m_root)));
    }

    void eachExportWritesOnlyWhatIsNew()
    {
        QVERIFY(setUp(28, somePlays()));
        QCOMPARE(exportOnce().size(), 7);
        QCOMPARE(exportOnce().size(), 0);
        // Quaverly counts a play of song 10 (as at the end of a song) and one of a song never played.
        mdlPlayCountEditor editor;
        editor.OpenPlayCounts(QFileInfo(m_playCounts).path());
        const QDateTime later = QDateTime::fromSecsSinceEpoch(qint64(kMac2024) - 2082844800 + 86400 * 3,
                                                              QTimeZone::utc());
        for (const int index : { 10, 42 }) {
            QCOMPARE(editor.StampLastPlayed(index, later.toLocalTime()), PlayCountError::None);
            QCOMPARE(editor.IncrementPlayCount(index), PlayCountError::None);
        }
        const QList<QByteArray> fresh = exportOnce();
        QCOMPARE(fresh.size(), 2);
        QVERIFY(fresh[0].contains(m_load.library.Tracks[10].Title.toUtf8())
                || fresh[1].contains(m_load.library.Tracks[10].Title.toUtf8()));
        QCOMPARE(exportOnce().size(), 0);
        QCOMPARE(exportOnce(true).size(), 9); // --all: every play again
    }

    void withoutADatabaseFileTheRootsIsRead()
    {
        QVERIFY(setUp(20, somePlays()));
        PlayExportRequest request;
        request.iPodRoot = m_root;
        const PreparedPlayExport prepared = preparePlayExport(m_load.library, request);
        QCOMPARE(prepared.error, PlayExportError::None);
        QCOMPARE(prepared.collection.plays.size(), size_t(7));
        QCOMPARE(prepared.next.databaseFingerprint, databaseFingerprint(m_db));
    }

    void aNewDatabaseMakesEveryPlayNew()
    {
        QVERIFY(setUp(16, somePlays()));
        QCOMPARE(exportOnce().size(), 7);
        // A sync wrote a new database (another byte somewhere) and a new Play Counts file.
        QByteArray db = readAll(m_db);
        db[db.size() - 1] = char(db[db.size() - 1] ^ 0x01);
        QVERIFY(writeFile(m_db, db));
        QCOMPARE(exportOnce().size(), 7);
    }

    void aDamagedStateFileStartsAfresh()
    {
        QVERIFY(setUp(16, somePlays()));
        QCOMPARE(exportOnce().size(), 7);
        const QString state = exportedPlaysPath(m_root);
        for (const QByteArray& text : { QByteArray("version 2\ndatabase abc\n"), QByteArray("garbage\x01\x02"),
                                        QByteArray("version 1\n5 x 7\n"), QByteArray() }) {
            QVERIFY(writeFile(state, text));
            QCOMPARE(exportOnce().size(), 7);
        }
    }

    void stateRoundTrip()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"QuaverlyExportedPlays"_s);
        ExportedPlays state;
        state.databaseFingerprint = "0123abcd";
        state.tracks = { { 7, { 3, 99 } }, { 0, { 1, 0xffffffffu } } };
        QVERIFY(saveExportedPlays(path, state).isEmpty());
        const ExportedPlays back = loadExportedPlays(path);
        QCOMPARE(back.databaseFingerprint, QByteArray("0123abcd"));
        QCOMPARE(back.tracks.size(), size_t(2));
        QCOMPARE(back.tracks.at(7).playCount, 3u);
        QCOMPARE(back.tracks.at(0).lastPlayedMac, 0xffffffffu);
        QVERIFY(back.countsFor("0123abcd"));
        QVERIFY(!back.countsFor("ffff"));
        QVERIFY(!back.countsFor({}));
        QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
        QVERIFY(!saveExportedPlays(dir.filePath(u"folder"_s), state).isEmpty()); // a folder in its place
        QVERIFY(!saveExportedPlays({}, state).isEmpty());
    }

    void filesThatDoNotBelongTogetherAreRefused()
    {
        std::vector<PlayCountEntry> fewer = somePlays();
        fewer.resize(300);
        QVERIFY(setUp(16, fewer));
        QCOMPARE(prepare().error, PlayExportError::PlayCountsMismatch);
        QVERIFY(setUp(16, somePlays()));
        QByteArray cut = readAll(m_playCounts);
        cut.chop(100);
        QVERIFY(writeFile(m_playCounts, cut));
        QCOMPARE(prepare().error, PlayExportError::PlayCountsDamaged);
        QVERIFY(writeFile(m_playCounts,
                          "not a play counts file, but long enough to hold the whole header of one ....."
                          "............................................."));
        QCOMPARE(prepare().error, PlayExportError::PlayCountsDamaged);
        QVERIFY(!prepare().errorText.isEmpty());
    }

    void withoutPlayCountsThereIsNothingToWrite()
    {
        QVERIFY(setUp(16, somePlays()));
        QVERIFY(QFile::remove(m_playCounts));
        const PreparedPlayExport prepared = prepare();
        QCOMPARE(prepared.error, PlayExportError::None);
        QVERIFY(prepared.noPlayCounts);
        QVERIFY(prepared.content.startsWith("#AUDIOSCROBBLER/1.1\n"));
        QVERIFY(recordPlayExport(prepared).isEmpty());
        QVERIFY(!QFile::exists(exportedPlaysPath(m_root)));
        QVERIFY(playExportReport(prepared).first().contains(u"no Play Counts file"_s));
    }

    void theLogNeverGoesIntoTheIpodsOwnFolders()
    {
        QVERIFY(setUp(16, somePlays()));
        QString error;
        QCOMPARE(writePlayLog(m_root + u"/iPod_Control/iTunes/plays.log"_s, m_root, "x", &error),
                 PlayExportError::TargetRefused);
        QVERIFY(error.contains(u"iPod_Control"_s));
        QCOMPARE(writePlayLog(m_root + u"/IPOD_CONTROL/new/plays.log"_s, m_root, "x", nullptr),
                 PlayExportError::TargetRefused); // the iPod's disk ignores letter case
        const QString link = m_dir->filePath(u"link"_s);
        QVERIFY(QFile::link(m_root + u"/iPod_Control/iTunes"_s, link));
        QCOMPARE(writePlayLog(link + u"/plays.log"_s, m_root, "x", nullptr), PlayExportError::TargetRefused);
        QVERIFY(!QFile::exists(m_root + u"/iPod_Control/iTunes/plays.log"_s));
        // The root is where uploaders look for ".scrobbler.log".
        QCOMPARE(writePlayLog(m_root + u"/.scrobbler.log"_s, m_root, "log", nullptr), PlayExportError::None);
        QCOMPARE(readAll(m_root + u"/.scrobbler.log"_s), QByteArray("log"));
        QCOMPARE(writePlayLog(m_root + u"/.scrobbler.log"_s, m_root, "new", nullptr), PlayExportError::None);
        QCOMPARE(readAll(m_root + u"/.scrobbler.log"_s), QByteArray("new"));
        QCOMPARE(writePlayLog(m_dir->filePath(u"no/such/folder/x.log"_s), m_root, "x", &error),
                 PlayExportError::TargetNotWritable);
    }

    void theReportSaysWhatWasLeftOut()
    {
        std::vector<PlayCountEntry> entries = somePlays();
        entries[5] = { 500, kMac2024, 0 };
        entries[6] = { 2, 0, 0 };
        QVERIFY(setUp(16, entries));
        const QString report = playExportReport(prepare(false, PlayLogFormat::ListenBrainz)).join(u'\n');
        QVERIFY2(report.contains(u"400 plays over the limit of 100 per song left out (1 song)"_s), qPrintable(report));
        QVERIFY2(report.contains(u"2 plays without a time on the iPod left out"_s), qPrintable(report));
        QVERIFY2(report.contains(u"placed back"_s), qPrintable(report));
        QVERIFY2(report.contains(u"not UTC as ListenBrainz expects"_s), qPrintable(report));
    }
};

QTEST_GUILESS_MAIN(tst_PlayExporter)
#include "tst_PlayExporter.moc"
