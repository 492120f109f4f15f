#include "TestLibrary.h"
#include "browser/LibraryChecks.h"
#include "tests/common/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace quaverly::browser;
using namespace quaverly::browser::test;
using namespace quaverly::test;
using quaverly::database::Library;

namespace {

Song song(const QString& title, const QString& artist, const QString& album, const QString& path = {})
{
    return Song { title, artist, album, u"Genre"_qs, 1, 200000, path };
}

} // namespace

class tst_LibraryChecks : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void duplicates_noneFound()
    {
        // Same title and artist on another album is another song.
        const Library library = makeLibrary({ song(u"Song"_qs, u"Band"_qs, u"LP"_qs),
                                              song(u"Song"_qs, u"Band"_qs, u"Live"_qs),
                                              song(u"Other"_qs, u"Band"_qs, u"LP"_qs) });
        const DuplicateReport report = ScanForDuplicates(library);
        QCOMPARE(report.foundCount, 0);
        QVERIFY(report.lines.empty());
        QVERIFY(reportText(library, report).isEmpty());
    }

    void duplicates_reportOrder()
    {
        // 13 tracks: "A" three times (1, 5, 12), "B" twice (3, 11) differing in
        // letter case, the rest single. Each copy is listed once per later copy.
        Library library = makeLibrary({});
        for (int i = 0; i < 13; ++i) {
            QString title = u"Single %1"_qs.arg(i);
            if (i == 1 || i == 5 || i == 12)
                title = u"A"_qs;
            database_add(library, i == 3 ? u"Bee"_qs : i == 11 ? u"bEE"_qs : title, i == 11 ? u"BAND"_qs : u"Band"_qs);
        }
        const DuplicateReport report = ScanForDuplicates(library);
        QCOMPARE(report.error, CheckError::None);
        QCOMPARE(report.entries(), (std::vector<int> { 1, 1, 3, 5 }));
        QCOMPARE(report.foundCount, 4);
        QCOMPARE(reportText(library, report), u"\r\nBand - A\r\nBand - A\r\nBand - Bee\r\nBand - A"_qs);
    }

    void duplicates_manyCopiesAreOneGroupLine_data()
    {
        QTest::addColumn<int>("copies");
        QTest::addColumn<QString>("text");
        // Up to three copies each pair is listed; beyond, the song once with its count.
        QTest::newRow("2") << 2 << u"\r\nBand - A"_qs;
        QTest::newRow("3") << 3 << u"\r\nBand - A\r\nBand - A\r\nBand - A"_qs;
        QTest::newRow("4") << 4 << u"\r\nBand - A (4 copies)"_qs;
        QTest::newRow("500") << 500 << u"\r\nBand - A (500 copies)"_qs;
    }
    void duplicates_manyCopiesAreOneGroupLine()
    {
        QFETCH(int, copies);
        QFETCH(QString, text);
        // The copies of "A" at every other index, with a pair of "Z" among them.
        Library library = makeLibrary({});
        std::vector<int> expectedCopies;
        for (int i = 0; i < 2 * copies; ++i) {
            const bool copy = i % 2 == 0;
            database_add(library, copy ? u"A"_qs : i == 3 || i == 5 ? u"Z"_qs : u"Single %1"_qs.arg(i), u"Band"_qs);
            if (copy)
                expectedCopies.push_back(i);
        }
        const DuplicateReport report = ScanForDuplicates(library);
        const bool grouped = copies > kMaxListedCopies;
        QCOMPARE(report.lines.front().trackIndex, 0);
        QCOMPARE(report.lines.front().copies, grouped ? copies : 0);
        QCOMPARE(report.copiesOf(report.lines.front()), grouped ? expectedCopies : std::vector<int>());
        // The pair of "Z" keeps its place in library order.
        const QString withoutZ = reportText(library, report).remove(u"\r\nBand - Z"_qs);
        QCOMPARE(withoutZ, text);
        QCOMPARE(report.foundCount, qint64(report.entries().size()));
    }

    void duplicates_realLibrariesMatchPairwiseCheck_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<int>("minimumLines");
        QTest::newRow("350 tracks, many untagged") << u"clickwheel-hash58-v19-350tracks"_qs << 10;
        QTest::newRow("podcasts") << u"shuffle-gtkpod-libgpod08-podcasts"_qs << 1;
    }
    void duplicates_realLibrariesMatchPairwiseCheck()
    {
        QFETCH(QString, folder);
        QFETCH(int, minimumLines);
        const auto loaded = loadReal(folder);
        QCOMPARE(loaded.error, quaverly::database::LoadError::None);
        const Library& library = loaded.library;
        QVERIFY(library.TrackCount() > 0);
        // Every ordered pair, as the check is described: track i is listed once
        // for each partner j that is not listed yet.
        const auto equal = [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; };
        std::vector<int> expected;
        std::vector<bool> listed(size_t(library.TrackCount()), false);
        for (int i = 0; i < library.TrackCount(); ++i) {
            for (int j = 0; j < library.TrackCount(); ++j) {
                const auto& a = library.Tracks[size_t(i)];
                const auto& b = library.Tracks[size_t(j)];
                if (j != i && equal(a.Title, b.Title) && equal(a.Artist, b.Artist) && equal(a.Album, b.Album)
                    && !listed[size_t(j)]) {
                    listed[size_t(i)] = true;
                    expected.push_back(i);
                }
            }
        }
        const DuplicateReport report = ScanForDuplicates(library);
        QVERIFY(int(expected.size()) >= minimumLines);
        QCOMPARE(report.entries(), expected);
        QCOMPARE(report.foundCount, qint64(expected.size()));
    }

    void duplicates_cancel()
    {
        const Library library = makeLibrary({ song(u"A"_qs, u"B"_qs, u"C"_qs), song(u"A"_qs, u"B"_qs, u"C"_qs) });
        const DuplicateReport report = ScanForDuplicates(library, [](int, int) { return false; });
        QCOMPARE(report.error, CheckError::Cancelled);
    }

    void duplicatesFile_writesUtf8AndReplaces()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(writeFile(root.filePath(u"DUPLICATES.TXT"_qs), "old content that is longer"));
        const Library library = makeLibrary({ song(u"Jóga"_qs, u"Björk"_qs, u"Homogenic"_qs),
                                              song(u"jÓga"_qs, u"björk"_qs, u"homogenic"_qs),
                                              song(u"戦場のメリークリスマス"_qs, u"坂本龍一"_qs, u"x"_qs),
                                              song(u"戦場のメリークリスマス"_qs, u"坂本龍一"_qs, u"X"_qs) });
        const QString text = reportText(library, ScanForDuplicates(library));
        const WriteResult result = writeDuplicatesFile(root.path(), text);
        QCOMPARE(result.error, WriteError::None);
        // The existing file is found ignoring letter case and replaced, not doubled.
        QCOMPARE(QDir(root.path()).entryList(QDir::Files), QStringList { u"DUPLICATES.TXT"_qs });
        QCOMPARE(readAll(root.filePath(u"DUPLICATES.TXT"_qs)),
                 u"\r\nBjörk - Jóga\r\n坂本龍一 - 戦場のメリークリスマス\r\n"_qs.toUtf8());
    }

    void duplicatesFile_streamedEqualsText()
    {
        // Enough lines to be written in several pieces.
        QTemporaryDir root;
        QVERIFY(root.isValid());
        Library library = makeLibrary({});
        for (int i = 0; i < 10000; ++i)
            database_add(library, u"Titel %1 über das Meer, eine lange Geschichte"_qs.arg(i / 2), u"Bånd"_qs);
        for (int i = 0; i < 5; ++i)
            database_add(library, u"Many"_qs, u"Bånd"_qs);
        const DuplicateReport report = ScanForDuplicates(library);
        QCOMPARE(report.lines.size(), size_t(5001));
        const QByteArray expected = (reportText(library, report) + u"\r\n"_qs).toUtf8();
        QVERIFY(expected.size() > 3 * 64 * 1024);
        const WriteResult result = writeDuplicatesFile(root.path(), library, report);
        QCOMPARE(result.error, WriteError::None);
        QCOMPARE(readAll(root.filePath(u"duplicates.txt"_qs)), expected);
        QVERIFY(expected.endsWith(u"\r\nBånd - Many (5 copies)\r\n"_qs.toUtf8()));
    }

    void duplicatesFile_linkedOutOfTheIpodIsLeftAlone()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString root = dir.filePath(u"ipod"_qs);
        QVERIFY(writeFile(dir.filePath(u"outside.txt"_qs), "the user's notes"));
        QVERIFY(writeFile(root + u"/iPod_Control/Notes/list.txt"_qs, "old list"));
        QVERIFY(QFile::link(dir.filePath(u"outside.txt"_qs), root + u"/duplicates.txt"_qs));

        WriteResult result = writeDuplicatesFile(root, u"\r\nA - B"_qs);
        QCOMPARE(result.error, WriteError::OutsideIpod);
        QVERIFY(!result.errorText.isEmpty());
        QCOMPARE(readAll(dir.filePath(u"outside.txt"_qs)), QByteArray("the user's notes"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { u"outside.txt"_qs });

        // A link to a file on the iPod is written where it points, still on the iPod.
        QVERIFY(QFile::remove(root + u"/duplicates.txt"_qs));
        QVERIFY(QFile::link(root + u"/iPod_Control/Notes/list.txt"_qs, root + u"/duplicates.txt"_qs));
        result = writeDuplicatesFile(root, u"\r\nA - B"_qs);
        QCOMPARE(result.error, WriteError::None);
        QCOMPARE(readAll(root + u"/iPod_Control/Notes/list.txt"_qs), QByteArray("\r\nA - B\r\n"));
        QVERIFY(QFileInfo(root + u"/duplicates.txt"_qs).isSymLink());
    }

    void duplicatesFile_failureIsReported_data()
    {
        QTest::addColumn<QString>("root");
        QTest::addColumn<int>("error");
        QTest::newRow("no root") << QString() << int(WriteError::NoRoot);
        QTest::newRow("root is a file") << u"FILE"_qs << int(WriteError::CannotWrite);
        QTest::newRow("root does not exist") << u"gone/deeper"_qs << int(WriteError::CannotWrite);
    }
    void duplicatesFile_failureIsReported()
    {
        QFETCH(QString, root);
        QFETCH(int, error);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(writeFile(dir.filePath(u"FILE"_qs)));
        const QString path = root.isEmpty() ? root : dir.filePath(root);
        const WriteResult result = writeDuplicatesFile(path, u"\r\nA - B"_qs);
        QCOMPARE(int(result.error), error);
        if (result.error == WriteError::CannotWrite)
            QVERIFY(!result.errorText.isEmpty());
    }

    void missing_data()
    {
        QTest::addColumn<QStringList>("onDisk");    // files under the root
        QTest::addColumn<QStringList>("songPaths"); // Path of each track
        QTest::addColumn<QList<int>>("missing");
        const QString music = u"iPod_Control/Music/F00/"_qs;
        QTest::newRow("all present") << QStringList { music + u"A.mp3"_qs, music + u"B.m4a"_qs }
                                     << QStringList { u"/iPod_Control/Music/F00/A.mp3"_qs,
                                                      u"/iPod_Control/Music/F00/B.m4a"_qs }
                                     << QList<int> {};
        QTest::newRow("other letter case is present")
            << QStringList { u"IPOD_CONTROL/MUSIC/f00/a.MP3"_qs } << QStringList { u"/iPod_Control/Music/F00/A.mp3"_qs }
            << QList<int> {};
        QTest::newRow("hidden file is present")
            << QStringList { music + u".hidden.mp3"_qs } << QStringList { u"/iPod_Control/Music/F00/.hidden.mp3"_qs }
            << QList<int> {};
        QTest::newRow("missing in library order")
            << QStringList { music + u"B.mp3"_qs }
            << QStringList { u"/iPod_Control/Music/F00/Z.mp3"_qs, u"/iPod_Control/Music/F00/B.mp3"_qs,
                             u"/iPod_Control/Music/F99/B.mp3"_qs }
            << QList<int> { 0, 2 };
        QTest::newRow("no path, a folder, climbing out")
            << QStringList { music + u"A.mp3"_qs }
            << QStringList { QString(), u"/iPod_Control/Music/F00"_qs, u"/../outside.mp3"_qs }
            << QList<int> { 0, 1, 2 };
    }
    void missing()
    {
        QFETCH(QStringList, onDisk);
        QFETCH(QStringList, songPaths);
        QFETCH(QList<int>, missing);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString root = dir.filePath(u"ipod"_qs);
        QVERIFY(QDir().mkpath(root));
        QVERIFY(writeFile(dir.filePath(u"outside.mp3"_qs)));
        for (const QString& file : onDisk)
            QVERIFY(writeFile(root + u'/' + file));
        Library library = makeLibrary({});
        for (const QString& path : songPaths) {
            database_add(library, u"T"_qs, u"A"_qs);
            library.Tracks.back().Path = path;
        }
        const MissingReport report = ScanForMissing(library, root);
        QCOMPARE(report.error, CheckError::None);
        QCOMPARE(report.missing, std::vector<int>(missing.begin(), missing.end()));
    }

private:
    static void database_add(Library& library, const QString& title, const QString& artist)
    {
        quaverly::database::TrackRecord track;
        track.Title = title;
        track.Artist = artist;
        track.Album = u"Album"_qs;
        track.UIN = library.TrackCount() + 1;
        library.Tracks.push_back(track);
    }
};

QTEST_GUILESS_MAIN(tst_LibraryChecks)
#include "tst_LibraryChecks.moc"
