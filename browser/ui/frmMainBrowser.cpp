// The main window's browser: the four lists, the song list, the search box
// and the song commands of the context menu.
#include "browser/SongColumns.h"
#include "browser/SongListModel.h"
#include "browser/ui/BrowserListBox.h"
#include "browser/ui/FileManager.h"
#include "browser/ui/frmMain.h"
#include "browser/ui/frmMainUi.h"
#include "browser/ui/frmMenus.h"
#include "database/Library.h"
#include "device/DevicePath.h"
#include "ui/PromptService.h"
#include "ui/widgets/NowPlayingView.h"
#include "ui/widgets/Skin.h"
#include "ui/widgets/ucListView.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelection>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSet>
#include <QSignalBlocker>

namespace quaverly::browser {

namespace {

/// Minutes and seconds of a length in milliseconds: 65000 gives 1:05.
QString formatLength(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QString::number(seconds / 60) + QLatin1Char(':')
        + QString::number(seconds % 60).rightJustified(2, QLatin1Char('0'));
}

class OverrideCursorGuard
{
public:
    OverrideCursorGuard() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~OverrideCursorGuard() { QApplication::restoreOverrideCursor(); }
    OverrideCursorGuard(const OverrideCursorGuard&) = delete;
    OverrideCursorGuard& operator=(const OverrideCursorGuard&) = delete;
};

} // namespace

void frmMain::connectBrowser()
{
    connect(m_ui->lstSource, &BrowserListBox::Click, this,
            [this](int current, const std::vector<int>&) { lstSource_Click(current); });
    connect(m_ui->lstGenre, &BrowserListBox::Click, this, &frmMain::lstGenre_Click);
    connect(m_ui->lstArtist, &BrowserListBox::Click, this, &frmMain::lstArtist_Click);
    connect(m_ui->lstAlbum, &BrowserListBox::Click, this, &frmMain::lstAlbum_Click);
    for (BrowserListBox* list : { m_ui->lstSource, m_ui->lstGenre, m_ui->lstArtist, m_ui->lstAlbum })
        connect(list, &BrowserListBox::DblClick, this, &frmMain::picPlay_Click);
    ui::ucListView* songs = m_ui->lstSong;
    connect(songs, &ui::ucListView::DblClick, this, &frmMain::lstSong_DblClick);
    connect(songs, &ui::ucListView::ColumnClick, this, &frmMain::lstSong_ColumnClick);
    connect(songs, &ui::ucListView::KeyDown, this, [this](int key, Qt::KeyboardModifiers) { lstSong_KeyDown(key); });
    connect(songs, &ui::ucListView::MouseUp, this, &frmMain::lstSong_MouseUp);
    connect(m_ui->txtSearch, &QLineEdit::textChanged, this, &frmMain::txtSearch_Change);
    connect(m_ui->imgClearSearch, &ui::SkinImage::clicked, this, &frmMain::imgClearSearch_Click);
}

void frmMain::showLists(BrowserList from)
{
    const auto show = [this](BrowserList list, BrowserListBox* box) {
        box->setEntries(m_browser.entries(list), m_browser.currentRow(list), m_browser.selectedRows(list));
    };
    if (from == BrowserList::Source)
        show(BrowserList::Source, m_ui->lstSource);
    if (from <= BrowserList::Source)
        show(BrowserList::Genre, m_ui->lstGenre);
    if (from <= BrowserList::Genre)
        show(BrowserList::Artist, m_ui->lstArtist);
    if (from <= BrowserList::Artist)
        show(BrowserList::Album, m_ui->lstAlbum);
}

void frmMain::showSongs(bool selectFirst)
{
    m_songs->setRows(m_browser.songRows());
    m_ui->lstSong->horizontalHeader()->setSortIndicatorShown(false);
    if (selectFirst && m_songs->rowCount() > 0)
        m_ui->lstSong->setItemSelected(0, true);
    m_ui->lstSong->scrollToTop();
    updateSongCount();
}

void frmMain::updateSongCount()
{
    const int shown = m_songs->rowCount();
    m_ui->lblSongCount->setText(shown == 1 ? QStringLiteral("1 song") : QStringLiteral("%1 songs").arg(shown));
}

void frmMain::lstSource_Click(int current)
{
    OverrideCursorGuard wait;
    m_browser.selectSource(current);
    showLists(BrowserList::Source);
    const QSignalBlocker blocker(m_ui->txtSearch); // every browser click empties the search
    m_ui->txtSearch->clear();
    showSongs(true);
}

void frmMain::lstGenre_Click(int current, const std::vector<int>& selectedRows)
{
    OverrideCursorGuard wait;
    m_browser.selectGenres(current, selectedRows);
    showLists(BrowserList::Genre);
    const QSignalBlocker blocker(m_ui->txtSearch);
    m_ui->txtSearch->clear();
    showSongs(true);
}

void frmMain::lstArtist_Click(int current, const std::vector<int>& selectedRows)
{
    OverrideCursorGuard wait;
    m_browser.selectArtists(current, selectedRows);
    showLists(BrowserList::Artist);
    const QSignalBlocker blocker(m_ui->txtSearch);
    m_ui->txtSearch->clear();
    showSongs(true);
}

void frmMain::lstAlbum_Click(int current, const std::vector<int>& selectedRows)
{
    OverrideCursorGuard wait;
    m_browser.selectAlbums(current, selectedRows);
    const QSignalBlocker blocker(m_ui->txtSearch);
    m_ui->txtSearch->clear();
    showSongs(true);
}

void frmMain::txtSearch_Change(const QString& text)
{
    const BrowserState::SearchOutcome outcome = m_browser.setSearchText(text);
    if (outcome.screenJumpPrompt) {
        // The answer is not used: the screen jump has no effect in this program.
        (void)m_inputBox(QStringLiteral("What amount would you like to modify the screen jump to?"),
                         QStringLiteral("Screen Jump!"));
        m_ui->txtSearch->clear(); // runs this handler again with an empty query
        return;
    }
    showSearchResult();
}

void frmMain::showSearchResult()
{
    // The songs the user had selected stay selected where the search still
    // shows them, and the list stays where they are; only when none is left
    // does the first row take the selection.
    ui::ucListView* list = m_ui->lstSong;
    QSet<int> selectedTracks;
    for (int row : list->GetLstSongSelected())
        selectedTracks.insert(m_songs->trackAt(row));
    const int currentTrack = m_songs->trackAt(list->currentIndex().row());
    m_songs->setRows(m_browser.songRows());
    list->horizontalHeader()->setSortIndicatorShown(false);
    QItemSelection keep;
    int currentRow = -1;
    const std::vector<int>& rows = m_songs->rows();
    const int lastColumn = m_songs->columnCount() - 1;
    int runStart = -1; // selected rows are kept as runs of neighbours
    for (int row = 0; row <= static_cast<int>(rows.size()); ++row) {
        const bool selected = row < static_cast<int>(rows.size()) && selectedTracks.contains(rows[size_t(row)]);
        if (selected && runStart < 0)
            runStart = row;
        if (!selected && runStart >= 0) {
            keep.append(QItemSelectionRange(m_songs->index(runStart, 0), m_songs->index(row - 1, lastColumn)));
            runStart = -1;
        }
        if (!selected)
            continue;
        const bool isCurrent = rows[size_t(row)] == currentTrack;
        if (currentRow < 0 || (isCurrent && rows[size_t(currentRow)] != currentTrack))
            currentRow = row;
    }
    if (currentRow < 0) {
        if (m_songs->rowCount() > 0)
            list->setItemSelected(0, true);
        list->scrollToTop();
    } else {
        list->selectionModel()->setCurrentIndex(m_songs->index(currentRow, 0), QItemSelectionModel::NoUpdate);
        list->selectionModel()->select(keep, QItemSelectionModel::Select);
        list->scrollTo(m_songs->index(currentRow, 0), QAbstractItemView::EnsureVisible);
    }
    updateSongCount();
}

void frmMain::imgClearSearch_Click()
{
    m_ui->txtSearch->clear();
}

void frmMain::cmdJump_Click()
{
    const QString uin = m_ui->nowPlaying->lblTitle->property("tag").toString();
    const QString query = m_browser.jumpToPlaying(uin);
    {
        const QSignalBlocker blocker(m_ui->txtSearch);
        m_ui->txtSearch->setText(query);
    }
    showLists(BrowserList::Source);
    showSongs(true);
    m_ui->lstSong->setFocus();
}

void frmMain::lstSong_ColumnClick(int column)
{
    OverrideCursorGuard wait;
    m_browser.sortSongRows(column, true);
    m_songs->reorderRows(m_browser.songRows());
    m_ui->lstSong->horizontalHeader()->setSortIndicator(column, Qt::AscendingOrder);
    m_ui->lstSong->horizontalHeader()->setSortIndicatorShown(true);
}

void frmMain::lstSong_DblClick()
{
    Q_EMIT playedHistoryCleared();
    if (m_ui->lstSong->SelectedCount() == 0)
        return;
    if (m_menus->mnuDefaultOpen->isChecked())
        cmdOpen_Click();
    else
        picPlay_Click();
}

void frmMain::lstSong_KeyDown(int key)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        lstSong_DblClick();
}

