#include "browser/ui/frmMain.h"

#include "browser/SongColumns.h"
#include "browser/SongListModel.h"
#include "browser/ui/BrowserListBox.h"
#include "browser/ui/frmMainUi.h"
#include "browser/ui/frmMenus.h"
#include "database/Library.h"
#include "settings/Preferences.h"
#include "settings/mdlOptions.h"
#include "ui/PromptService.h"
#include "ui/widgets/NowPlayingView.h"
#include "ui/widgets/Skin.h"
#include "ui/widgets/WindowChrome.h"
#include "ui/widgets/ucListView.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QWindowStateChangeEvent>

namespace quaverly::browser {
namespace prefs = settings::prefs;

namespace {

constexpr int kResizeMargin = 6;

} // namespace

frmMain::frmMain(const database::Library& library, settings::mdlOptions& options, ui::PromptService& prompts,
                 QWidget* parent)
    : QWidget(parent)
    , m_library(library)
    , m_options(options)
    , m_prompts(prompts)
    , m_ui(std::make_unique<frmMainUi>())
    , m_browser(library)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quaverly"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowIcon(ui::Skin::appIcon());
    // Only the height is set: the width the controls need (every button's
    // caption whole) comes from the layout.
    setMinimumHeight(540);
    resize(1120, 780);
    m_inputBox = [this](const QString& prompt, const QString& title) {
        return QInputDialog::getText(this, title, prompt);
    };
    m_ui->setupUi(this);
    new ui::FrameResizer(this, kResizeMargin);
    Form_Load();
}

frmMain::~frmMain() = default;

void frmMain::Form_Load()
{
    InitLView();
    m_ui->nowPlaying->setSource(m_library.iPodName);
    m_menus = new frmMenus(m_options, m_prompts, this);
    connectChrome();
    connectMenus();
    connectBrowser();
    m_browser.setSortRows(!m_menus->mnuSort->isChecked());
    m_browser.selectFirstSource();
    showLists(BrowserList::Source);
    showSongs(true);
    LoadOptions();
    m_menus->addTray();
    restoreColumnWidths();
}

void frmMain::InitLView()
{
    m_songs = new SongListModel(m_library, this);
    ui::ucListView* list = m_ui->lstSong;
    list->setModel(m_songs);
    list->Initialize();
    list->setBackColor(ui::Skin::listBack());
    // In a wide window the names get the room the columns leave.
    list->setFillColumns({ int(Column::Title), int(Column::Artist), int(Column::Album) });
}

void frmMain::connectChrome()
{
    ui::CaptionBar* caption = m_ui->imgCaption;
    connect(caption, &ui::CaptionBar::closeClicked, this, &QWidget::close);
    connect(caption, &ui::CaptionBar::minimizeClicked, this, &QWidget::showMinimized);
    connect(caption, &ui::CaptionBar::podClicked, this, &frmMain::imgPod_Click);
    connect(caption, &ui::CaptionBar::podDoubleClicked, this, &QWidget::close);
    // A click on a menu label, or Alt and its access key, opens its menu below it.
    const auto popupBelow = [this](ui::MenuBarLabel* label, QMenu* menu, Qt::Key accessKey) {
        const auto open = [label, menu] { menu->popup(label->mapToGlobal(QPoint(0, label->height()))); };
        connect(label, &ui::MenuBarLabel::clicked, this, open);
        connect(new QShortcut(QKeySequence(Qt::ALT | accessKey), this), &QShortcut::activated, this, open);
    };
    popupBelow(m_ui->mnuFIle, m_menus->mnuFIle, Qt::Key_F);
    popupBelow(m_ui->mnuOptions, m_menus->mnuOptions, Qt::Key_O);
    popupBelow(m_ui->mnuExtras, m_menus->mnuExtras, Qt::Key_E);
    popupBelow(m_ui->mnuHelp, m_menus->mnuHelp, Qt::Key_H);
}

