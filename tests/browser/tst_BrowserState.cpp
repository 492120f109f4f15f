#include "TestLibrary.h"
#include "browser/BrowserState.h"
#include "browser/SongColumns.h"

#include <QTest>

using namespace quaverly::browser;
using namespace quaverly::browser::test;
using quaverly::database::Library;
using Rows = std::vector<int>;
using Clicks = QList<QPair<int, QList<int>>>; // (current, selected rows) per click

namespace {

// 0..6 in library order; "Rock"/"rock" and "alpha"/"Alpha" differ only in case.
Library cascadeLibrary()
{
    return makeLibrary({
        { u"One"_qs, u"Beta"_qs, u"B1"_qs, u"Rock"_qs, 2 },
        { u"Two"_qs, u"alpha"_qs, u"A1"_qs, u"rock"_qs, 1 },
        { u"Three"_qs, u"Alpha"_qs, u"A2"_qs, u"Pop"_qs, 1 },
        { u"Four"_qs, u"Gamma"_qs, u"G1"_qs, u"Jazz"_qs, 1, 95000 },
        { u"Five"_qs, u"Beta"_qs, u"B2"_qs, u"Pop"_qs, 1 },
        { u"Six"_qs, QString(), QString(), QString(), 0 },
        { u"Seven"_qs, u"Gamma"_qs, u"G1"_qs, u"Jazz"_qs, 2 },
    });
}

QStringList names(std::initializer_list<const char16_t*> texts)
{
    QStringList list;
    for (const char16_t* text : texts)
        list.append(QString::fromUtf16(text));
    return list;
}

} // namespace

