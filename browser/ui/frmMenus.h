#pragma once
#include <QList>
#include <QObject>
#include <QSystemTrayIcon>

class QAction;
class QMenu;
class QWidget;

namespace quaverly::settings {
class mdlOptions;
}
namespace quaverly::ui {
class PromptService;
}

namespace quaverly::browser {

/// Holds every menu of the program and the tray icon; never shown itself.
/// Tick marks, radio pairs and the options "Sort" and "SongPopup" are kept
/// here. What the user asks for leaves as an intent signal (ejectRequested,
/// playRequested ...); the main window handles its own items, and the
/// start-up wiring connects the other intents to the controllers, which
/// answer through the setters below and never reach into the items. The
/// menus are parented to the main window so they share its style.
class frmMenus : public QObject
{
    Q_OBJECT
public:
    frmMenus(settings::mdlOptions& options, ui::PromptService& prompts, QWidget* mainWindow);
    ~frmMenus() override;

    /// Creates the tray icon (tooltip "Quaverly") and shows it where a system
    /// tray exists. Called once by the main window after its options are read.
    void addTray();
    /// True when a tray icon is shown, so that hiding the window to it is safe.
    [[nodiscard]] bool trayShown() const;
    [[nodiscard]] QSystemTrayIcon* trayIcon() const { return m_tray; }
    /// Pops up the tray menu at `globalPos`.
    void ShowPopup(const QPoint& globalPos);
    /// Forwards a tray activation: a double click restores the main window,
    /// the context button shows the tray menu, anything else does nothing.
    void picSystray_Activated(QSystemTrayIcon::ActivationReason reason);

    // What the controllers tell the menus.
    /// The tray menu's "&Play >" and "P&ause ||": which of them can be chosen.
    void setTransportEnabled(bool playEnabled, bool pauseEnabled);
    /// The tray menu's line under "Now Playing" ("Artist - Title").
    void setNowPlayingText(const QString& text);
    /// The external players after "[Default Player]", by their shown names;
    /// choosing the n-th one (1-based) emits playerChosen(n).
    void setPlayers(const QStringList& names);
    /// Ticks the chosen player: 0 is "[Default Player]", -1 ticks none.
    void setCheckedPlayer(int index);
    /// Whether the song change popup is wanted ("Song Change Popup").
    [[nodiscard]] bool songPopupWanted() const;
    /// Whether the iPod is ejected when the program closes ("E&ject on Quaverly Close").
    [[nodiscard]] bool ejectOnClose() const;
    /// The iPod went away: the commands that read or write it can no longer
    /// be chosen, and eject on close is unticked (not stored: nothing is
    /// written to the iPod any more).
    void disableDeviceCommands();

    // Menus, in the order of the menu bar; each item keeps its given name.
    QMenu* mnuIcon;
    QAction* mnuRestore;
    QAction* mnuMove;
    QAction* mnuSize;
    QAction* mnuMinimize;
    QAction* mnuMaximize;
    QAction* mnuClose;

    QMenu* mnuFIle;
    QAction* mnuOpenInDefaultAsPlaylist;
    QAction* mnuDefault;
    QAction* mnuExportPlays; // "Export plays...": the iPod's plays for a scrobbler
    QAction* mnuExit2;

    QMenu* mnuOptions;
    QAction* mnuSort;
    QMenu* mnuTrayMin;
    QAction* mnuTrayMinYes;
    QAction* mnuTrayMinNo;
    QAction* mnuSongPopup;
    QAction* mnuSpectrum;
    QAction* mnuSpecColor;
    QMenu* mnuPlayIn;
    QList<QAction*> mnuPlayer; // index 0 is "[Default Player]"
    QAction* mnuAddPlayer;
    QMenu* mnuDblClick;
    QAction* mnuEmbedded;
    QAction* mnuDefaultOpen;
    QAction* mnuEject;
    QAction* mnuBrowseGenre;

    QMenu* mnuExtras;
    QAction* mnuHacks;
    QAction* mnuiPodInfo;
    QAction* mnuCheckForMissing;
    QAction* mnuCheckForDuplicates;
    QAction* mnuEjectAndClose;

    QMenu* mnuHelp;
    QAction* mnuShowHelp;
    QAction* mnuDonate;
    QAction* mnuWebsite;
    QAction* mnuAbout;

    QMenu* mnuPopup;
    QAction* mnuNowPlaying;
    QAction* mnuNow;
    QAction* mnuShow;
    QAction* mnuPlay;
    QAction* mnuPause;
    QAction* mnuPrev;
    QAction* mnuNext;
    QAction* mnuExit;

    QMenu* mnuAFile;
    QAction* mnuDouble;
    QAction* mnuInEmbedded;
    QAction* mnuInExternal;
    QAction* mnuExtract;
    QAction* mnuInfo;
    QAction* mnuShowFile;

Q_SIGNALS:
    /// "&Show" or a double click on the tray icon: restore the main window.
    void showRequested();
    /// Any of the exit items: close the main window.
    void exitRequested();
    /// "Remove Genre in Browser" changed: the main window re-lays its lists.
    void browseOptionsChanged();
    /// "&Spectrum Analyser" changed (ticked = the spectrum shows).
    void spectrumToggled(bool on);
    /// "Spectrum Analyser Color": choose the spectrum's colour.
    void spectrumColourRequested();
    /// The tray menu's transport items.
    void playRequested();
    void pauseRequested();
    void previousRequested();
    void nextRequested();
    /// An item of "&External Player": 0 is "[Default Player]", n the n-th player added.
    void playerChosen(int index);
    /// "Add New Player...".
    void addPlayerRequested();
    /// "Export plays...".
    void exportPlaysRequested();
    /// "&iPod Hacks" and "iPod Information".
    void hacksRequested();
    void iPodInfoRequested();
    /// "Check for &Missing Files" and "Check For &Duplicates".
    void missingCheckRequested();
    void duplicatesCheckRequested();
    /// "Eject iPod and close Quaverly".
    void ejectRequested();

private:
    void buildIconMenu(QWidget* parent);
    void buildFileMenu(QWidget* parent);
    void buildOptionsMenu(QWidget* parent);
    void buildExtrasMenu(QWidget* parent);
    void buildHelpMenu(QWidget* parent);
    void buildTrayMenu(QWidget* parent);
    void buildSongMenu(QWidget* parent);
    void Form_Load();
    void mnuSort_Click();
    void mnuSongPopup_Click();
    void mnuAbout_Click();
    void mnuShowHelp_Click();

    settings::mdlOptions& m_options;
    ui::PromptService& m_prompts;
    QWidget* m_mainWindow;
    QSystemTrayIcon* m_tray = nullptr;
};

/// The About box's title and text.
[[nodiscard]] QString aboutTitle(const QString& mainCaption);
[[nodiscard]] QString aboutText(const QString& version);
/// Where the help file lies: beside the program, in the installed documentation
/// folder, else in the shared data folder.
[[nodiscard]] QString helpFilePath();

} // namespace quaverly::browser