void frmMain::lstSong_MouseUp(Qt::MouseButton button, QPoint pos)
{
    if (button == Qt::RightButton && m_ui->lstSong->SelectedCount() > 0)
        m_menus->mnuAFile->popup(m_ui->lstSong->viewport()->mapToGlobal(pos));
}

int frmMain::firstSelectedTrack() const
{
    const std::vector<int> rows = m_ui->lstSong->GetLstSongSelected();
    return rows.empty() ? -1 : m_songs->trackAt(rows.front());
}

void frmMain::cmdExtract_Click()
{
    OverrideCursorGuard wait;
    const bool selectedOnly = ExtractSelectedOnly;
    ExtractSelectedOnly = false;
    if (m_songs->rowCount() == 0)
        return;
    std::vector<int> tracks;
    if (selectedOnly) {
        for (int row : m_ui->lstSong->GetLstSongSelected())
            tracks.push_back(m_songs->trackAt(row));
    } else {
        tracks = m_songs->rows();
    }
    if (!tracks.empty())
        Q_EMIT extractRequested(tracks);
}

void frmMain::mnuInfo_Click()
{
    const int track = firstSelectedTrack();
    if (track < 0)
        return;
    const database::TrackRecord& t = m_library.Tracks[static_cast<size_t>(track)];
    const QString text = QStringLiteral("Title: ") + t.Title + QStringLiteral("\r\nArtist: ") + t.Artist
        + QStringLiteral("\r\nAlbum: ") + t.Album + QStringLiteral("\r\nLength: ") + formatLength(t.Length)
        + QStringLiteral("\r\nPath: ") + t.Path;
    m_prompts.show(QStringLiteral("Song Information"), text, ui::PromptIcon::Information);
}

