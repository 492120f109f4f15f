// The main window on the demo iPod: first-start defaults, options stored
// and restored, the browser cascade through real clicks, the search box,
// column widths and the song commands.
#include "GuiFixture.h"
#include "browser/SongColumns.h"
#include "browser/SongListModel.h"
#include "browser/ui/BrowserListBox.h"
#include "browser/ui/frmMain.h"
#include "browser/ui/frmMainUi.h"
#include "browser/ui/frmMenus.h"
#include "tests/common/FakeOpener.h"
#include "tests/support/RecordingPromptService.h"
#include "ui/widgets/NowPlayingView.h"
#include "ui/widgets/WindowChrome.h"
#include "ui/widgets/ucListView.h"

#include <QAction>
#include <QCursor>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextLayout>

using namespace quaverly;
using namespace quaverly::browser;
using namespace Qt::StringLiterals;

namespace {

void clickRow(BrowserListBox* list, int row, Qt::KeyboardModifiers modifiers = {})
{
    const QRect rect = list->visualRect(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
    QCoreApplication::processEvents(); // the click is raised once selection and current entry settle
}

QStringList cells(frmMain& window, int column)
{
    QStringList texts;
    for (int row = 0; row < window.songModel().rowCount(); ++row)
        texts.append(window.songModel().cellText(row, column));
    return texts;
}

} // namespace

class tst_frmMain : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_prompts.requests.clear();
        m_pod = std::make_unique<testing::DemoIpod>();
        QVERIFY(m_pod->make());
    }

    void firstStartDefaults()
    {
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        frmMenus& m = window.menus();
        QVERIFY(m.mnuEmbedded->isChecked());
        QVERIFY(m.mnuTrayMinYes->isChecked());
        QVERIFY(!m.mnuDefaultOpen->isChecked());
        QVERIFY(!m.mnuTrayMinNo->isChecked());
        QVERIFY(!m.mnuEject->isChecked());
        QVERIFY(!m.mnuBrowseGenre->isChecked());
        QVERIFY(m.mnuPlayer.constFirst()->isChecked());
        QCOMPARE(m.mnuPlayer.constFirst()->text(), u"[Default Player]"_s);
        // "No Sorting [Faster]" starts checked: the rows keep the master playlist's order.
        QVERIFY(m.mnuSort->isChecked());
        const auto& master = m_pod->load.library.Playlists.front().IndexList;
        QCOMPARE(window.songModel().rows(), master);
        QVERIFY(window.ui().lstGenre->isVisible() || !window.isVisible());
        // Nothing stored yet: every column was fitted to its contents.
        for (int column = 1; column < kColumnCount; ++column)
            QVERIFY2(window.ui().lstSong->ColumnWidth(column) > 0, qPrintable(columnHeader(column)));
        QCOMPARE(window.ui().nowPlaying->fraNow->title(), u"Playing from "_s + m_pod->load.library.iPodName);
    }

    void sourceListAndFirstFill()
    {
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        const database::Library& lib = m_pod->load.library;
        const QStringList sources = window.ui().lstSource->entries();
        QCOMPARE(sources.size(), lib.PlaylistCount());
        QCOMPARE(sources.constFirst(), lib.Playlists.front().Name);
        QStringList others = sources.mid(1);
        QStringList sorted = others;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(others, sorted);
        QCOMPARE(window.ui().lstGenre->entries().constFirst(), u"[All]"_s);
        QCOMPARE(window.ui().lstSong->count(), static_cast<int>(lib.Playlists.front().IndexList.size()));
        QVERIFY(window.ui().lstSong->ItemSelected(0)); // row 0 selected, nothing plays
        QCOMPARE(window.ui().lstSong->SelectedCount(), 1);
    }

    void genreClickNarrowsEverythingToItsRight()
    {
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        BrowserListBox* genres = window.ui().lstGenre;
        const int row = genres->entries().indexOf(u"Jazz"_s);
        QVERIFY(row > 0);
        clickRow(genres, row);
        const QStringList songGenres = cells(window, int(Column::Genre));
        QVERIFY(!songGenres.isEmpty());
        for (const QString& genre : songGenres)
            QCOMPARE(genre, u"Jazz"_s);
        QCOMPARE(window.ui().lstArtist->entries(),
                 (QStringList { u"[All]"_s, u"Les Étoiles Filantes"_s, u"Marta Quell Trio"_s }));
        QCOMPARE(window.ui().lstAlbum->entries(), (QStringList { u"[All]"_s, u"Late Set"_s, u"Rive Gauche"_s }));
        QCOMPARE(window.ui().lstArtist->selectedRowList(), std::vector<int> { 0 });

        // Ctrl-click a second genre: its songs join the first one's.
        const int folk = genres->entries().indexOf(u"Folk"_s);
        clickRow(genres, folk, Qt::ControlModifier);
        const QStringList both = cells(window, int(Column::Genre));
        QVERIFY(both.contains(u"Folk"_s) && both.contains(u"Jazz"_s));
        QCOMPARE(both.size(),
                 songGenres.size()
                     + int(std::count_if(m_pod->load.library.Tracks.begin(), m_pod->load.library.Tracks.end(),
                                         [](const auto& t) { return t.Genre == u"Folk"_s; })));

        // An album click narrows the songs to that album and empties the search.
        window.ui().txtSearch->setText(u"a"_s);
        BrowserListBox* albums = window.ui().lstAlbum;
        clickRow(albums, albums->entries().indexOf(u"Late Set"_s));
        const auto& tracks = m_pod->load.library.Tracks;
        const auto lateSet = std::count_if(tracks.begin(), tracks.end(), [](const auto& t) {
            return t.Album == u"Late Set"_s && (t.Genre == u"Jazz"_s || t.Genre == u"Folk"_s);
        });
        QVERIFY(lateSet > 0);
        QCOMPARE(cells(window, int(Column::Album)), QStringList(int(lateSet), u"Late Set"_s));
        QVERIFY(window.ui().txtSearch->text().isEmpty());
    }

    void searchNarrowsAndRebuilds()
    {
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        window.show();
        const int all = window.songModel().rowCount();
        QLineEdit* search = window.ui().txtSearch;
        QTest::keyClicks(search, u"wayfarers"_s);
        const int narrowed = window.songModel().rowCount();
        QCOMPARE(narrowed, 4); // three songs of the band, one stored twice
        for (const QString& artist : cells(window, int(Column::Artist)))
            QCOMPARE(artist, u"The Wayfarers"_s);
        // Two words in different columns: both must be found in the row.
        search->setText(u"wayfarers road"_s);
        QCOMPARE(cells(window, int(Column::Title)), QStringList(2, u"Open Road"_s));
        // Shorter again: the rows are rebuilt from the album selection first.
        QTest::keyClick(search, Qt::Key_Backspace);
        search->clear();
        QCOMPARE(window.songModel().rowCount(), all);
        QVERIFY(window.ui().lstSong->ItemSelected(0));
    }

    // Typing keeps the songs the user selected, and the list where it is,
    // while they are still shown; only when none is left does row 0 take it.
    void searchKeepsTheSelectionWhileItsSongIsShown()
    {
        testing::DemoIpod big;
        QVERIFY(big.make(400));
        frmMain window(big.load.library, *big.options, m_prompts);
        window.resize(900, 600);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ui::ucListView* list = window.ui().lstSong;
        const int row = window.songModel().rowCount() - 5;
        const QRect far = list->visualRect(window.songModel().index(row, 1));
        list->scrollTo(window.songModel().index(row, 1));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(window.songModel().index(row, 1)).center());
        QVERIFY(list->ItemSelected(row));
        const int track = window.songModel().trackAt(row);
        const QString title = big.load.library.Tracks[size_t(track)].Title;
        QVERIFY(!far.intersects(list->viewport()->rect()) || list->verticalScrollBar()->value() > 0);

        QTest::keyClicks(window.ui().txtSearch, title.left(2));
        const int kept = list->currentIndex().row();
        QVERIFY(kept >= 0);
        QCOMPARE(window.songModel().trackAt(kept), track);
        QCOMPARE(list->GetLstSongSelected().size(), size_t(1));
        QVERIFY(list->viewport()->rect().intersects(list->visualRect(window.songModel().index(kept, 1))));
        if (kept != 0)
            QVERIFY(!list->ItemSelected(0));

        // A query its song does not match: the first row is selected.
        window.ui().txtSearch->clear();
        const QString other = big.load.library.Tracks[size_t(window.songModel().trackAt(0))].Title;
        QVERIFY(other != title);
        window.ui().txtSearch->setText(other);
        QVERIFY(window.songModel().rowCount() > 0);
        const std::vector<int>& shown = window.songModel().rows();
        QVERIFY(std::find(shown.begin(), shown.end(), track) == shown.end());
        QVERIFY(list->ItemSelected(0));
        QCOMPARE(list->verticalScrollBar()->value(), 0);
    }

    // Titles in Korean, Japanese or with emoji draw with the Noto fonts that
    // the run command installs, not as boxes (skipped where they are missing).
    void nonLatinTitlesFallBackToTheNotoFonts()
    {
        const QStringList installed = QFontDatabase::families();
        if (!installed.contains(u"Noto Sans CJK KR"_s) || !installed.contains(u"Noto Color Emoji"_s))
            QSKIP("fonts-noto-cjk and fonts-noto-color-emoji are not installed");
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        QTextLayout layout(u"\uB178\uB798 \u6B4C \U0001F3B5"_s, window.ui().lstSong->font()); // 노래 歌 🎵
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        QStringList families;
        for (const QGlyphRun& run : layout.glyphRuns()) {
            families.append(run.rawFont().familyName());
            for (quint32 glyph : run.glyphIndexes())
                QVERIFY2(glyph != 0, qPrintable(run.rawFont().familyName())); // 0 is the missing-glyph box
        }
        QVERIFY2(families.join(u',').contains(u"Noto Sans CJK"_s), qPrintable(families.join(u',')));
        QVERIFY2(families.contains(u"Noto Color Emoji"_s), qPrintable(families.join(u',')));
    }

    // At the smallest size the window allows, every button shows its whole caption.
    void minimumSizeKeepsEveryCaptionWhole()
    {
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.resize(100, 100); // the window's minimum size stops it
        QTRY_COMPARE(window.size(), window.minimumSize());
        QVERIFY(window.minimumHeight() >= 540);
        for (const QPushButton* button : window.findChildren<QPushButton*>()) {
            if (button->isVisible())
                QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->text()));
        }
    }

    // The now-playing panel keeps its height whatever the song's script, so
    // the lists under it never move.
    void nowPlayingPanelKeepsItsHeight()
    {
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const int panel = window.ui().nowPlaying->fraNow->height();
        const int listsAt = window.ui().lstSource->mapTo(&window, QPoint()).y();
        for (QLabel* label :
             { window.ui().nowPlaying->lblTitle, window.ui().nowPlaying->lblArtist, window.ui().nowPlaying->lblAlbum })
            label->setText(u"\uB178\uB798 \u6B4C \u3042 \U0001F3B5 Ångström"_s);
        window.ui().nowPlaying->lblTime->setText(u"Length: 3:25"_s);
        QCoreApplication::processEvents();
        QCOMPARE(window.ui().nowPlaying->fraNow->height(), panel);
        QCOMPARE(window.ui().lstSource->mapTo(&window, QPoint()).y(), listsAt);
    }

    // In a wide window the name columns take the free room and give it back
    // as it narrows; what is stored is each column's own width.
    void wideWindowColumnsUseTheWidth()
    {
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        window.resize(1120, 780);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        ui::ucListView* list = window.ui().lstSong;
        const auto shown = [list] {
            int sum = 0;
            for (int column = 0; column < list->ColumnCount(); ++column)
                sum += list->columnWidth(column);
            return sum;
        };
        std::vector<int> own;
        for (int column = 0; column < list->ColumnCount(); ++column)
            own.push_back(list->ColumnWidth(column));
        window.resize(2000, 900);
        QTRY_COMPARE(shown(), list->viewport()->width());
        QVERIFY(list->columnWidth(int(Column::Title)) > own[size_t(Column::Title)]);
        QCOMPARE(list->columnWidth(int(Column::Length)), own[size_t(Column::Length)]); // numbers keep theirs
        window.SaveOptions();
        for (int column = 0; column < list->ColumnCount(); ++column)
            QCOMPARE(m_pod->options->GetOption(columnWidthKey(column), {}), QString::number(own[size_t(column)]));
        window.resize(1120, 780);
        int ownSum = 0;
        for (int width : own)
            ownSum += width;
        QTRY_COMPARE(shown(), std::max(ownSum, list->viewport()->width()));
    }

    void screenJumpWordAsksAndEmptiesTheQuery()
    {
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        QStringList asked;
        window.setInputBox([&asked](const QString& prompt, const QString& title) {
            asked << title << prompt;
            return u"12"_s;
        });
        window.ui().txtSearch->setText(u"ScreenJump"_s);
        QCOMPARE(asked,
                 (QStringList { u"Screen Jump!"_s, u"What amount would you like to modify the screen jump to?"_s }));
        QVERIFY(window.ui().txtSearch->text().isEmpty());
        QCOMPARE(window.songModel().rowCount(), int(m_pod->load.library.Playlists.front().IndexList.size()));
    }

    void menuTicksSurviveARestart()
    {
        {
            frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
            frmMenus& m = window.menus();
            m.mnuDefaultOpen->trigger();
            m.mnuTrayMinNo->trigger();
            m.mnuEject->trigger();
            m.mnuBrowseGenre->trigger();
            m.mnuSort->trigger(); // stored at once
            QCOMPARE(m_pod->options->GetOption(u"Sort"_s, {}), u"False"_s);
            m.mnuSongPopup->trigger();
            QCOMPARE(m_pod->options->GetOption(u"SongPopup"_s, {}), u"True"_s);
            QVERIFY(!m.mnuEmbedded->isChecked());
            QVERIFY(!m.mnuTrayMinYes->isChecked());
            window.close(); // saves the options
        }
        const auto stored = [this](const QString& key) { return m_pod->options->GetOption(key, u"missing"_s); };
        QCOMPARE(stored(u"mnuDefaultOpen"_s), u"True"_s);
        QCOMPARE(stored(u"mnuEmbedded"_s), u"False"_s);
        QCOMPARE(stored(u"mnuMinToTray"_s), u"False"_s);
        QCOMPARE(stored(u"mnuMinToTrayNO"_s), u"True"_s);
        QCOMPARE(stored(u"mnuEjectOnClose"_s), u"True"_s);
        QCOMPARE(stored(u"mnuBrowseGenre"_s), u"True"_s);

        frmMain again(m_pod->load.library, *m_pod->options, m_prompts);
        frmMenus& m = again.menus();
        QVERIFY(m.mnuDefaultOpen->isChecked());
        QVERIFY(!m.mnuEmbedded->isChecked());
        QVERIFY(m.mnuTrayMinNo->isChecked());
        QVERIFY(!m.mnuTrayMinYes->isChecked());
        QVERIFY(m.mnuEject->isChecked());
        QVERIFY(m.mnuBrowseGenre->isChecked());
        QVERIFY(!m.mnuSort->isChecked());
        QVERIFY(m.mnuSongPopup->isChecked());
        QVERIFY(again.ui().lstGenre->isHidden());
        QVERIFY(again.ui().lblgenretop->isHidden());
    }

    void embeddedWinsOverExternal()
    {
        QVERIFY(m_pod->options->SaveOption(u"mnuEmbedded"_s, u"1"_s));
        QVERIFY(m_pod->options->SaveOption(u"mnuDefaultOpen"_s, u"True"_s));
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        QVERIFY(window.menus().mnuEmbedded->isChecked());
        QVERIFY(!window.menus().mnuDefaultOpen->isChecked());
    }

    void genreListHidesAndComesBack()
    {
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const int artistWidth = window.ui().lstArtist->width();
        window.menus().mnuBrowseGenre->trigger();
        QCoreApplication::processEvents();
        QVERIFY(window.ui().lstGenre->isHidden());
        QVERIFY(window.ui().lstArtist->width() > artistWidth);
        // The hidden genre list still takes part: every artist of the source shows.
        QCOMPARE(window.ui().lstGenre->selectedRowList(), std::vector<int> { 0 });
        window.menus().mnuBrowseGenre->trigger();
        QCoreApplication::processEvents();
        QVERIFY(window.ui().lstGenre->isVisible());
        QCOMPARE(window.ui().lstArtist->width(), artistWidth);
    }

    void columnWidthsRoundTrip()
    {
        {
            frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
            window.ui().lstSong->setColumnWidthPx(int(Column::Title), 123);
            window.ui().lstSong->setColumnWidthPx(int(Column::Mark), 17);
            window.close();
        }
        QCOMPARE(m_pod->options->GetOption(u"Column:Title size"_s, {}), u"123"_s);
        QCOMPARE(m_pod->options->GetOption(u"Column:  size"_s, {}), u"17"_s); // the blank header
        QVERIFY(m_pod->options->SaveOption(u"Column:Genre size"_s, u"--"_s));
        QVERIFY(m_pod->options->SaveOption(u"Column:Path size"_s, u"0"_s));
        frmMain again(m_pod->load.library, *m_pod->options, m_prompts);
        QCOMPARE(again.ui().lstSong->ColumnWidth(int(Column::Title)), 123);
        QCOMPARE(again.ui().lstSong->ColumnWidth(int(Column::Mark)), 17);
        QCOMPARE(again.ui().lstSong->ColumnWidth(int(Column::Path)), 0);
        QVERIFY(again.ui().lstSong->ColumnWidth(int(Column::Genre)) > 0); // "--": fitted to the contents
    }

    void closeHoverTwinFollowsTheMouse()
    {
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        window.show();
        ui::HoverButton* close = window.ui().imgCaption->closeButton();
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(close->image(), &enter);
        QVERIFY(close->hoverImage()->isVisible());
        QCursor::setPos(window.mapToGlobal(QPoint(window.width() / 2, window.height() / 2)));
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(close->hoverImage(), &leave);
        QVERIFY(!close->hoverImage()->isVisible());
    }

    void edgesResizeAndChildrenKeepTheirCursor()
    {
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::mouseMove(&window, QPoint(2, window.height() / 2));
        QCOMPARE(window.cursor().shape(), Qt::SizeHorCursor);
        QTest::mouseMove(&window, QPoint(window.width() - 2, window.height() - 2));
        QCOMPARE(window.cursor().shape(), Qt::SizeFDiagCursor);
        QEvent enter(QEvent::Enter); // straight from the edge into the song list
        QCoreApplication::sendEvent(window.ui().lstSong, &enter);
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    }

    void minimiseWithoutATrayKeepsTheWindow()
    {
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        window.show();
        QVERIFY(window.menus().mnuTrayMinYes->isChecked());
        QVERIFY(!window.menus().trayShown()); // offscreen: no system tray
        window.showMinimized();
        QCoreApplication::processEvents();
        QVERIFY(!window.isHidden());
    }

    void songInformationShowsTheSelectedSong()
    {
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        window.ui().lstSong->setItemSelected(-1, false);
        window.ui().lstSong->setItemSelected(2, true);
        window.menus().mnuInfo->trigger();
        QCOMPARE(m_prompts.requests.size(), size_t(1));
        const ui::PromptRequest& shown = m_prompts.requests.front();
        QCOMPARE(shown.title, u"Song Information"_s);
        const auto& track = m_pod->load.library.Tracks[size_t(window.songModel().trackAt(2))];
        const QStringList lines = shown.text.split(u"\r\n"_s);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[0], u"Title: "_s + track.Title);
        QCOMPARE(lines[2], u"Album: "_s + track.Album);
        QVERIFY(lines[3].startsWith(u"Length: "_s) && lines[3].mid(8).contains(u':'));
        QCOMPARE(lines[4], u"Path: "_s + track.Path);
    }

    // "Show File" through the song list's context menu item: the folder that
    // holds the song opens, or the user learns what failed and where.
    void showFileOpensTheSongsFolderOrSaysWhyNot()
    {
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        window.ui().lstSong->setItemSelected(-1, false);
        window.ui().lstSong->setItemSelected(1, true);
        const auto& track = m_pod->load.library.Tracks[size_t(window.songModel().trackAt(1))];
        const QString songFolder = QFileInfo(m_pod->dir.path() + track.Path).absolutePath();
        {
            test::FakeOpener opener(test::FakeOpener::Kind::Succeeds);
            QVERIFY(opener.ready());
            window.menus().mnuShowFile->trigger();
            QTRY_VERIFY(!opener.opened().isEmpty());
            const QString opened = opener.opened().trimmed();
            QVERIFY2(songFolder.startsWith(opened) && opened.startsWith(m_pod->dir.path()), qPrintable(opened));
            QTRY_VERIFY(opener.handled());
            QVERIFY(m_prompts.requests.empty());
        }
        test::FakeOpener none(test::FakeOpener::Kind::None);
        window.menus().mnuShowFile->trigger();
        QTRY_COMPARE(m_prompts.requests.size(), size_t(1));
        QCOMPARE(m_prompts.requests[0].title, u"Show File"_s);
        QVERIFY(m_prompts.requests[0].text.contains(m_pod->dir.path()));
        QVERIFY(m_prompts.requests[0].text.contains(u"xdg-open"_s));
    }

    void extractTakesAllRowsOrTheSelection()
    {
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        QSignalSpy spy(&window, &frmMain::extractRequested);
        window.ui().cmdExtract->click();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).value<std::vector<int>>(), window.songModel().rows());
        window.ui().lstSong->setItemSelected(-1, false);
        window.ui().lstSong->setItemSelected(3, true);
        window.ui().lstSong->setItemSelected(1, true);
        window.menus().mnuExtract->trigger();
        QCOMPARE(spy.size(), 2);
        const std::vector<int> expected { window.songModel().trackAt(1), window.songModel().trackAt(3) };
        QCOMPARE(spy.at(1).at(0).value<std::vector<int>>(), expected);
        QVERIFY(!window.ExtractSelectedOnly);
        window.ui().txtSearch->setText(u"no song has this text"_s);
        window.ui().cmdExtract->click();
        QCOMPARE(spy.size(), 2); // an empty list extracts nothing
    }

    void doubleClickFollowsTheChosenAction()
    {
        frmMain window(m_pod->load.library, *m_pod->options, m_prompts);
        QSignalSpy play(&window, &frmMain::playRequested);
        QSignalSpy external(&window, &frmMain::openExternalRequested);
        QSignalSpy history(&window, &frmMain::playedHistoryCleared);
        window.lstSong_DblClick();
        window.menus().mnuDefaultOpen->trigger();
        QTest::keyClick(window.ui().lstSong, Qt::Key_Return);
        QCOMPARE(play.size(), 1);
        QCOMPARE(external.size(), 1);
        QCOMPARE(history.size(), 2);
    }

private:
    std::unique_ptr<testing::DemoIpod> m_pod;
    ui::RecordingPromptService m_prompts;
};

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
