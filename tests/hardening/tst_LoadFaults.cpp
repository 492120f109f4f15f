// Loading when the database is cut short, cannot be read to its end, or the
// whole iPod goes away during the load: the load ends with a clear error or
// warning, keeps what it could read, and the program can load again.
#include "database/ByteWindow.h"
#include "database/ITunesDBParser.h"
#include "database/LibraryLoader.h"
#include "tests/common/TestFiles.h"
#include "tools/testwriter/ITunesDBWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly;
using namespace quaverly::test;
using database::LoadError;

namespace {

const QString kRealDb = QStringLiteral(QUAVERLY_TESTDATA "/real/clickwheel-hash58-v19-350tracks/iTunesDB");
constexpr int kRealTracks = 350;

// Every index the later stages use must name a track.
bool indexesValid(const database::Library& library)
{
    for (const auto& list : library.Playlists) {
        for (const int index : list.IndexList) {
            if (index < 0 || index >= library.TrackCount())
                return false;
        }
    }
    return true;
}

// A file whose reads fail once `failAt` bytes have been read, as when the
// iPod is pulled out while its database is being read.
class UnpluggedFile : public QFile
{
public:
    UnpluggedFile(const QString& path, qint64 failAt)
        : QFile(path)
        , m_failAt(failAt)
    {
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (pos() + maxSize > m_failAt) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        return QFile::readData(data, maxSize);
    }

private:
    qint64 m_failAt;
};

// A small iPod: database, Play Counts and the songs' files.
bool makeIpod(const QString& root)
{
    tools::WriterDatabase db;
    for (int i = 0; i < 3; ++i) {
        tools::WriterTrack track;
        track.uin = 7 + i;
        track.title = QStringLiteral("Song %1").arg(i);
        track.location = QStringLiteral(":iPod_Control:Music:F00:S%1.mp3").arg(i);
        db.tracks.push_back(track);
    }
    db.playlists.push_back({ QStringLiteral("Pod"), 1, false, { { 7, {} }, { 8, {} }, { 9, {} } } });
    const QString itunes = root + QStringLiteral("/iPod_Control/iTunes/");
    bool ok = tools::writeFileBytes(itunes + QStringLiteral("iTunesDB"), tools::writeITunesDB(db))
        && tools::writeFileBytes(itunes + QStringLiteral("Play Counts"), tools::writePlayCounts(16, { {}, {}, {} }));
    for (int i = 0; i < 3; ++i) {
        ok = ok
            && tools::writeFileBytes(root + QStringLiteral("/iPod_Control/Music/F00/S%1.mp3").arg(i),
                                     QByteArray(1000, 'x'));
    }
    return ok;
}

} // namespace

class tst_LoadFaults : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // A copy of the database that stopped early, or a device that vanished
    // while it was written: whatever lies before the cut is read.
    void databaseCutShort_data()
    {
        QTest::addColumn<int>("keep"); // bytes kept; -1 for all but the last
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("minTracks");
        QTest::addColumn<int>("maxTracks");
        QTest::newRow("empty file") << 0 << int(LoadError::NotADatabase) << 0 << 0;
        QTest::newRow("inside the magic") << 3 << int(LoadError::NotADatabase) << 0 << 0;
        QTest::newRow("inside the header") << 40 << int(LoadError::None) << 0 << 0;
        QTest::newRow("inside the first track") << 1000 << int(LoadError::None) << 0 << 1;
        QTest::newRow("half") << 147485 << int(LoadError::None) << 1 << kRealTracks - 1;
        // The playlists follow the tracks: every track is read.
        QTest::newRow("last byte missing") << -1 << int(LoadError::None) << kRealTracks << kRealTracks;
    }
    void databaseCutShort()
    {
        QFETCH(int, keep);
        QFETCH(int, error);
        QFETCH(int, minTracks);
        QFETCH(int, maxTracks);
        const QByteArray whole = readAll(kRealDb);
        QVERIFY2(whole.size() > 200000, qPrintable(kRealDb));
        QTemporaryDir root;
        const QString db = root.path() + QStringLiteral("/iPod_Control/iTunes/iTunesDB");
        QVERIFY(tools::writeFileBytes(db, whole.left(keep < 0 ? whole.size() - 1 : keep)));

        const database::LoadResult result = database::LoadiTunesDB(db, root.path());
        QCOMPARE(int(result.error), error);
        if (result.error != LoadError::None) {
            QVERIFY(!result.errorText.isEmpty());
            return;
        }
        QVERIFY(result.damaged);
        QVERIFY(!result.warnings.isEmpty());
        QVERIFY(result.library.TrackCount() >= minTracks && result.library.TrackCount() <= maxTracks);
        QVERIFY(indexesValid(result.library));
    }

    // A read error part-way through (the iPod pulled out): the scan stops
    // there, says the file could not be read, and keeps the songs before it.
    void readFailsPartWay()
    {
        UnpluggedFile file(kRealDb, 100000);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
        database::ByteWindow window(file, 4096);
        database::Library library;
        const database::ParseReport report = database::parseITunesDB(window, library);
        QVERIFY(report.readFailed);
        QVERIFY(!report.damaged);
        QVERIFY(library.TrackCount() > 0);
        QVERIFY(library.TrackCount() < kRealTracks);
        QVERIFY(indexesValid(library));
    }

    // The whole iPod goes away after its database was read, while the rest
    // of the load looks at the songs and the Play Counts file.
    void ipodGoneDuringLoad()
    {
        QTemporaryDir root;
        QVERIFY(makeIpod(root.path()));
        const QString db = root.path() + QStringLiteral("/iPod_Control/iTunes/iTunesDB");
        bool gone = false;
        database::LoadResult result = database::LoadiTunesDB(db, root.path(), [&](const QString&) {
            gone = gone || QDir(root.path() + QStringLiteral("/iPod_Control")).removeRecursively();
        });
        QVERIFY(gone);
        QCOMPARE(result.error, LoadError::None);
        QCOMPARE(result.library.TrackCount(), 3);
        for (const auto& track : result.library.Tracks)
            QCOMPARE(track.FileSize, qint64(0));
        // Nothing is written to a device that is not there, and nothing is created.
        QCOMPARE(result.playCounts.EntrySize(), -1);
        QVERIFY(result.playCounts.IncrementPlayCount(0) != database::PlayCountError::None);
        QVERIFY(!QFileInfo::exists(root.path() + QStringLiteral("/iPod_Control")));

        // Loading again says clearly that the database is gone.
        const database::LoadResult again = database::LoadiTunesDB(db, root.path());
        QCOMPARE(again.error, LoadError::NotFound);
        QVERIFY(again.errorText.contains(QStringLiteral("iTunesDB")));
        // And the iPod, back again, loads as before.
        QVERIFY(makeIpod(root.path()));
        const database::LoadResult back = database::LoadiTunesDB(db, root.path());
        QCOMPARE(back.error, LoadError::None);
        QCOMPARE(back.library.Tracks.front().FileSize, qint64(1000));
        QCOMPARE(back.playCounts.EntrySize(), 16);
    }
};

QTEST_GUILESS_MAIN(tst_LoadFaults)
#include "tst_LoadFaults.moc"
