// The search index answers exactly what searching the cells one by one
// answers, whether it scans the whole index (most of the library shown) or
// asks track by track (a few rows left), for words of every kind.
#include "TestLibrary.h"
#include "browser/SongSearch.h"

#include <QTest>

using namespace quaverly::browser;
using namespace quaverly::browser::test;
using quaverly::database::Library;
using Rows = std::vector<int>;

namespace {

// 300 songs whose cells mix ASCII, accents, CJK, a surrogate pair and digits.
Library mixedLibrary()
{
    const QStringList titles { u"Open Road"_qs, u"Café Society"_qs, u"夜明けの歌"_qs, u"Night Drive 🚗"_qs,
                               u"STRASSE"_qs,   u"Straße"_qs,       u"Track 7"_qs,    u""_qs };
    const QStringList artists { u"The Wayfarers"_qs, u"Les Étoiles"_qs, u"青い猫"_qs, u""_qs, u"Band 7"_qs };
    Library library = makeLibrary({});
    for (int i = 0; i < 300; ++i) {
        quaverly::database::TrackRecord track;
        track.Title = titles[i % titles.size()] + (i % 3 == 0 ? QString::number(i) : QString());
        track.Artist = artists[i % artists.size()];
        track.Album = i % 2 ? u"Highway Lines"_qs : u"ÉTÉ"_qs;
        track.Genre = i % 4 ? u"Rock"_qs : u"J-Pop"_qs;
        track.Path = u"/iPod_Control/Music/F%1/S%2.mp3"_qs.arg(i % 7).arg(i);
        track.FileType = u"MPEG audio file"_qs;
        track.UIN = 1000 + i;
        track.Length = 180000 + i;
        track.FileSize = i % 5 ? 4000000 + i : 0;
        track.TrackNumber = i % 12;
        track.Rating = qint16(i % 6);
        library.Tracks.push_back(track);
    }
    return library;
}

} // namespace

class tst_SongSearch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void indexAgreesWithTheCells_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<int>("rowStep"); // every n-th track is a row: 1 scans the whole index
        for (const int step : { 1, 9 }) {
            const char* tag = step == 1 ? "all rows: " : "few rows: ";
            QTest::addRow("%sletter", tag) << u"o"_qs << step;
            QTest::addRow("%scase", tag) << u"OPEN road"_qs << step;
            QTest::addRow("%saccent", tag) << u"café"_qs << step;
            QTest::addRow("%saccent, other case", tag) << u"ÉTOILES"_qs << step;
            QTest::addRow("%sCJK", tag) << u"夜明け"_qs << step;
            QTest::addRow("%ssurrogate pair", tag) << u"🚗"_qs << step;
            QTest::addRow("%sdigits in numbers", tag) << u"1800"_qs << step;
            QTest::addRow("%swords in different cells", tag) << u"band rock 7"_qs << step;
            QTest::addRow("%stwo blanks", tag) << u"open  road"_qs << step;
            QTest::addRow("%spath", tag) << u"f3/s"_qs << step;
            QTest::addRow("%snot across cells", tag) << u"linesrock"_qs << step;
            QTest::addRow("%smark", tag) << u"#"_qs << step;
            QTest::addRow("%snothing", tag) << u"zzz"_qs << step;
        }
    }
    void indexAgreesWithTheCells()
    {
        QFETCH(QString, query);
        QFETCH(int, rowStep);
        const Library library = mixedLibrary();
        const SearchIndex index(library);
        Rows rows;
        for (int i = library.TrackCount() - 1; i >= 0; i -= rowStep) // the song list's order is not the library's
            rows.push_back(i);
        const QString playing = u"/media/ipod/iPod_Control/Music/F3/S10.mp3"_qs;
        const QStringList words = splitSearchWords(query);
        const Rows expected = filterRows(library, rows, words, playing);
        QCOMPARE(filterRows(library, index, rows, words, playing), expected);
        if (query == u"#"_qs)
            QCOMPARE(expected, rowStep == 1 ? Rows { 10 } : Rows {});
        else if (query == u"zzz"_qs || query == u"linesrock"_qs)
            QVERIFY(expected.empty());
        else
            QVERIFY(!expected.empty()); // the case means something
    }
};

QTEST_GUILESS_MAIN(tst_SongSearch)
#include "tst_SongSearch.moc"
