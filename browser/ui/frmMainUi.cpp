#include "browser/ui/frmMainUi.h"

#include "browser/ui/BrowserListBox.h"
#include "ui/widgets/NamedWidgets.h"
#include "ui/widgets/NowPlayingView.h"
#include "ui/widgets/Skin.h"
#include "ui/widgets/WindowChrome.h"
#include "ui/widgets/ucListView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSizeGrip>
#include <QSplitter>
#include <QVBoxLayout>

namespace quaverly::browser {
namespace {

using ui::label;
using ui::named;

QFont listFont()
{
    QFont font;
    font.setFamilies({ QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans") });
    font.setPointSizeF(9);
    return font;
}

// Styling of the whole window, kept in one place.
const char* const kStyleSheet = R"(
QWidget#menuStrip { background: #dde3e9; border-bottom: 1px solid #b7c2cd; }
QGroupBox#fraNow { border: 1px solid #b5c0cb; border-radius: 6px; margin-top: 11px;
                   background: rgba(255, 255, 255, 150); }
QGroupBox#fraNow::title { subcontrol-origin: margin; left: 10px; padding: 0 4px; color: #2f6fa8; font-weight: bold; }
QLabel#lblTitle { font-size: 13pt; font-weight: bold; color: #1f2d3a; }
QLabel#lblArtist { font-size: 10pt; color: #2c3e50; }
QLabel#lblSourceTop, QLabel#lblgenretop, QLabel#lblartisttop, QLabel#lblalbumtop, QLabel#lblSearch {
    font-weight: bold; color: #33495e; }
QListView, QTableView { background: rgb(224, 224, 224); border: 1px solid #a9b4bf;
    selection-background-color: #2f6fa8; selection-color: white; }
QTableView { gridline-color: #c6ccd2; }
QHeaderView::section { background: #e9edf1; border: none; border-right: 1px solid #c6ccd2;
    border-bottom: 1px solid #a9b4bf; padding: 3px 6px; color: #22303c; }
QLineEdit#txtSearch { border: 1px solid #a9b4bf; border-radius: 4px; padding: 2px 6px; background: white; }
QLabel#lblSongCount { color: #5a6b7b; }
QWidget#PicSpectrum { background: black; border: 1px solid #22303c; }
)";

} // namespace

void frmMainUi::setupUi(QWidget* window)
{
    window->setStyleSheet(QLatin1String(kStyleSheet));
    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(1, 1, 1, 1);
    outer->setSpacing(0);
    imgCaption = new ui::CaptionBar(QStringLiteral("Quaverly - Play Music From iPod Anywhere!"), true, window);
    outer->addWidget(imgCaption);
    outer->addWidget(buildMenuStrip(window));

    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 8, 8, 2);
    body->setSpacing(8);
    nowPlaying = new ui::NowPlayingView(window);
    body->addWidget(nowPlaying);

    splitter = named(new QSplitter(Qt::Vertical, window), "splitter");
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(buildBrowser(window));
    splitter->addWidget(buildSongArea(window));
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    body->addWidget(splitter, 1);

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 0, 0, 0);
    lblSongCount = label(QString(), "lblSongCount", window);
    bottom->addWidget(lblSongCount, 1);
    bottom->addWidget(new QSizeGrip(window), 0, Qt::AlignBottom | Qt::AlignRight);
    body->addLayout(bottom);
    outer->addLayout(body, 1);
}

QWidget* frmMainUi::buildMenuStrip(QWidget* window)
{
    auto* strip = named(new QWidget(window), "menuStrip");
    strip->setAttribute(Qt::WA_StyledBackground, true);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(6, 1, 6, 1);
    row->setSpacing(2);
    const auto add = [&](const char* name, const QString& text) {
        auto* l = named(new ui::MenuBarLabel(text, strip), name);
        l->setTextFormat(Qt::RichText); // shows the access key underlined
        QString shown = text;
        const qsizetype amp = shown.indexOf(QLatin1Char('&'));
        if (amp >= 0 && amp + 1 < shown.size())
            shown = shown.left(amp) + QStringLiteral("<u>") + shown.mid(amp + 1, 1) + QStringLiteral("</u>")
                + shown.mid(amp + 2);
        l->setText(shown);
        l->setAccessibleName(text);
        row->addWidget(l);
        return l;
    };
    mnuFIle = add("mnuFIle", QStringLiteral("&File"));
    mnuOptions = add("mnuOptions", QStringLiteral("&Options"));
    mnuExtras = add("mnuExtras", QStringLiteral("&Extras"));
    mnuHelp = add("mnuHelp", QStringLiteral("&Help"));
    row->addStretch(1);
    return strip;
}

QWidget* frmMainUi::buildBrowser(QWidget* window)
{
    auto* area = named(new QWidget(window), "fraBrowser");
    browserRow = new QHBoxLayout(area);
    browserRow->setContentsMargins(0, 0, 0, 4);
    browserRow->setSpacing(8);
    const auto add = [&](QLabel*& caption, BrowserListBox*& list, const char* captionName, const char* listName,
                         const QString& text, bool multi) {
        auto* column = new QVBoxLayout;
        column->setSpacing(3);
        caption = label(text, captionName, area);
        list = named(new BrowserListBox(multi, area), listName);
        list->setFont(listFont());
        list->setMinimumHeight(90);
        column->addWidget(caption);
        column->addWidget(list, 1);
        browserRow->addLayout(column, 2);
    };
    add(lblSourceTop, lstSource, "lblSourceTop", "lstSource", QStringLiteral("Source:"), false);
    add(lblgenretop, lstGenre, "lblgenretop", "lstGenre", QStringLiteral("Genre:"), true);
    add(lblartisttop, lstArtist, "lblartisttop", "lstArtist", QStringLiteral("Artist:"), true);
    add(lblalbumtop, lstAlbum, "lblalbumtop", "lstAlbum", QStringLiteral("Album:"), true);
    return area;
}

QWidget* frmMainUi::buildSongArea(QWidget* window)
{
    auto* area = named(new QWidget(window), "fraSongs");
    auto* column = new QVBoxLayout(area);
    column->setContentsMargins(0, 4, 0, 0);
    column->setSpacing(6);
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(label(QStringLiteral("Search:"), "lblSearch", area));
    txtSearch = named(new QLineEdit(area), "txtSearch");
    txtSearch->setPlaceholderText(QStringLiteral("Title, artist, album, genre..."));
    txtSearch->setMinimumWidth(140);
    txtSearch->setMaximumWidth(320);
    imgClearSearch = named(new ui::SkinImage(ui::SkinElement::ClearSearch, QSize(18, 18), area), "imgClearSearch");
    imgClearSearch->setToolTip(QStringLiteral("Clear the search"));
    row->addWidget(txtSearch, 1);
    row->addWidget(imgClearSearch);
    cmdJump = named(new QPushButton(QStringLiteral("Jump to Playing"), area), "cmdJump");
    row->addWidget(cmdJump);
    row->addStretch(1);
    cmdDefault = named(new QPushButton(QStringLiteral("Open In Quaverly"), area), "cmdDefault");
    cmdOpen = named(new QPushButton(QStringLiteral("Open In External Player"), area), "cmdOpen");
    cmdMakeM3u = named(new QPushButton(QStringLiteral("Open as Playlist in Externally"), area), "cmdMakeM3u");
    cmdExtract = named(new QPushButton(QStringLiteral("Extract Songs"), area), "cmdExtract");
    for (QPushButton* b : { cmdDefault, cmdOpen, cmdMakeM3u, cmdExtract }) {
        b->setAutoDefault(false);
        row->addWidget(b);
    }
    column->addLayout(row);
    lstSong = named(new ui::ucListView(area), "lstSong");
    lstSong->setFont(listFont());
    column->addWidget(lstSong, 1);
    return area;
}

} // namespace quaverly::browser