void frmMain::connectMenus()
{
    frmMenus* m = m_menus;
    connect(m, &frmMenus::exitRequested, this, &QWidget::close);
    connect(m, &frmMenus::showRequested, this, &frmMain::mnuShow_Click);
    connect(m, &frmMenus::browseOptionsChanged, this, &frmMain::BrowseOptions);
    connect(m->mnuSort, &QAction::toggled, this, [this](bool noSorting) { m_browser.setSortRows(!noSorting); });
    connect(m, &frmMenus::spectrumToggled, m_ui->nowPlaying, &ui::NowPlayingView::setSpectrumShown);
    connect(m->mnuRestore, &QAction::triggered, this, &QWidget::showNormal);
    connect(m->mnuMaximize, &QAction::triggered, this, &QWidget::showMaximized);
    connect(m->mnuDouble, &QAction::triggered, this, &frmMain::lstSong_DblClick);
    connect(m->mnuInEmbedded, &QAction::triggered, this, &frmMain::openInEmbeddedRequested);
    connect(m->mnuInExternal, &QAction::triggered, this, &frmMain::cmdOpen_Click);
    connect(m->mnuDefault, &QAction::triggered, this, &frmMain::cmdOpen_Click);
    connect(m->mnuOpenInDefaultAsPlaylist, &QAction::triggered, this, &frmMain::makePlaylistRequested);
    connect(m, &frmMenus::playRequested, this, &frmMain::picPlay_Click);
    connect(m->mnuExtract, &QAction::triggered, this, [this] {
        ExtractSelectedOnly = true;
        cmdExtract_Click();
    });
    connect(m->mnuInfo, &QAction::triggered, this, &frmMain::mnuInfo_Click);
    connect(m->mnuShowFile, &QAction::triggered, this, &frmMain::mnuShowFile_Click);
    connect(m_ui->nowPlaying, &ui::NowPlayingView::playClicked, this, &frmMain::picPlay_Click);
    connect(m_ui->cmdOpen, &QPushButton::clicked, this, &frmMain::cmdOpen_Click);
    connect(m_ui->cmdDefault, &QPushButton::clicked, this, &frmMain::openInEmbeddedRequested);
    connect(m_ui->cmdMakeM3u, &QPushButton::clicked, this, &frmMain::makePlaylistRequested);
    connect(m_ui->cmdExtract, &QPushButton::clicked, this, &frmMain::cmdExtract_Click);
    connect(m_ui->cmdJump, &QPushButton::clicked, this, &frmMain::cmdJump_Click);
    connectSpectrumPlace();
}

void frmMain::connectSpectrumPlace()
{
    // The volume slider holds the spectrum's place while the spectrum is off:
    // a right click there offers the spectrum and its colour, so the colour
    // can be chosen whether or not the spectrum shows.
    auto* menu = new QMenu(m_ui->nowPlaying->picVolume);
    menu->setObjectName(QStringLiteral("mnuVolumePlace"));
    menu->addAction(m_menus->mnuSpectrum);
    menu->addAction(m_menus->mnuSpecColor);
    m_ui->nowPlaying->picVolume->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_ui->nowPlaying->picVolume, &QWidget::customContextMenuRequested, menu,
            [this, menu](const QPoint& at) { menu->popup(m_ui->nowPlaying->picVolume->mapToGlobal(at)); });
}

void frmMain::LoadOptions()
{
    frmMenus* m = m_menus;
    m->mnuDefaultOpen->setChecked(m_options.get(prefs::kDefaultOpen));
    m->mnuEmbedded->setChecked(m_options.get(prefs::kEmbedded));
    m->mnuTrayMinYes->setChecked(m_options.get(prefs::kMinToTray));
    m->mnuTrayMinNo->setChecked(m_options.get(prefs::kMinToTrayNO));
    m->mnuEject->setChecked(m_options.get(prefs::kEjectOnClose));
    m->mnuBrowseGenre->setChecked(m_options.get(prefs::kBrowseGenre));
    if (m->mnuEmbedded->isChecked())
        m->mnuDefaultOpen->setChecked(false); // the two are exclusive and embedded wins
    BrowseOptions();
}