class tst_BrowserState : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void firstCascade_fillsEveryListWithAllSelected()
    {
        const Library library = cascadeLibrary();
        BrowserState browser(library);
        browser.setSortRows(false);
        browser.selectFirstSource();
        QCOMPARE(browser.entries(BrowserList::Source), names({ u":: Pod ::" }));
        QCOMPARE(browser.currentRow(BrowserList::Source), 0);
        // Distinct ignoring case (first spelling kept), empty names left out, code order.
        QCOMPARE(browser.entries(BrowserList::Genre), names({ u"[All]", u"Jazz", u"Pop", u"Rock" }));
        QCOMPARE(browser.entries(BrowserList::Artist), names({ u"[All]", u"Beta", u"Gamma", u"alpha" }));
        QCOMPARE(browser.entries(BrowserList::Album), names({ u"[All]", u"A1", u"A2", u"B1", u"B2", u"G1" }));
        for (BrowserList list : { BrowserList::Genre, BrowserList::Artist, BrowserList::Album }) {
            QCOMPARE(browser.currentRow(list), kAllRow);
            QCOMPARE(browser.selectedRows(list), Rows { kAllRow });
        }
        // The track without genre, artist and album still passes "[All]"; unsorted = playlist order.
        QCOMPARE(browser.songRows(), (Rows { 0, 1, 2, 3, 4, 5, 6 }));
    }

    void defaultSort_artistAlbumTrackNumber()
    {
        const Library library = cascadeLibrary();
        BrowserState browser(library);
        browser.selectFirstSource();
        // Empty artist first; alpha/Alpha equal ignoring case, so album decides;
        // Gamma's two G1 songs by track number.
        QCOMPARE(browser.songRows(), (Rows { 5, 1, 2, 0, 4, 3, 6 }));
    }

    void genreClick_groupsIgnoringCase()
    {
        const Library library = cascadeLibrary();
        BrowserState browser(library);
        browser.setSortRows(false);
        browser.selectFirstSource();
        browser.selectGenres(3, { 3 }); // "Rock" also takes the "rock" track
        QCOMPARE(browser.genreTracks(), (Rows { 0, 1 }));
        QCOMPARE(browser.entries(BrowserList::Artist), names({ u"[All]", u"Beta", u"alpha" }));
        QCOMPARE(browser.entries(BrowserList::Album), names({ u"[All]", u"A1", u"B1" }));
        QCOMPARE(browser.songRows(), (Rows { 0, 1 }));
        browser.selectGenres(1, { 1, 3 }); // Ctrl-click Jazz: its artists and albums join, each once
        QCOMPARE(browser.entries(BrowserList::Artist), names({ u"[All]", u"Beta", u"Gamma", u"alpha" }));
        QCOMPARE(browser.entries(BrowserList::Album), names({ u"[All]", u"A1", u"B1", u"G1" }));
        QCOMPARE(browser.albumTracks(), (Rows { 0, 1, 3, 6 }));
    }

    void multiSelect_data()
    {
        QTest::addColumn<Clicks>("clicks"); // on the artist list
        QTest::addColumn<QList<int>>("expected");
        // Artist rows: 1 Beta {0,4}, 2 Gamma {3,6}, 3 alpha {1,2}.
        QTest::newRow("plain click") << Clicks { { 2, { 2 } } } << QList<int> { 3, 6 };
        QTest::newRow("ctrl-click adds after") << Clicks { { 2, { 2 } }, { 1, { 1, 2 } } } << QList<int> { 3, 6, 0, 4 };
        QTest::newRow("three entries") << Clicks { { 2, { 2 } }, { 1, { 1, 2 } }, { 3, { 1, 2, 3 } } }
                                       << QList<int> { 3, 6, 0, 4, 1, 2 };
        QTest::newRow("deselect one of three drops its tracks")
            << Clicks { { 2, { 2 } }, { 1, { 1, 2 } }, { 3, { 1, 2, 3 } }, { 1, { 2, 3 } } }
            << QList<int> { 3, 6, 1, 2 };
        QTest::newRow("deselect to one left shows that one")
            << Clicks { { 2, { 2 } }, { 1, { 1, 2 } }, { 2, { 1 } } } << QList<int> { 0, 4 };
        QTest::newRow("nothing selected: the clicked entry")
            << Clicks { { 1, { 1 } }, { 1, {} } } << QList<int> { 0, 4 };
        QTest::newRow("plain click after several starts afresh")
            << Clicks { { 2, { 2 } }, { 1, { 1, 2 } }, { 3, { 3 } } } << QList<int> { 1, 2 };
        QTest::newRow("range selection takes every entry")
            << Clicks { { 1, { 1 } }, { 3, { 1, 2, 3 } } } << QList<int> { 0, 4, 3, 6, 1, 2 };
        QTest::newRow("[All] with an entry: no track twice")
            << Clicks { { 2, { 0, 2 } } } << QList<int> { 0, 1, 2, 3, 4, 5, 6 };
    }
    void multiSelect()
    {
        QFETCH(Clicks, clicks);
        QFETCH(QList<int>, expected);
        const Library library = cascadeLibrary();
        BrowserState browser(library);
        browser.setSortRows(false);
        browser.selectFirstSource();
        for (const auto& [current, selected] : clicks)
            browser.selectArtists(current, Rows(selected.begin(), selected.end()));
        QCOMPARE(browser.songRows(), Rows(expected.begin(), expected.end()));
        // The album list is rebuilt with "[All]" selected.
        QCOMPARE(browser.currentRow(BrowserList::Album), kAllRow);
    }

    void albumMultiSelect_appendsThenReplaces()
    {
        const Library library = cascadeLibrary();
        BrowserState browser(library);
        browser.selectFirstSource();    // sorted
        browser.selectAlbums(5, { 5 }); // G1
        QCOMPARE(browser.songRows(), (Rows { 3, 6 }));
        browser.selectAlbums(1, { 1, 5 }); // + A1: rows of both, in the default order
        QCOMPARE(browser.albumTracks(), (Rows { 3, 6, 1 }));
        QCOMPARE(browser.songRows(), (Rows { 1, 3, 6 }));
        browser.selectAlbums(3, { 3 }); // B1 alone replaces
        QCOMPARE(browser.songRows(), Rows { 0 });
    }

    void clicks_emptyTheSearch()
    {
        const Library library = cascadeLibrary();
        BrowserState browser(library);
        browser.selectFirstSource();
        browser.setSearchText(u"Seven"_qs);
        QCOMPARE(browser.songRows(), Rows { 6 });
        browser.selectGenres(1, { 1 }); // Jazz
        QVERIFY(browser.searchText().isEmpty());
        QCOMPARE(browser.songRows(), (Rows { 3, 6 }));
    }

    void sources_orderAndTracks()
    {
        Library library = cascadeLibrary();
        addPlaylist(library, u"Zoo"_qs, { 6, 3 });
        addPlaylist(library, u"abc"_qs, { 0 });
        addPlaylist(library, u"Mix"_qs, { 4, 0, 2, 4 });
        addPlaylist(library, u"Empty"_qs, {});
        BrowserState browser(library);
        browser.setSortRows(false);
        browser.selectFirstSource();
        QCOMPARE(browser.entries(BrowserList::Source), names({ u":: Pod ::", u"Empty", u"Mix", u"Zoo", u"abc" }));

        browser.selectSource(2);
        QCOMPARE(browser.selectedSource(), 3);
        QCOMPARE(browser.songRows(), (Rows { 4, 0, 2, 4 })); // playlist order, repeats kept
        QCOMPARE(browser.entries(BrowserList::Genre), names({ u"[All]", u"Pop", u"Rock" }));
        QVERIFY(browser.inSource(0));
        QVERIFY(!browser.inSource(1));

        browser.selectSource(1); // an empty playlist
        QCOMPARE(browser.entries(BrowserList::Genre), names({ u"[All]" }));
        QCOMPARE(browser.entries(BrowserList::Album), names({ u"[All]" }));
        QVERIFY(browser.songRows().empty());
        QVERIFY(!browser.inSource(0));

        browser.selectSource(99); // no such row: nothing changes
        QCOMPARE(browser.selectedSource(), 4);
    }

    void sources_sameNameKeepTheirOwnTracks()
    {
        Library library = cascadeLibrary();
        addPlaylist(library, u"Mix"_qs, { 0 });
        addPlaylist(library, u"mix"_qs, { 3 });
        addPlaylist(library, u"Mix"_qs, { 6 });
        BrowserState browser(library);
        browser.selectFirstSource();
        QCOMPARE(browser.entries(BrowserList::Source), names({ u":: Pod ::", u"Mix", u"Mix", u"mix" }));
        const Rows expected[] = { {}, { 0 }, { 6 }, { 3 } };
        for (int row = 1; row <= 3; ++row) {
            browser.selectSource(row);
            QCOMPARE(browser.songRows(), expected[row]);
        }
    }

    void realLibrary_everyGenreAndArtistEntry_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("350 tracks") << u"clickwheel-hash58-v19-350tracks"_qs;
        QTest::newRow("podcasts") << u"shuffle-gtkpod-libgpod08-podcasts"_qs;
        QTest::newRow("one German track") << u"itunes45-mac-german-1track"_qs;
    }
    void realLibrary_everyGenreAndArtistEntry()
    {
        QFETCH(QString, folder);
        const auto loaded = loadReal(folder);
        QCOMPARE(loaded.error, quaverly::database::LoadError::None);
        const Library& library = loaded.library;
        QVERIFY(library.TrackCount() > 0);
        BrowserState browser(library);
        browser.setSortRows(false);
        browser.selectFirstSource();
        const Rows& source = browser.sourceTracks();
        QCOMPARE(source, Rows(library.Playlists[0].IndexList.begin(), library.Playlists[0].IndexList.end()));
        QCOMPARE(browser.songRows(), source);
        const auto check = [&](BrowserList list, auto fieldOf) {
            const QStringList entries = browser.entries(list);
            QCOMPARE(entries.first(), u"[All]"_qs);
            for (qsizetype e = 1; e < entries.size(); ++e) {
                QVERIFY(!entries[e].isEmpty());
                if (e > 1)
                    QVERIFY2(entries[e - 1] < entries[e], qPrintable(entries[e])); // code order, no repeats
                if (e > 1)
                    QVERIFY(entries[e - 1].compare(entries[e], Qt::CaseInsensitive) != 0);
                Rows expected;
                for (int track : source)
                    if (fieldOf(library.Tracks[size_t(track)]).compare(entries[e], Qt::CaseInsensitive) == 0)
                        expected.push_back(track);
                if (list == BrowserList::Genre)
                    browser.selectGenres(int(e), { int(e) });
                else
                    browser.selectArtists(int(e), { int(e) });
                QVERIFY(!expected.empty());
                QCOMPARE(browser.songRows(), expected);
            }
        };
        check(BrowserList::Genre, [](const quaverly::database::TrackRecord& t) { return t.Genre; });
        browser.selectGenres(kAllRow, { kAllRow });
        check(BrowserList::Artist, [](const quaverly::database::TrackRecord& t) { return t.Artist; });
    }

    void indexesBeyond16Bits()
    {
        Library library;
        quaverly::database::clsPlayList master;
        for (int i = 0; i < 40000; ++i) {
            quaverly::database::TrackRecord track;
            track.Title = QString::number(i);
            track.Artist = u"Artist"_qs;
            track.Genre = i == 39999 ? u"Last"_qs : u"Common"_qs;
            track.UIN = i + 1;
            library.Tracks.push_back(track);
            master.UINList.push_back(track.UIN);
            master.IndexList.push_back(i);
        }
        library.Playlists.push_back(master);
        BrowserState browser(library);
        browser.selectFirstSource();
        QCOMPARE(browser.songRows().size(), size_t(40000));
        QCOMPARE(browser.entries(BrowserList::Genre), names({ u"[All]", u"Common", u"Last" }));
        browser.selectGenres(2, { 2 });
        QCOMPARE(browser.songRows(), Rows { 39999 });
        QVERIFY(browser.inSource(39999));
    }

    void search_extendsNarrowsOtherwiseRebuilds()
    {
        const Library library = cascadeLibrary();
        BrowserState browser(library);
        browser.selectFirstSource();
        // "v" occurs only in the titles Five and Seven (not in any path or type cell).
        browser.sortSongRows(static_cast<int>(Column::Title), false);
        QCOMPARE(browser.songRows(), (Rows { 1, 2, 5, 6, 0, 3, 4 }));
        auto outcome = browser.setSearchText(u"v"_qs);
        QVERIFY(!outcome.rebuilt);
        QCOMPARE(browser.songRows(), (Rows { 6, 4 })); // narrowed in the order shown
        outcome = browser.setSearchText(u"ve"_qs);
        QVERIFY(!outcome.rebuilt);
        QCOMPARE(browser.songRows(), (Rows { 6, 4 }));
        outcome = browser.setSearchText(u"v"_qs); // a letter deleted
        QVERIFY(outcome.rebuilt);
        QCOMPARE(browser.songRows(), (Rows { 4, 6 })); // from the album selection, default order
        browser.setSearchText(u"Fou"_qs);
        QCOMPARE(browser.songRows(), Rows { 3 });
        outcome = browser.setSearchText(u"Fiv"_qs); // replaced, same length
        QVERIFY(outcome.rebuilt);
        QCOMPARE(browser.songRows(), Rows { 4 });
        outcome = browser.setSearchText(u"SEVEN"_qs); // replaced by a longer text
        QVERIFY(outcome.rebuilt);
        QCOMPARE(browser.songRows(), Rows { 6 });
        outcome = browser.setSearchText(u"SEVEN"_qs.toLower() + u"x"_qs); // extends ignoring case
        QVERIFY(!outcome.rebuilt);
        QVERIFY(browser.songRows().empty());
    }

    void search_words_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("words in different cells") << u"Sev Gamma"_qs << QList<int> { 6 };
        QTest::newRow("two blanks: empty word matches") << u"Sev  Gamma"_qs << QList<int> { 6 };
        QTest::newRow("word order free") << u"gamma sev"_qs << QList<int> { 6 };
        QTest::newRow("one word missing") << u"Sev Beta"_qs << QList<int> {};
        QTest::newRow("UIN digits") << u"1003"_qs << QList<int> { 3 };
        QTest::newRow("length digits") << u"95000"_qs << QList<int> { 3 };
        QTest::newRow("filesize digits") << u"4000005"_qs << QList<int> { 5 };
        QTest::newRow("only blanks keep all") << u"  "_qs << QList<int> { 5, 1, 2, 0, 4, 3, 6 };
        QTest::newRow("playing mark") << u"#"_qs << QList<int> { 6 };
    }
    void search_words()
    {
        QFETCH(QString, query);
        QFETCH(QList<int>, expected);
        const Library library = cascadeLibrary();
        BrowserState browser(library);
        browser.selectFirstSource();
        browser.setPlayingFile(u"/media/user/IPOD/ipod_control/music/f00/t6.mp3"_qs);
        browser.setSearchText(query);
        QCOMPARE(browser.songRows(), Rows(expected.begin(), expected.end()));
    }

    // The Rating cell shows the iPod's rating where it has one: the search
    // and the sort see those stars, not the database's.
    void ratings_searchAndSortSeeTheShownStars()
    {
        Library library = makeLibrary({ { u"Alpha"_qs, u"A"_qs, u"X"_qs, u"G"_qs },
                                        { u"Beta"_qs, u"A"_qs, u"X"_qs, u"G"_qs },
                                        { u"Gamma"_qs, u"A"_qs, u"X"_qs, u"G"_qs } });
        for (quaverly::database::TrackRecord& track : library.Tracks) {
            track.Rating = 1; // no 4 or 5 in any other cell (UINs are 1000 to 1002)
            track.FileSize = 7000;
            track.Length = 7000;
        }
        BrowserState browser(library);
        browser.selectFirstSource();
        browser.setSearchText(u"4"_qs);
        QVERIFY(browser.songRows().empty());
        browser.setRatings({ 1, 4, 1 }); // as read from the Play Counts file
        browser.setSearchText(QString());
        browser.setSearchText(u"4"_qs);
        QCOMPARE(browser.songRows(), Rows { 1 });
        browser.setRating(2, 5); // rated while the program runs
        browser.setSearchText(QString());
        browser.setSearchText(u"5"_qs);
        QCOMPARE(browser.songRows(), Rows { 2 });
        browser.setSearchText(QString());
        browser.sortSongRows(static_cast<int>(Column::Rating), false);
        QCOMPARE(browser.songRows(), (Rows { 2, 1, 0 }));
    }

    void search_screenJump()
    {
        const Library library = cascadeLibrary();
        BrowserState browser(library);
        browser.selectFirstSource();
        browser.setSearchText(u"v"_qs);
        const auto outcome = browser.setSearchText(u"ScreenJUMP"_qs);
        QVERIFY(outcome.screenJumpPrompt);
        QVERIFY(browser.searchText().isEmpty());
        QCOMPARE(browser.songRows().size(), size_t(7));
        QVERIFY(!browser.setSearchText(QString()).screenJumpPrompt); // the box emptied afterwards
    }

    void jump_toPlayingSong()
    {
        const Library library = cascadeLibrary();
        BrowserState browser(library);
        browser.selectFirstSource();
        browser.selectGenres(1, { 1 }); // Jazz: 3 and 6
        QCOMPARE(browser.jumpToPlaying(u"1003"_qs), u"1003"_qs);
        QCOMPARE(browser.songRows(), Rows { 3 });
        QCOMPARE(browser.currentRow(BrowserList::Genre), 1); // shown already: browser unchanged

        browser.selectGenres(3, { 3 }); // Rock: 0 and 1
        QCOMPARE(browser.jumpToPlaying(u"1003"_qs), u"1003"_qs);
        QCOMPARE(browser.songRows(), Rows { 3 });
        QCOMPARE(browser.currentRow(BrowserList::Genre), kAllRow); // reset to the master source
        QCOMPARE(browser.currentRow(BrowserList::Source), 0);
    }
};

QTEST_GUILESS_MAIN(tst_BrowserState)
#include "tst_BrowserState.moc"
