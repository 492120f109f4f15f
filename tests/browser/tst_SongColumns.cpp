#include "TestLibrary.h"
#include "browser/SongColumns.h"
#include "browser/TrackKeys.h"

#include <QTest>

using namespace quaverly::browser;
using namespace quaverly::browser::test;
using quaverly::database::Library;
using Rows = std::vector<int>;

class tst_SongColumns : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void headersAndWidthKeys()
    {
        const QStringList expected { u" "_qs,     u"Title"_qs,  u"Artist"_qs,   u"Album"_qs,
                                     u"Genre"_qs, u"Path"_qs,   u"Type"_qs,     u"Rating"_qs,
                                     u"UIN"_qs,   u"Length"_qs, u"Filesize"_qs, u"Track Number"_qs };
        for (int c = 0; c < kColumnCount; ++c)
            QCOMPARE(columnHeader(c), expected[c]);
        QVERIFY(columnHeader(12).isEmpty());
        QCOMPARE(columnWidthKey(1), u"Column:Title size"_qs);
        QCOMPARE(columnWidthKey(0), u"Column:  size"_qs);
        QCOMPARE(columnWidthKey(11), u"Column:Track Number size"_qs);
    }

    void cells()
    {
        quaverly::database::TrackRecord track;
        track.Title = u"Song"_qs;
        track.Path = u"/iPod_Control/Music/F01/ABCD.mp3"_qs;
        track.UIN = -12;
        track.Rating = 3;
        track.Length = 95000;
        track.FileSize = 5000000000LL; // beyond 32 bits
        track.TrackNumber = 7;
        QCOMPARE(songCell(track, Column::Mark, false), u" "_qs);
        QCOMPARE(songCell(track, Column::Mark, true), u"#"_qs);
        QCOMPARE(songCell(track, Column::Title, false), u"Song"_qs);
        QCOMPARE(songCell(track, Column::UIN, false), u"-12"_qs);
        QCOMPARE(songCell(track, Column::Rating, false), u"3"_qs);
        QCOMPARE(songCell(track, Column::Rating, false, 5), u"5"_qs); // the stars shown win
        QCOMPARE(songCell(track, Column::Rating, false, 0), u"0"_qs);
        QCOMPARE(songCell(track, Column::Filesize, false), u"5000000000"_qs);
        QCOMPARE(songCell(track, Column::TrackNumber, false), u"7"_qs);
        QVERIFY(songCell(track, static_cast<Column>(12), false).isEmpty());
    }

    void playingMark_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("playing");
        QTest::addColumn<bool>("marked");
        QTest::newRow("full path contains it")
            << u"/iPod_Control/Music/F01/ABCD.mp3"_qs << u"/media/u/IPOD/iPod_Control/Music/F01/ABCD.mp3"_qs << true;
        QTest::newRow("other letter case")
            << u"/iPod_Control/Music/F01/ABCD.mp3"_qs << u"/media/u/IPOD/ipod_control/music/f01/abcd.MP3"_qs << true;
        QTest::newRow("another file") << u"/iPod_Control/Music/F01/ABCE.mp3"_qs
                                      << u"/media/u/IPOD/iPod_Control/Music/F01/ABCD.mp3"_qs << false;
        QTest::newRow("nothing playing") << u"/iPod_Control/Music/F01/ABCD.mp3"_qs << QString() << false;
        QTest::newRow("track without path") << QString() << u"/media/u/IPOD/x.mp3"_qs << false;
    }
    void playingMark()
    {
        QFETCH(QString, path);
        QFETCH(QString, playing);
        QFETCH(bool, marked);
        quaverly::database::TrackRecord track;
        track.Path = path;
        QCOMPARE(isPlayingTrack(track, playing), marked);
    }

    void defaultSort_stableByArtistAlbumTrack()
    {
        const Library library = makeLibrary({
            { u"t0"_qs, u"the band"_qs, u"Second"_qs, {}, 2 },
            { u"t1"_qs, u"The Band"_qs, u"first"_qs, {}, 0 },
            { u"t2"_qs, u"THE BAND"_qs, u"second"_qs, {}, 1 },
            { u"t3"_qs, u"Abba"_qs, u"Gold"_qs, {}, 5 },
            { u"t4"_qs, u"The Band"_qs, u"Second"_qs, {}, 2 },
            { u"t5"_qs, u"The Band"_qs, u"First"_qs, {}, 3 },
            { u"t6"_qs, u"Zappa"_qs, u"Apostrophe"_qs, {}, 1 },
            { u"t7"_qs, u"abba"_qs, u"Gold"_qs, {}, 1 },
        });
        const TrackKeys keys(library);
        Rows rows { 0, 1, 2, 3, 4, 5, 6, 7 };
        sortDefault(library, keys, rows);
        // Case ignored for artist and album; no track number first; equal keys
        // (0 and 4) keep their order.
        QCOMPARE(rows, (Rows { 7, 3, 1, 5, 2, 0, 4, 6 }));
        Rows reversed { 7, 6, 5, 4, 3, 2, 1, 0 };
        sortDefault(library, keys, reversed);
        QCOMPARE(reversed, (Rows { 7, 3, 1, 5, 2, 4, 0, 6 }));
    }

    void headerSort_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QList<int>>("expected");
        // Titles: 0 "apple", 1 "Zebra", 2 "Banana", 3 "apple pie", 4 "Apple"; lengths 180000, 95000,
        // 95000, 1000000, 5000; file sizes 4000000..4000004 except 2: 999; track numbers 10, 9, 1, 2, 0.
        QTest::newRow("title code order") << 1 << true << QList<int> { 4, 2, 1, 0, 3 };
        QTest::newRow("title descending") << 1 << false << QList<int> { 3, 0, 1, 2, 4 };
        QTest::newRow("length numeric") << 9 << true << QList<int> { 4, 1, 2, 0, 3 };
        QTest::newRow("length descending keeps ties") << 9 << false << QList<int> { 3, 0, 1, 2, 4 };
        QTest::newRow("track number numeric") << 11 << true << QList<int> { 4, 2, 3, 1, 0 };
        QTest::newRow("filesize compares texts") << 10 << true << QList<int> { 0, 1, 3, 4, 2 };
        QTest::newRow("mark: playing last") << 0 << true << QList<int> { 0, 2, 3, 4, 1 };
        QTest::newRow("no such column") << 12 << true << QList<int> { 0, 1, 2, 3, 4 };
    }
    void headerSort()
    {
        QFETCH(int, column);
        QFETCH(bool, ascending);
        QFETCH(QList<int>, expected);
        Library library = makeLibrary({
            { u"apple"_qs, {}, {}, {}, 10, 180000 },
            { u"Zebra"_qs, {}, {}, {}, 9, 95000 },
            { u"Banana"_qs, {}, {}, {}, 1, 95000 },
            { u"apple pie"_qs, {}, {}, {}, 2, 1000000 },
            { u"Apple"_qs, {}, {}, {}, 0, 5000 },
        });
        library.Tracks[2].FileSize = 999;
        Rows rows { 0, 1, 2, 3, 4 };
        sortByColumn(library, rows, column, ascending, u"/mnt/iPod_Control/Music/F00/T1.mp3"_qs);
        QCOMPARE(rows, Rows(expected.begin(), expected.end()));
    }

    void headerSort_textMatchesPlainComparison_data()
    {
        QTest::addColumn<bool>("ascending");
        QTest::newRow("ascending") << true;
        QTest::newRow("descending") << false;
    }
    void headerSort_textMatchesPlainComparison()
    {
        // Texts that agree in their first 4, 12 or more code units, that are
        // prefixes of each other, hold U+0000, the highest BMP unit or
        // surrogate pairs (which sort below it, as code units do); rows in a
        // scrambled order, some tracks listed twice.
        QFETCH(bool, ascending);
        const QStringList parts { u""_qs,
                                  u"a"_qs,
                                  u"A"_qs,
                                  u"Track 1234"_qs,
                                  u"Track 12345"_qs,
                                  u"Track 12345 "_qs,
                                  QString(QChar(0)),
                                  QString(QChar(0xffff)),
                                  QString::fromUcs4(U"\U0001F3B5"),
                                  u"é"_qs,
                                  u"~"_qs };
        Library library = makeLibrary({});
        quint32 seed = 7;
        const auto next = [&seed](quint32 range) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 8) % range;
        };
        for (int i = 0; i < 600; ++i) {
            QString title;
            for (quint32 n = next(5); n > 0; --n)
                title += parts[qsizetype(next(quint32(parts.size())))];
            library.Tracks.push_back(library.Tracks.empty() ? quaverly::database::TrackRecord()
                                                            : library.Tracks.back());
            library.Tracks.back().Title = title;
        }
        Rows rows;
        for (int i = 0; i < 800; ++i)
            rows.push_back(int(next(600)));
        Rows expected = rows;
        std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) {
            const int order = QString::compare(library.Tracks[size_t(a)].Title, library.Tracks[size_t(b)].Title);
            return ascending ? order < 0 : order > 0;
        });
        sortByColumn(library, rows, int(Column::Title), ascending);
        QCOMPARE(rows, expected);
    }

    void keys_groupIgnoringCase()
    {
        const Library library = makeLibrary({
            { u"a"_qs, u"Ärzte"_qs, {}, u"Rock"_qs },
            { u"b"_qs, u"ärzte"_qs, {}, u"ROCK"_qs },
            { u"c"_qs, u"Arzte"_qs, {}, QString() },
        });
        const TrackKeys keys(library);
        using F = TrackKeys::Field;
        QCOMPARE(keys.group(F::Artist, 0), keys.group(F::Artist, 1));
        QVERIFY(keys.group(F::Artist, 0) != keys.group(F::Artist, 2)); // accents are not case
        QCOMPARE(keys.group(F::Genre, 0), keys.group(F::Genre, 1));
        QCOMPARE(keys.emptyGroup(F::Genre), keys.group(F::Genre, 2));
        QCOMPARE(keys.emptyGroup(F::Artist), -1);
        QCOMPARE(keys.rank(F::Artist, 0), keys.rank(F::Artist, 1));
    }
};

QTEST_GUILESS_MAIN(tst_SongColumns)
#include "tst_SongColumns.moc"