void frmMain::SaveOptions()
{
    for (int column = 0; column < m_ui->lstSong->ColumnCount(); ++column)
        m_options.set(prefs::kColumnWidth, columnHeader(column), m_ui->lstSong->ColumnWidth(column));
    m_options.set(prefs::kDefaultOpen, m_menus->mnuDefaultOpen->isChecked());
    m_options.set(prefs::kEmbedded, m_menus->mnuEmbedded->isChecked());
    m_options.set(prefs::kMinToTray, m_menus->mnuTrayMinYes->isChecked());
    m_options.set(prefs::kMinToTrayNO, m_menus->mnuTrayMinNo->isChecked());
    m_options.set(prefs::kEjectOnClose, m_menus->mnuEject->isChecked());
    m_options.set(prefs::kBrowseGenre, m_menus->mnuBrowseGenre->isChecked());
}

void frmMain::BrowseOptions()
{
    const bool hideGenre = m_menus->mnuBrowseGenre->isChecked();
    m_ui->lstGenre->setVisible(!hideGenre);
    m_ui->lblgenretop->setVisible(!hideGenre);
    // Columns: source, genre, artist, album. Without genres the artist and
    // album lists take half as much room again.
    QHBoxLayout* row = m_ui->browserRow;
    row->setStretch(1, hideGenre ? 0 : 2);
    row->setStretch(2, hideGenre ? 3 : 2);
    row->setStretch(3, hideGenre ? 3 : 2);
}

void frmMain::restoreColumnWidths()
{
    ui::ucListView* list = m_ui->lstSong;
    for (int column = 0; column < list->ColumnCount(); ++column) {
        const int width = m_options.get(prefs::kColumnWidth, columnHeader(column));
        if (width != prefs::kAutomaticWidth)
            list->setColumnWidthPx(column, width);
        else
            list->ColumnAutosize(column); // never saved, or not a width: fit the contents
    }
}

void frmMain::setInputBox(std::function<QString(const QString&, const QString&)> inputBox)
{
    m_inputBox = std::move(inputBox);
}

void frmMain::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    ui::Skin::PaintBack(painter, rect());
    painter.setPen(QColor(0x22, 0x34, 0x46));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void frmMain::showEvent(QShowEvent* event)
{
    if (!m_nowPlayingFixed) {
        m_nowPlayingFixed = true; // playback has put its status line and video in by now
        m_ui->nowPlaying->fixHeight();
    }
    QWidget::showEvent(event);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (!m_closing) {
        m_closing = true;
        SaveOptions();
        Q_EMIT closing();
    }
    event->accept();
    hide();
}

void frmMain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized())
        return;
    // Hide to the tray only where a tray icon can bring the window back.
    if (m_menus && m_menus->mnuTrayMinYes->isChecked() && m_menus->trayShown())
        QMetaObject::invokeMethod(this, &QWidget::hide, Qt::QueuedConnection);
}

void frmMain::mnuShow_Click()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void frmMain::disableDeviceCommands()
{
    m_menus->disableDeviceCommands();
    for (QPushButton* button : { m_ui->cmdExtract, m_ui->cmdOpen, m_ui->cmdMakeM3u })
        button->setEnabled(false);
    m_ui->nowPlaying->setRatingEnabled(false);
}

void frmMain::imgPod_Click()
{
    const QWidget* pod = m_ui->imgCaption->podImage();
    m_menus->mnuIcon->popup(mapToGlobal(QPoint(0, pod->mapTo(this, QPoint(0, pod->height())).y())));
}

void frmMain::picPlay_Click()
{
    if (m_ui->lstSong->SelectedCount() > 0)
        Q_EMIT playRequested();
}

void frmMain::cmdOpen_Click()
{
    if (m_ui->lstSong->SelectedCount() > 0)
        Q_EMIT openExternalRequested();
}

} // namespace quaverly::browser
