#pragma once

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QWidget;

namespace quaverly::ui {
class CaptionBar;
class MenuBarLabel;
class NowPlayingView;
class SkinImage;
class ucListView;
} // namespace quaverly::ui

namespace quaverly::browser {

class BrowserListBox;

/// The controls of the main window, under their given names (also their
/// object names). Built in code by setupUi; owned by the window.
struct frmMainUi
{
    void setupUi(QWidget* window);

    // Chrome
    ui::CaptionBar* imgCaption = nullptr; // holds imgPod, lblCaption, imgMinimize(+Hover), imgClose(+Hover)
    ui::MenuBarLabel* mnuFIle = nullptr;
    ui::MenuBarLabel* mnuOptions = nullptr;
    ui::MenuBarLabel* mnuExtras = nullptr;
    ui::MenuBarLabel* mnuHelp = nullptr;

    // Now playing: the view holds its controls under their given names (lblTitle, picPlay, chkRepeat ...)
    ui::NowPlayingView* nowPlaying = nullptr;

    // Browser
    QSplitter* splitter = nullptr;
    QLabel* lblSourceTop = nullptr;
    QLabel* lblgenretop = nullptr;
    QLabel* lblartisttop = nullptr;
    QLabel* lblalbumtop = nullptr;
    BrowserListBox* lstSource = nullptr;
    BrowserListBox* lstGenre = nullptr;
    BrowserListBox* lstArtist = nullptr;
    BrowserListBox* lstAlbum = nullptr;
    QHBoxLayout* browserRow = nullptr; // one column per list; BrowseOptions sets the stretches

    // Search, commands and the song list
    QLineEdit* txtSearch = nullptr;
    ui::SkinImage* imgClearSearch = nullptr;
    QPushButton* cmdJump = nullptr;
    QPushButton* cmdDefault = nullptr;
    QPushButton* cmdOpen = nullptr;
    QPushButton* cmdMakeM3u = nullptr;
    QPushButton* cmdExtract = nullptr;
    QLabel* lblSongCount = nullptr;
    ui::ucListView* lstSong = nullptr;

private:
    QWidget* buildMenuStrip(QWidget* window);
    QWidget* buildBrowser(QWidget* window);
    QWidget* buildSongArea(QWidget* window);
};

} // namespace quaverly::browser
