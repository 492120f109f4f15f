// The whole load from files: the real databases in tests/data/real, damaged
// copies of them, iTunesCDB, letter case on the device, file sizes and errors.
#include "database/LibraryLoader.h"
#include "tests/common/TestFiles.h"
#include "tools/testwriter/ITunesDBWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <unistd.h>

using namespace quaverly::database;
using namespace quaverly::tools;
using namespace Qt::StringLiterals;
using namespace quaverly::test;

namespace {

QString realDb(const QString& folder)
{
    return QStringLiteral(QUAVERLY_TESTDATA "/real/") + folder + u"/iTunesDB"_s;
}

WriterDatabase twoSongs()
{
    WriterDatabase db;
    WriterTrack a;
    a.uin = 1;
    a.title = u"Alpha"_s;
    a.location = u":iPod_Control:Music:F00:ABCD.mp3"_s;
    WriterTrack b;
    b.uin = 2;
    b.title = u"Beta"_s;
    b.location = u":iPod_Control:Music:F01:EFGH.mp3"_s;
    db.tracks = { a, b };
    db.playlists = { { u"Pod"_s, 1, false, { { 1, {} }, { 2, {} } } } };
    return db;
}

} // namespace

class tst_LibraryLoader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void realDatabases_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("tracks");
        QTest::addColumn<QStringList>("playlists");
        QTest::addColumn<QString>("iPodName");
        QTest::newRow("iTunes 4.5") << u"itunes45-mac-german-1track"_s << 1 << QStringList { u":: lunix ::"_s }
                                    << u"lunix"_s;
        QTest::newRow("libgpod test file") << u"libgpod-testres-v0d-empty"_s << 0
                                           << QStringList { u":: Nicks iPod ::"_s, u"Podcasts"_s } << u"Nicks iPod"_s;
        QTest::newRow("iTunes 12 shuffle")
            << u"shuffle4g-itunes12-zh-empty"_s << 0 << QStringList { u":: “Administrator”的 iPod ::"_s }
            << u"“Administrator”的 iPod"_s;
        QTest::newRow("gtkpod podcasts") << u"shuffle-gtkpod-libgpod08-podcasts"_s << 23
                                         << QStringList { u":: artm ::"_s, u"Podcasts"_s } << u"artm"_s;
        QTest::newRow("short headers") << u"clickwheel-hash58-v19-350tracks"_s << 350 << QStringList { u":: IPOD ::"_s }
                                       << u"IPOD"_s;
    }
    void realDatabases()
    {
        QFETCH(QString, folder);
        QFETCH(int, tracks);
        QFETCH(QStringList, playlists);
        QFETCH(QString, iPodName);
        QVERIFY(QFile::exists(realDb(folder)));
        const LoadResult result = LoadiTunesDB(realDb(folder), QFileInfo(realDb(folder)).absolutePath());
        QCOMPARE(result.error, LoadError::None);
        QCOMPARE(result.warnings, QStringList());
        QCOMPARE(result.library.TrackCount(), tracks);
        QStringList names;
        for (const clsPlayList& list : result.library.Playlists)
            names.append(list.Name);
        QCOMPARE(names, playlists);
        QCOMPARE(result.library.iPodName, iPodName);
        // The master playlist holds every track, each one known.
        if (tracks > 0)
            QCOMPARE(result.library.Playlists[0].IndexList.size(), size_t(tracks));
    }

    void realFieldsComeOutWhole()
    {
        const LoadResult german = LoadiTunesDB(realDb(u"itunes45-mac-german-1track"_s), {});
        QCOMPARE(german.library.TrackCount(), 1);
        const TrackRecord& t = german.library.Tracks[0];
        QCOMPARE(t.FileType, u"MPEG-Audiodatei"_s);
        QVERIFY(t.Path.startsWith(u"/iPod_Control/Music/f03/"_s));
        QCOMPARE(t.Genre, u"Andere"_s);
        // The details a copy's tags are written from.
        QCOMPARE(t.composer(), u"komponist"_s);
        QCOMPARE(t.comment(), u"bpm 22"_s);
        QCOMPARE(t.Year, 1997);
        QVERIFY(t.albumArtist().isEmpty());

        const LoadResult gtkpod = LoadiTunesDB(realDb(u"shuffle-gtkpod-libgpod08-podcasts"_s), {});
        QCOMPARE(gtkpod.library.Playlists[1].UINList.size(), size_t(15)); // episodes, no show headers
        bool dash = false;
        bool guillemet = false;
        for (const TrackRecord& track : gtkpod.library.Tracks) {
            dash = dash || track.Title.contains(QChar(0x2013));
            guillemet = guillemet || track.Album.contains(QChar(0x00bb));
        }
        QVERIFY(dash);
        QVERIFY(guillemet);
        QCOMPARE(gtkpod.library.Tracks[0].Year, 2013);
        const auto bySigler = std::count_if(
            gtkpod.library.Tracks.begin(), gtkpod.library.Tracks.end(), [](const TrackRecord& track) {
                return track.albumArtist() == u"Scott Sigler"_s && track.composer() == u"Scott Sigler"_s;
            });
        QCOMPARE(bySigler, 1);

        // A .NET writer's database: year and album track count in the 0x184-byte track header.
        const LoadResult clickwheel = LoadiTunesDB(realDb(u"clickwheel-hash58-v19-350tracks"_s), {});
        QCOMPARE(clickwheel.library.Tracks[3].Year, 1999);
        QCOMPARE(clickwheel.library.Tracks[3].TotalTracks, qint16(7));
        QCOMPARE(clickwheel.library.Tracks[2].Year, 0);
        QCOMPARE(clickwheel.library.Tracks[2].DiscNumber, qint16(0));
    }

    void damagedRealCopiesAreReported()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QStringList folders { u"itunes45-mac-german-1track"_s, u"shuffle-gtkpod-libgpod08-podcasts"_s,
                                    u"shuffle4g-itunes12-zh-empty"_s, u"clickwheel-hash58-v19-350tracks"_s,
                                    u"libgpod-testres-v0d-empty"_s };
        const QString copy = dir.filePath(u"iTunesDB"_s);
        for (const QString& folder : folders) {
            const QByteArray whole = readAll(realDb(folder));
            QVERIFY(!whole.isEmpty());
            for (const double part : { 0.1, 0.37, 0.5, 0.81, 0.99 }) {
                QVERIFY(writeFileBytes(copy, whole.left(qsizetype(whole.size() * part))));
                const LoadResult cut = LoadiTunesDB(copy, dir.path());
                QCOMPARE(cut.error, LoadError::None);
                QVERIFY2(cut.damaged, qPrintable(folder));
                QVERIFY(!cut.warnings.isEmpty());
            }
            // Bytes overwritten in the middle: read around or reported, never a crash or a hang.
            QByteArray garbled = whole;
            for (qsizetype i = whole.size() / 3; i < whole.size() / 3 + 64 && i < whole.size(); ++i)
                garbled[i] = char(0xff);
            QVERIFY(writeFileBytes(copy, garbled));
            const LoadResult bad = LoadiTunesDB(copy, dir.path());
            QCOMPARE(bad.error, LoadError::None);
            QVERIFY(bad.library.TrackCount() <= qMax(1, LoadiTunesDB(realDb(folder), {}).library.TrackCount()));
        }
    }

    void errorsNameTheFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString missing = dir.filePath(u"iPod_Control/iTunes/iTunesDB"_s);
        const LoadResult none = LoadiTunesDB(missing, dir.path());
        QCOMPARE(none.error, LoadError::NotFound);
        QVERIFY(none.errorText.contains(u"iTunesDB"_s));

        QVERIFY(writeFileBytes(missing, "not a database at all"));
        const LoadResult wrong = LoadiTunesDB(missing, dir.path());
        QCOMPARE(wrong.error, LoadError::NotADatabase);
        QVERIFY(wrong.errorText.contains(missing));
        QCOMPARE(wrong.library.TrackCount(), 0);

        QVERIFY(writeFileBytes(missing, QByteArray()));
        QCOMPARE(LoadiTunesDB(missing, dir.path()).error, LoadError::NotADatabase);

        QVERIFY(writeFileBytes(missing, writeITunesDB(twoSongs())));
        QVERIFY(QFile::setPermissions(missing, QFileDevice::WriteOwner));
        if (::geteuid() != 0)
            QCOMPARE(LoadiTunesDB(missing, dir.path()).error, LoadError::Unreadable);
        QVERIFY(QFile::setPermissions(missing, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(LoadiTunesDB(missing, dir.path()).error, LoadError::None);
        // Reading leaves nothing behind beside the database.
        QCOMPARE(QDir(dir.filePath(u"iPod_Control/iTunes"_s)).entryList(QDir::Files), QStringList { u"iTunesDB"_s });
    }

    void compressedDatabaseIsPreferred()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath(u"iPod_Control/iTunes/"_s);
        QVERIFY(writeFileBytes(folder + u"iTunesDB", QByteArray()));
        QVERIFY(writeFileBytes(folder + u"iTunesCDB", compressITunesDB(writeITunesDB(twoSongs()))));
        const LoadResult result = LoadiTunesDB(folder + u"iTunesDB", dir.path());
        QCOMPARE(result.error, LoadError::None);
        QCOMPARE(result.warnings, QStringList());
        QVERIFY(result.compressed);
        QCOMPARE(QFileInfo(result.databaseFile).fileName(), u"iTunesCDB"_s);
        QCOMPARE(result.library.TrackCount(), 2);
        QCOMPARE(result.library.Tracks[1].Title, u"Beta"_s);

        QByteArray broken = compressITunesDB(writeITunesDB(twoSongs()));
        broken.chop(20);
        QVERIFY(writeFileBytes(folder + u"iTunesCDB", broken));
        QCOMPARE(LoadiTunesDB(folder + u"iTunesDB", dir.path()).error, LoadError::NotADatabase);

        // A stream that inflates a thousand times its size is refused, not inflated until memory runs out.
        const QByteArray bomb = compressITunesDB(writeITunesDB(twoSongs()) + QByteArray(40 << 20, '\0'));
        QVERIFY(qint64(bomb.size()) * 64 + (16 << 20) < (40 << 20));
        QVERIFY(writeFileBytes(folder + u"iTunesCDB", bomb));
        QCOMPARE(LoadiTunesDB(folder + u"iTunesDB", dir.path()).error, LoadError::NotADatabase);
    }

    void deviceFilesInAnyLetterCase()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString folder = dir.filePath(u"ipod_control/itunes/"_s);
        QVERIFY(writeFileBytes(folder + u"itunesdb", writeITunesDB(twoSongs())));
        QVERIFY(writeFileBytes(folder + u"otgplaylistinfo", writeOTGPlaylistInfo({ 1 })));
        QVERIFY(writeFileBytes(folder + u"PLAY COUNTS", writePlayCounts(16, { {}, {} })));
        QVERIFY(writeFileBytes(dir.filePath(u"ipod_control/music/f00/abcd.MP3"_s), QByteArray(1234, 'x')));
        const LoadResult result = LoadiTunesDB(folder + u"itunesdb", dir.path());
        QCOMPARE(result.error, LoadError::None);
        QCOMPARE(result.library.Tracks[0].FileSize, qint64(1234)); // from the disk
        QCOMPARE(result.library.Tracks[1].FileSize, qint64(0));    // missing file
        QCOMPARE(result.library.Playlists.back().Name, u"On-The-Go"_s);
        QCOMPARE(result.playCounts.EntrySize(), 16);
    }

    // The folders are listed on several threads at once: every song, in
    // every folder, must still get its own size, whatever the letter case.
    void fileSizesOverManyFolders()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        Library library;
        for (int i = 0; i < 600; ++i) {
            const int folder = i % 60;
            const QString name = (i % 7 == 0 ? u"Ä%1é.m4a"_s : u"S%1.mp3"_s).arg(i, 3, 10, QLatin1Char('0'));
            TrackRecord track;
            track.Path = u"/iPod_Control/Music/F%1/"_s.arg(folder, 2, 10, QLatin1Char('0')) + name;
            if (i % 13 != 0) { // every 13th song is missing from the disk
                const QString onDisk = u"ipod_control/music/f%1/"_s.arg(folder, 2, 10, QLatin1Char('0'))
                    + (i % 2 ? name.toUpper() : name.toLower());
                QVERIFY(writeFileBytes(dir.filePath(onDisk), QByteArray(i + 1, 'x')));
            }
            library.Tracks.push_back(track);
        }
        TrackRecord noFolder; // a folder that does not exist at all
        noFolder.Path = u"/iPod_Control/Music/F99/NONE.mp3"_s;
        library.Tracks.push_back(noFolder);

        fillFileSizes(library, dir.path());
        for (int i = 0; i < 600; ++i)
            QCOMPARE(library.Tracks[size_t(i)].FileSize, i % 13 ? qint64(i + 1) : qint64(0));
        QCOMPARE(library.Tracks.back().FileSize, qint64(0));
    }

    void masterWithoutTitleTakesTheRootName()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString root = dir.filePath(u"MY IPOD"_s);
        WriterDatabase db = twoSongs();
        db.playlists[0].name.reset();
        QVERIFY(writeFileBytes(root + u"/iPod_Control/iTunes/iTunesDB", writeITunesDB(db)));
        const LoadResult result = LoadiTunesDB(root + u"/iPod_Control/iTunes/iTunesDB", root);
        QCOMPARE(result.library.iPodName, u"MY IPOD"_s);
        QCOMPARE(result.library.Playlists[0].Name, u":: MY IPOD ::"_s);
        db.playlists.clear(); // no playlist at all: still a name, but no master is made up
        QVERIFY(writeFileBytes(root + u"/iPod_Control/iTunes/iTunesDB", writeITunesDB(db)));
        const LoadResult bare = LoadiTunesDB(root + u"/iPod_Control/iTunes/iTunesDB", root);
        QCOMPARE(bare.library.iPodName, u"MY IPOD"_s);
        QCOMPARE(bare.library.PlaylistCount(), 0);
        QCOMPARE(bare.library.TrackCount(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_LibraryLoader)
#include "tst_LibraryLoader.moc"
