#include "browser/ui/frmMenus.h"

#include "settings/Preferences.h"
#include "settings/mdlOptions.h"
#include "ui/PromptService.h"
#include "ui/Shell.h"
#include "ui/widgets/ProjectLinks.h"
#include "ui/widgets/Skin.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QMenu>

namespace quaverly::browser {
namespace prefs = settings::prefs;

namespace {

QAction* addItem(QMenu* menu, const char* name, const QString& caption, bool checkable = false)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    action->setCheckable(checkable);
    return action;
}

QMenu* newMenu(QWidget* parent, const char* name, const QString& title)
{
    auto* menu = new QMenu(title, parent);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

} // namespace

frmMenus::frmMenus(settings::mdlOptions& options, ui::PromptService& prompts, QWidget* mainWindow)
    : QObject(mainWindow)
    , m_options(options)
    , m_prompts(prompts)
    , m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmMenus"));
    buildIconMenu(mainWindow);
    buildFileMenu(mainWindow);
    buildOptionsMenu(mainWindow);
    buildExtrasMenu(mainWindow);
    buildHelpMenu(mainWindow);
    buildTrayMenu(mainWindow);
    buildSongMenu(mainWindow);
    Form_Load();
}

frmMenus::~frmMenus()
{
    if (m_tray)
        m_tray->hide(); // removes the icon before the program ends
}

void frmMenus::buildIconMenu(QWidget* parent)
{
    mnuIcon = newMenu(parent, "mnuIcon", QStringLiteral("&MainIcon"));
    mnuRestore = addItem(mnuIcon, "mnuRestore", QStringLiteral("&Restore"));
    mnuMove = addItem(mnuIcon, "mnuMove", QStringLiteral("&Move"));
    mnuSize = addItem(mnuIcon, "mnuSize", QStringLiteral("&Size"));
    mnuMinimize = addItem(mnuIcon, "mnuMinimize", QStringLiteral("M&inimize"));
    mnuMaximize = addItem(mnuIcon, "mnuMaximize", QStringLiteral("M&aximize"));
    mnuIcon->addSeparator()->setObjectName(QStringLiteral("sep2"));
    mnuClose = addItem(mnuIcon, "mnuClose", QStringLiteral("&Close"));
    connect(mnuMinimize, &QAction::triggered, this, [this] { m_mainWindow->showMinimized(); });
    connect(mnuClose, &QAction::triggered, this, &frmMenus::exitRequested);
}

void frmMenus::buildFileMenu(QWidget* parent)
{
    mnuFIle = newMenu(parent, "mnuFIle", QStringLiteral("&File"));
    mnuOpenInDefaultAsPlaylist = addItem(mnuFIle, "mnuOpenInDefaultAsPlaylist", QStringLiteral("Open as &Playlist"));
    mnuDefault = addItem(mnuFIle, "mnuDefault", QStringLiteral("Open in &Default"));
    mnuFIle->addSeparator()->setObjectName(QStringLiteral("sepExportPlays"));
    mnuExportPlays = addItem(mnuFIle, "mnuExportPlays", QStringLiteral("Export plays..."));
    mnuFIle->addSeparator()->setObjectName(QStringLiteral("sepExit2"));
    mnuExit2 = addItem(mnuFIle, "mnuExit2", QStringLiteral("&Exit"));
    connect(mnuExportPlays, &QAction::triggered, this, &frmMenus::exportPlaysRequested);
    connect(mnuExit2, &QAction::triggered, this, &frmMenus::exitRequested);
}

