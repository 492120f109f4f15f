#pragma once
#include "browser/BrowserState.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace quaverly::database {
class Library;
}
namespace quaverly::settings {
class mdlOptions;
}
namespace quaverly::ui {
class PromptService;
class FrameResizer;
} // namespace quaverly::ui

namespace quaverly::browser {

class SongListModel;
class frmMenus;
struct frmMainUi;

/// The main window: borderless and skinned, with its own caption bar and
/// menu labels, the now-playing area, the four-stage browser and the song
/// list. Construction runs the window's load (columns, skin, menus, browser
/// cascade, options, tray, column widths); closing saves the options.
///
/// Playback, the tool windows and the external players plug in through the
/// public controls (ui()) and the intent signals below; until they are
/// connected those commands do nothing.
class frmMain : public QWidget
{
    Q_OBJECT
public:
    frmMain(const database::Library& library, settings::mdlOptions& options, ui::PromptService& prompts,
            QWidget* parent = nullptr);
    ~frmMain() override;

    [[nodiscard]] frmMainUi& ui() { return *m_ui; }
    [[nodiscard]] frmMenus& menus() { return *m_menus; }
    [[nodiscard]] BrowserState& browser() { return m_browser; }
    [[nodiscard]] SongListModel& songModel() { return *m_songs; }
    [[nodiscard]] const database::Library& library() const { return m_library; }

    void LoadOptions();
    void SaveOptions();
    /// Lays the lists out with or without the genre list, from "Remove Genre in Browser".
    void BrowseOptions();
    /// The full path of the file being played ("" for none): marks its rows.
    void setPlayingFile(const QString& fullPath);
    /// The stars the Rating column shows, sorts and searches by track index:
    /// the iPod's Play Counts ratings over the database's, as the stars of the
    /// now-playing area show them.
    void setTrackRatings(const std::vector<int>& ratings);
    /// One track was rated: its rows show the new stars.
    void setTrackRating(int track, int stars);
    /// The open iPod is gone: the commands that read or write it (the menus'
    /// device items, Extract, Open, the playlist button) and the rating stars
    /// are disabled for good.
    void disableDeviceCommands();
    /// The question behind the "screenjump" word; tests replace it.
    void setInputBox(std::function<QString(const QString& prompt, const QString& title)> inputBox);

    /// Set by the song list's "Extract" so that only the selected rows go.
    bool ExtractSelectedOnly = false;

public Q_SLOTS:
    void picPlay_Click();
    void cmdOpen_Click();
    void cmdExtract_Click();
    void cmdJump_Click();
    void lstSong_DblClick();
    void mnuShow_Click();

Q_SIGNALS:
    /// Play the first selected song in the program (play button, double click).
    void playRequested();
    /// The double-click action starts afresh: the played history is emptied.
    void playedHistoryCleared();
    /// Hand the selected song to the external player.
    void openExternalRequested();
    /// Hand every song of the list to the external player as a playlist.
    void makePlaylistRequested();
    /// Play the selected song in the program without touching the history.
    void openInEmbeddedRequested();
    /// The extraction window should open with these tracks (0-based library indexes).
    void extractRequested(const std::vector<int>& trackIndexes);
    /// The window is closing: options are saved and it is about to hide.
    void closing();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Form_Load();
    void connectChrome();
    void connectMenus();
    void connectBrowser();
    void connectSpectrumPlace();
    void InitLView();
    void restoreColumnWidths();
    void showLists(BrowserList from);
    void showSongs(bool selectFirst);
    void showSearchResult();
    void updateSongCount();

    void lstSource_Click(int current);
    void lstGenre_Click(int current, const std::vector<int>& selectedRows);
    void lstArtist_Click(int current, const std::vector<int>& selectedRows);
    void lstAlbum_Click(int current, const std::vector<int>& selectedRows);
    void lstSong_ColumnClick(int column);
    void lstSong_KeyDown(int key);
    void lstSong_MouseUp(Qt::MouseButton button, QPoint pos);
    void txtSearch_Change(const QString& text);
    void imgClearSearch_Click();
    void imgPod_Click();
    void mnuInfo_Click();
    void mnuShowFile_Click();
    [[nodiscard]] int firstSelectedTrack() const;

    const database::Library& m_library;
    settings::mdlOptions& m_options;
    ui::PromptService& m_prompts;
    std::unique_ptr<frmMainUi> m_ui;
    BrowserState m_browser;
    SongListModel* m_songs = nullptr;
    frmMenus* m_menus = nullptr;
    std::function<QString(const QString&, const QString&)> m_inputBox;
    bool m_closing = false;
    bool m_nowPlayingFixed = false;
};

} // namespace quaverly::browser
