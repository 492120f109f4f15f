// The controls of the extraction window and their places.
#include "export/ui/frmExtract.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

namespace quaverly::exporting {

namespace {

template <typename T> T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

void frmExtract::buildControls()
{
    QWidget* b = body();
    Label2 = named(new QLabel(QStringLiteral("Directory to extract to:"), b), "Label2");
    txtDir = named(new QLineEdit(QStringLiteral("APP PATH"), b), "txtDir");
    cmdBrowse = named(new QPushButton(QStringLiteral("Browse"), b), "cmdBrowse");
    Label1 = named(new QLabel(QStringLiteral("Format to extract to:"), b), "Label1");
    txtFormat = named(new QLineEdit(b), "txtFormat");
    lblPreview = named(new QLabel(b), "lblPreview");
    lblPreview->setTextFormat(Qt::PlainText);
    lblPreview->setWordWrap(true);
    chkTags = named(new QCheckBox(QStringLiteral("Write the song details into the copies (title, artist, album, "
                                                 "year, rating ...)"),
                                  b),
                    "chkTags");
    chkCovers = named(new QCheckBox(QStringLiteral("Save each album's cover in its folder (cover.jpg)"), b),
                      "chkCovers");
    lblFormatInfo = named(new QLabel(QStringLiteral("This is the format of the filename. Putting an item in square "
                                                    "brackets ensures replacing by the actual song "
                                                    "genre information. Note: \\ means a new directory is made. So "
                                                    "[GENRE]\\[TITLE] will make new folders for "
                                                    "each genre etc. Click the Help On Format for more information."),
                                     b),
                          "lblFormatInfo");
    lblFormatInfo->setWordWrap(true);
    cmdHelp = named(new QPushButton(QStringLiteral("Help On Format"), b), "cmdHelp");
    lblSongs = named(new QLabel(QStringLiteral("These songs will be extracted:"), b), "lblSongs");
    lstSongs = named(new QListWidget(b), "lstSongs");
    lstSongs->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstSongs->setUniformItemSizes(true);
    cmdRemovePlayer = named(new QPushButton(QStringLiteral("Remove"), b), "cmdRemovePlayer");
    cmdExtract = named(new QPushButton(QStringLiteral("&Extract!"), b), "cmdExtract");
    cmdExtract->setDefault(true);
    cmdClose = named(new QPushButton(QStringLiteral("&Cancel"), b), "cmdClose");

    fraExtract = named(new QGroupBox(QStringLiteral("Extracting"), b), "fraExtract");
    Label3 = named(new QLabel(QStringLiteral("Please wait, extracting songs from your iPod..."), fraExtract), "Label3");
    shpProgress = named(new QProgressBar(fraExtract), "shpProgress");
    shpProgress->setRange(0, kProgressSteps);
    shpProgress->setTextVisible(false);
    lblCurrent = named(new QLabel(fraExtract), "lblCurrent");
    lblCurrent->setTextFormat(Qt::PlainText);
    lblProgress = named(new QLabel(fraExtract), "lblProgress");
    cmdStop = named(new QPushButton(QStringLiteral("Cancel"), fraExtract), "cmdStop");
    auto* panel = new QGridLayout(fraExtract);
    panel->addWidget(Label3, 0, 0, 1, 2);
    panel->addWidget(shpProgress, 1, 0, 1, 2);
    panel->addWidget(lblCurrent, 2, 0, 1, 2);
    panel->addWidget(lblProgress, 3, 0);
    panel->addWidget(cmdStop, 3, 1);
    fraExtract->hide();

    auto* layout = new QGridLayout(b);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->addWidget(Label2, 0, 0, 1, 2);
    layout->addWidget(txtDir, 1, 0);
    layout->addWidget(cmdBrowse, 1, 1);
    layout->addWidget(Label1, 2, 0, 1, 2);
    layout->addWidget(txtFormat, 3, 0);
    layout->addWidget(cmdHelp, 3, 1);
    layout->addWidget(lblPreview, 4, 0, 1, 2);
    layout->addWidget(lblFormatInfo, 5, 0, 1, 2);
    layout->addWidget(chkTags, 6, 0, 1, 2);
    layout->addWidget(chkCovers, 7, 0, 1, 2);
    layout->addWidget(lblSongs, 8, 0, 1, 2);
    layout->addWidget(lstSongs, 9, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdRemovePlayer);
    buttons->addStretch(1);
    buttons->addWidget(cmdExtract);
    buttons->addWidget(cmdClose);
    layout->addLayout(buttons, 10, 0, 1, 2);
    layout->addWidget(fraExtract, 11, 0, 1, 2);
    layout->setRowStretch(9, 1);
    resize(560, 640);
}

} // namespace quaverly::exporting