void frmMenus::buildOptionsMenu(QWidget* parent)
{
    mnuOptions = newMenu(parent, "mnuOptions", QStringLiteral("&Options"));
    mnuSort = addItem(mnuOptions, "mnuSort", QStringLiteral("No Sorting [Faster]"), true);
    mnuTrayMin = newMenu(parent, "mnuTrayMin", QStringLiteral("&Minimize to Tray"));
    mnuOptions->addMenu(mnuTrayMin);
    mnuTrayMinYes = addItem(mnuTrayMin, "mnuTrayMinYes", QStringLiteral("&Yes"), true);
    mnuTrayMinNo = addItem(mnuTrayMin, "mnuTrayMinNo", QStringLiteral("&No"), true);
    mnuSongPopup = addItem(mnuOptions, "mnuSongPopup", QStringLiteral("Song Change Popup"), true);
    mnuSpectrum = addItem(mnuOptions, "mnuSpectrum", QStringLiteral("&Spectrum Analyser"), true);
    mnuSpecColor = addItem(mnuOptions, "mnuSpecColor", QStringLiteral("Spectrum Analyser Color"));
    mnuPlayIn = newMenu(parent, "mnuPlayIn", QStringLiteral("&External Player"));
    mnuOptions->addMenu(mnuPlayIn);
    mnuPlayer.append(addItem(mnuPlayIn, "mnuPlayer", QStringLiteral("[Default Player]"), true));
    mnuPlayer.constFirst()->setChecked(true);
    mnuAddPlayer = addItem(mnuPlayIn, "mnuAddPlayer", QStringLiteral("Add New Player..."));
    mnuDblClick = newMenu(parent, "mnuDblClick", QStringLiteral("&Double Click Action"));
    mnuOptions->addMenu(mnuDblClick);
    mnuEmbedded = addItem(mnuDblClick, "mnuEmbedded", QStringLiteral("Open In &Embedded"), true);
    mnuDefaultOpen = addItem(mnuDblClick, "mnuDefaultOpen", QStringLiteral("Open In E&xternal"), true);
    mnuEject = addItem(mnuOptions, "mnuEject", QStringLiteral("E&ject on Quaverly Close"), true);
    mnuBrowseGenre = addItem(mnuOptions, "mnuBrowseGenre", QStringLiteral("Remove Genre in Browser"), true);

    // Checkable actions flip their tick themselves before `triggered` arrives.
    connect(mnuSort, &QAction::triggered, this, &frmMenus::mnuSort_Click);
    connect(mnuSongPopup, &QAction::triggered, this, &frmMenus::mnuSongPopup_Click);
    connect(mnuBrowseGenre, &QAction::triggered, this, &frmMenus::browseOptionsChanged);
    connect(mnuSpectrum, &QAction::triggered, this, &frmMenus::spectrumToggled);
    connect(mnuSpecColor, &QAction::triggered, this, &frmMenus::spectrumColourRequested);
    connect(mnuPlayer.constFirst(), &QAction::triggered, this, [this] { Q_EMIT playerChosen(0); });
    connect(mnuAddPlayer, &QAction::triggered, this, &frmMenus::addPlayerRequested);
    const auto radio = [this](QAction* chosen, QAction* other) {
        connect(chosen, &QAction::triggered, this, [chosen, other] {
            chosen->setChecked(true);
            other->setChecked(false);
        });
    };
    radio(mnuTrayMinYes, mnuTrayMinNo);
    radio(mnuTrayMinNo, mnuTrayMinYes);
    radio(mnuEmbedded, mnuDefaultOpen);
    radio(mnuDefaultOpen, mnuEmbedded);
}

void frmMenus::buildExtrasMenu(QWidget* parent)
{
    mnuExtras = newMenu(parent, "mnuExtras", QStringLiteral("&Extras"));
    mnuHacks = addItem(mnuExtras, "mnuHacks", QStringLiteral("&iPod Hacks"));
    mnuiPodInfo = addItem(mnuExtras, "mnuiPodInfo", QStringLiteral("iPod Information"));
    mnuExtras->addSeparator()->setObjectName(QStringLiteral("seperator"));
    mnuCheckForMissing = addItem(mnuExtras, "mnuCheckForMissing", QStringLiteral("Check for &Missing Files"));
    mnuCheckForDuplicates = addItem(mnuExtras, "mnuCheckForDuplicates", QStringLiteral("Check For &Duplicates"));
    mnuExtras->addSeparator()->setObjectName(QStringLiteral("eperatoras2"));
    mnuEjectAndClose = addItem(mnuExtras, "mnuEjectAndClose", QStringLiteral("Eject iPod and close Quaverly"));
    connect(mnuHacks, &QAction::triggered, this, &frmMenus::hacksRequested);
    connect(mnuiPodInfo, &QAction::triggered, this, &frmMenus::iPodInfoRequested);
    connect(mnuCheckForMissing, &QAction::triggered, this, &frmMenus::missingCheckRequested);
    connect(mnuCheckForDuplicates, &QAction::triggered, this, &frmMenus::duplicatesCheckRequested);
    connect(mnuEjectAndClose, &QAction::triggered, this, &frmMenus::ejectRequested);
}