void frmMain::mnuShowFile_Click()
{
    const int track = firstSelectedTrack();
    if (track < 0)
        return;
    const QString& path = m_library.Tracks[static_cast<size_t>(track)].Path;
    const device::DevicePath device(m_library.iPodRoot);
    QString full = device.existing(path);
    if (full.isEmpty()) {
        // Not on the iPod: the file manager can still show where it belongs.
        full = device.resolve(path).value_or(QString());
    }
    if (full.isEmpty()) {
        m_prompts.show(QStringLiteral("Show File"),
                       QStringLiteral("The song's file %1 is not a path on the iPod, so it cannot be shown.").arg(path),
                       ui::PromptIcon::Warning);
        return;
    }
    showFileInFileManager(full, this, [this, full](const QString& reason) {
        m_prompts.show(QStringLiteral("Show File"), ui::openFailureText(QFileInfo(full).absolutePath(), reason),
                       ui::PromptIcon::Warning);
    });
}

void frmMain::setPlayingFile(const QString& fullPath)
{
    m_browser.setPlayingFile(fullPath);
    m_songs->setPlayingFile(fullPath);
}

void frmMain::setTrackRatings(const std::vector<int>& ratings)
{
    m_browser.setRatings(ratings);
    m_songs->setRatings(ratings);
}

void frmMain::setTrackRating(int track, int stars)
{
    m_browser.setRating(track, stars);
    m_songs->setRating(track, stars);
}

} // namespace quaverly::browser
