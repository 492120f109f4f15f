// The demo iPod opens like a real one: sound database, playable songs.
#include "database/LibraryLoader.h"
#include "media/EmbeddedArt.h"
#include "tools/demoipod/DemoArt.h"
#include "tools/demoipod/DemoIpod.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly::database;
using namespace quaverly::tools;
using namespace Qt::StringLiterals;

class tst_DemoIpod : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void demoOpens()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QString error;
        QVERIFY2(makeDemoIpod(dir.path(), {}, &error), qPrintable(error));
        QVERIFY(QFile::exists(dir.filePath(u"iPod_Control/Device/SysInfo"_s)));
        const LoadResult result = LoadiTunesDB(dir.filePath(u"iPod_Control/iTunes/iTunesDB"_s), dir.path());
        QCOMPARE(result.error, LoadError::None);
        QCOMPARE(result.warnings, QStringList());
        const Library& lib = result.library;
        QVERIFY(lib.TrackCount() >= 24);
        QVERIFY(lib.PlaylistCount() >= 4);
        QCOMPARE(lib.Playlists.back().Name, u"On-The-Go"_s);
        QVERIFY(!lib.Playlists.back().IndexList.empty());
        QCOMPARE(result.playCounts.entryCount(), qint64(lib.TrackCount()));

        QSet<QString> genres;
        QSet<QString> titleAndArtist;
        bool duplicate = false;
        bool nonLatin = false;
        for (const TrackRecord& t : lib.Tracks) {
            genres.insert(t.Genre);
            const QString key = t.Title + u'\n' + t.Artist;
            duplicate = duplicate || titleAndArtist.contains(key);
            titleAndArtist.insert(key);
            nonLatin = nonLatin || t.Title.contains(u"夜明けの歌"_s);
            // Songs live in Fxx folders under scrambled four-letter names and are real WAV files.
            QVERIFY2(QRegularExpression(u"^/iPod_Control/Music/F\\d\\d/[A-Z]{4}\\.wav$"_s).match(t.Path).hasMatch(),
                     qPrintable(t.Path));
            QVERIFY(t.FileSize > 44);
            QFile song(dir.path() + t.Path);
            QVERIFY(song.open(QIODevice::ReadOnly));
            QCOMPARE(song.read(4), QByteArray("RIFF"));
        }
        QVERIFY(genres.size() >= 4);
        QVERIFY(duplicate);
        QVERIFY(nonLatin);
    }

    void mostAlbumsCarryTheirOwnCover()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(makeDemoIpod(dir.path(), {}, nullptr));
        const LoadResult result = LoadiTunesDB(dir.filePath(u"iPod_Control/iTunes/iTunesDB"_s), dir.path());
        QHash<QString, QByteArray> coverOfAlbum;
        int withCover = 0;
        for (const TrackRecord& t : result.library.Tracks) {
            const quaverly::media::ArtResult art = quaverly::media::readEmbeddedArt(dir.path() + t.Path);
            if (art.error == quaverly::media::ArtError::None) {
                ++withCover;
                QCOMPARE(art.cover.mimeType, u"image/png"_s);
                QVERIFY(t.Year > 0);
                // Every song of an album carries the same picture, and no two albums share one.
                QVERIFY(coverOfAlbum.value(t.Album, art.cover.data) == art.cover.data);
                coverOfAlbum.insert(t.Album, art.cover.data);
            } else {
                QCOMPARE(art.error, quaverly::media::ArtError::NoArt);
            }
        }
        QVERIFY(withCover > result.library.TrackCount() / 2);
        QVERIFY(withCover < result.library.TrackCount()); // the placeholder has songs to show too
        QCOMPARE(QSet<QByteArray>(coverOfAlbum.begin(), coverOfAlbum.end()).size(), coverOfAlbum.size());
        QCOMPARE(makeCoverPng(7), makeCoverPng(7)); // the same demo every time
        QVERIFY(makeCoverPng(7).startsWith("\x89PNG\r\n\x1a\n"));
    }

    void largeLibraryWithoutAudio()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        DemoOptions options;
        options.tracks = 2500;
        options.audio = false;
        QVERIFY(makeDemoIpod(dir.path(), options, nullptr));
        const LoadResult result = LoadiTunesDB(dir.filePath(u"iPod_Control/iTunes/iTunesDB"_s), dir.path());
        QCOMPARE(result.warnings, QStringList());
        QCOMPARE(result.library.TrackCount(), 2500);
        QCOMPARE(result.library.PlaylistCount(), 21); // 20 and On-The-Go
        QCOMPARE(result.library.Playlists[0].IndexList.size(), size_t(2500));
    }

    void namesForLibrariesBeyondFourLetters_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("letters");
        QTest::newRow("small") << 1000 << 4;
        QTest::newRow("largest with four letters") << 228488 << 4;
        // Four letters give 456,976 names; once more than half would be
        // taken the draws slow down, and beyond all of them they never end.
        QTest::newRow("one more") << 228489 << 5;
        QTest::newRow("more than four letters can name") << 460000 << 5;
    }
    void namesForLibrariesBeyondFourLetters()
    {
        QFETCH(int, count);
        QFETCH(int, letters);
        const std::vector<QString> names = scrambledNames(count, 50000);
        QCOMPARE(names.size(), size_t(count));
        QSet<QString> distinct;
        distinct.reserve(count);
        for (const QString& name : names) {
            QCOMPARE(name.size(), qsizetype(letters));
            distinct.insert(name);
        }
        QCOMPARE(distinct.size(), qsizetype(count));
        // The same seed gives the same names: the libraries made before stay as they were.
        if (letters == 4)
            QCOMPARE(scrambledNames(3, 50000), std::vector<QString>(names.begin(), names.begin() + 3));
        QCOMPARE(scrambledNames(1, 20061), std::vector<QString> { u"NJNS"_s }); // the demo's first song
    }

    void tooLargeIsRefused()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        DemoOptions options;
        options.tracks = kMaxDemoTracks + 1;
        QString error;
        QVERIFY(!makeDemoIpod(dir.path(), options, &error));
        QVERIFY(error.contains(QString::number(kMaxDemoTracks)));
        QVERIFY(QDir(dir.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_DemoIpod)
#include "tst_DemoIpod.moc"