void frmMenus::buildHelpMenu(QWidget* parent)
{
    mnuHelp = newMenu(parent, "mnuHelp", QStringLiteral("&Help"));
    mnuShowHelp = addItem(mnuHelp, "mnuShowHelp", QStringLiteral("Show Help File"));
    mnuDonate = addItem(mnuHelp, "mnuDonate", QStringLiteral("&Donate"));
    mnuWebsite = addItem(mnuHelp, "mnuWebsite", QStringLiteral("&Website - Oxtarra"));
    mnuHelp->addSeparator()->setObjectName(QStringLiteral("sep1"));
    mnuAbout = addItem(mnuHelp, "mnuAbout", QStringLiteral("&About"));
    connect(mnuShowHelp, &QAction::triggered, this, &frmMenus::mnuShowHelp_Click);
    connect(mnuDonate, &QAction::triggered, this,
            [this] { ui::links::openProjectPage(m_prompts, QStringLiteral("Donate"), this); });
    connect(mnuWebsite, &QAction::triggered, this, [this] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ui::links::openProjectPage(m_prompts, QStringLiteral("Website"), this);
        QApplication::restoreOverrideCursor();
    });
    connect(mnuAbout, &QAction::triggered, this, &frmMenus::mnuAbout_Click);
}

void frmMenus::buildTrayMenu(QWidget* parent)
{
    mnuPopup = newMenu(parent, "mnuPopup", QStringLiteral("Popup"));
    mnuNowPlaying = addItem(mnuPopup, "mnuNowPlaying", QStringLiteral("Now Playing"));
    mnuNow = addItem(mnuPopup, "mnuNow", QString());
    mnuPopup->addSeparator()->setObjectName(QStringLiteral("wowsep"));
    mnuShow = addItem(mnuPopup, "mnuShow", QStringLiteral("&Show"));
    mnuPlay = addItem(mnuPopup, "mnuPlay", QStringLiteral("&Play >"));
    mnuPause = addItem(mnuPopup, "mnuPause", QStringLiteral("P&ause ||"));
    mnuPrev = addItem(mnuPopup, "mnuPrev", QStringLiteral("P&revious <<"));
    mnuNext = addItem(mnuPopup, "mnuNext", QStringLiteral("&Next >>"));
    mnuPopup->addSeparator()->setObjectName(QStringLiteral("aseperator"));
    mnuExit = addItem(mnuPopup, "mnuExit", QStringLiteral("&Exit"));
    connect(mnuShow, &QAction::triggered, this, &frmMenus::showRequested);
    connect(mnuPlay, &QAction::triggered, this, &frmMenus::playRequested);
    connect(mnuPause, &QAction::triggered, this, &frmMenus::pauseRequested);
    connect(mnuPrev, &QAction::triggered, this, &frmMenus::previousRequested);
    connect(mnuNext, &QAction::triggered, this, &frmMenus::nextRequested);
    connect(mnuExit, &QAction::triggered, this, &frmMenus::exitRequested);
    mnuPause->setEnabled(false); // nothing plays yet
}

void frmMenus::buildSongMenu(QWidget* parent)
{
    mnuAFile = newMenu(parent, "mnuAFile", QStringLiteral("AFile"));
    mnuDouble = addItem(mnuAFile, "mnuDouble", QStringLiteral("Play File"));
    mnuInEmbedded = addItem(mnuAFile, "mnuInEmbedded", QStringLiteral("Open In Embedded"));
    mnuInExternal = addItem(mnuAFile, "mnuInExternal", QStringLiteral("Open In External"));
    mnuAFile->addSeparator()->setObjectName(QStringLiteral("aseperator2"));
    mnuExtract = addItem(mnuAFile, "mnuExtract", QStringLiteral("Extract"));
    mnuAFile->addSeparator()->setObjectName(QStringLiteral("anotehrsep"));
    mnuInfo = addItem(mnuAFile, "mnuInfo", QStringLiteral("View Information"));
    mnuShowFile = addItem(mnuAFile, "mnuShowFile", QStringLiteral("Show File"));
}

void frmMenus::Form_Load()
{
    mnuSort->setChecked(m_options.get(prefs::kSort));
    mnuSongPopup->setChecked(m_options.get(prefs::kSongPopup));
}

void frmMenus::mnuSort_Click()
{
    m_options.set(prefs::kSort, mnuSort->isChecked());
}

void frmMenus::mnuSongPopup_Click()
{
    m_options.set(prefs::kSongPopup, mnuSongPopup->isChecked());
}

void frmMenus::addTray()
{
    if (m_tray)
        return;
    m_tray = new QSystemTrayIcon(ui::Skin::appIcon(), this);
    m_tray->setObjectName(QStringLiteral("picSystray"));
    m_tray->setToolTip(QStringLiteral("Quaverly"));
    // Right click: trays that speak the StatusNotifier protocol only show a
    // menu that is set here; the others report the click below as well.
    m_tray->setContextMenu(mnuPopup);
    connect(m_tray, &QSystemTrayIcon::activated, this, &frmMenus::picSystray_Activated);
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_tray->show();
}

bool frmMenus::trayShown() const
{
    return m_tray && QSystemTrayIcon::isSystemTrayAvailable() && m_tray->isVisible();
}

void frmMenus::ShowPopup(const QPoint& globalPos)
{
    mnuPopup->popup(globalPos);
}

void frmMenus::picSystray_Activated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::DoubleClick)
        Q_EMIT showRequested();
    else if (reason == QSystemTrayIcon::Context && !(m_tray && m_tray->contextMenu()))
        ShowPopup(QCursor::pos());
}

void frmMenus::setTransportEnabled(bool playEnabled, bool pauseEnabled)
{
    mnuPlay->setEnabled(playEnabled);
    mnuPause->setEnabled(pauseEnabled);
}

void frmMenus::setNowPlayingText(const QString& text)
{
    mnuNow->setText(text);
}

void frmMenus::setPlayers(const QStringList& names)
{
    while (mnuPlayer.size() > 1)
        delete mnuPlayer.takeLast();
    for (int n = 1; n <= names.size(); ++n) {
        auto* item = new QAction(names.at(n - 1), mnuPlayIn);
        item->setObjectName(QStringLiteral("mnuPlayer"));
        item->setCheckable(true);
        mnuPlayIn->insertAction(mnuAddPlayer, item);
        connect(item, &QAction::triggered, this, [this, n] { Q_EMIT playerChosen(n); });
        mnuPlayer.append(item);
    }
}

void frmMenus::setCheckedPlayer(int index)
{
    for (int i = 0; i < mnuPlayer.size(); ++i)
        mnuPlayer.at(i)->setChecked(i == index);
}

bool frmMenus::songPopupWanted() const
{
    return mnuSongPopup->isChecked();
}

bool frmMenus::ejectOnClose() const
{
    return mnuEject->isChecked();
}

void frmMenus::disableDeviceCommands()
{
    mnuEject->setChecked(false);
    for (QAction* action :
         { mnuEject, mnuEjectAndClose, mnuHacks, mnuiPodInfo, mnuCheckForMissing, mnuCheckForDuplicates, mnuExtract,
           mnuInExternal, mnuDefault, mnuOpenInDefaultAsPlaylist, mnuShowFile })
        action->setEnabled(false);
}

void frmMenus::mnuAbout_Click()
{
    m_prompts.show(aboutTitle(QStringLiteral("Quaverly")), aboutText(QStringLiteral(QUAVERLY_VERSION)),
                   ui::PromptIcon::Information);
}

void frmMenus::mnuShowHelp_Click()
{
    const QString path = helpFilePath();
    if (path.isEmpty()) {
        m_prompts.show(QStringLiteral("Help"),
                       QStringLiteral("The help file QuaverlyHelp.txt was not found. It belongs beside the Quaverly "
                                      "program, in %1.")
                           .arg(QDir::toNativeSeparators(QCoreApplication::applicationDirPath())),
                       ui::PromptIcon::Warning);
        return;
    }
    ui::openOrReport(m_prompts, QStringLiteral("Help"), path, this);
}

QString aboutTitle(const QString& mainCaption)
{
    return QStringLiteral("Oxtarra : ") + mainCaption;
}

QString aboutText(const QString& version)
{
    return QStringLiteral("Quaverly version: ") + version + QStringLiteral("\r\nA part of Oxtarra")
        + QStringLiteral("\r\nWritten by the Quaverly developers, with thanks to everyone who reported problems.")
        + QStringLiteral("\r\nDonations are very welcome, please go to Help -> Donate!");
}

QString helpFilePath()
{
    return ui::links::programDocument(QLatin1String(ui::links::kHelpFileName));
}

} // namespace quaverly::browser
