#include "ui/widgets/NowPlayingView.h"

#include "ui/widgets/NamedWidgets.h"
#include "ui/widgets/Skin.h"
#include "ui/widgets/WindowChrome.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QTextLayout>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace quaverly::ui {
namespace {

/// The height of one line of `font` for any title: the tallest of the fonts
/// a line may fall back to (Chinese, Japanese, Korean, emoji), so that a
/// label keeps its height whatever song it shows.
int lineHeight(const QFont& font)
{
    QTextLayout layout(QStringLiteral("Ag\u00C5\u6B4C\uB178\u3042\U0001F3B5"), font);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    return std::max(QFontMetrics(font).height(), static_cast<int>(std::ceil(line.height())));
}

const QString kCaption = QStringLiteral("Playing from ");

} // namespace

NowPlayingView::NowPlayingView(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("nowPlaying"));
    m_row = new QHBoxLayout(this);
    m_row->setContentsMargins(0, 0, 0, 0);
    m_row->setSpacing(10);
    m_row->addWidget(buildFrame(), 1);
    m_row->addWidget(buildControls());

    connect(picPlay, &SkinImage::clicked, this, &NowPlayingView::playClicked);
    connect(picPause, &SkinImage::clicked, this, &NowPlayingView::pauseClicked);
    connect(picNext, &SkinImage::clicked, this, &NowPlayingView::nextClicked);
    connect(picPrev, &SkinImage::clicked, this, &NowPlayingView::previousClicked);
    connect(PicPosition, &BarControl::dragged, this, &NowPlayingView::seekRequested);
    connect(picVolume, &BarControl::dragged, this, &NowPlayingView::volumeRequested);
    for (int i = 0; i < Ratings.size(); ++i)
        connect(Ratings.at(i), &SkinImage::clicked, this, [this, i] { Q_EMIT rateRequested(i + 1); });
    // The choices of a repeat only count while "Repeat" is ticked; they are
    // enabled before anyone hears of the tick, so that a choice can follow it.
    connect(chkRepeat, &QCheckBox::toggled, this, [this](bool on) {
        optRptOne->setEnabled(on);
        optRptAll->setEnabled(on);
        Q_EMIT repeatToggled(on);
    });
    connect(optRptOne, &QRadioButton::clicked, this, [this] { Q_EMIT repeatTypeChosen(true); });
    connect(optRptAll, &QRadioButton::clicked, this, [this] { Q_EMIT repeatTypeChosen(false); });
    connect(chkShuffle, &QCheckBox::toggled, this, &NowPlayingView::shuffleToggled);
    chkShuffle->installEventFilter(this);
}

bool NowPlayingView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == chkShuffle && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Shift)
        Q_EMIT shuffleReseedRequested();
    return QWidget::eventFilter(watched, event);
}

QWidget* NowPlayingView::buildFrame()
{
    fraNow = named(new QGroupBox(kCaption, this), "fraNow");
    m_grid = new QGridLayout(fraNow);
    m_grid->setContentsMargins(12, 14, 12, 10);
    m_grid->setHorizontalSpacing(12);
    m_grid->setVerticalSpacing(3);
    lblTitle = label(QString(), "lblTitle", fraNow);
    lblArtist = label(QString(), "lblArtist", fraNow);
    lblAlbum = label(QString(), "lblAlbum", fraNow);
    lblGenre = label(QString(), "lblGenre", fraNow);
    lblTime = label(QString(), "lblTime", fraNow);
    lblElapsed = label(QStringLiteral("0:00"), "lblElapsed", fraNow);
    lblRemaining = label(QStringLiteral("0:00"), "lblRemaining", fraNow);
    for (QLabel* l : { lblTitle, lblArtist, lblAlbum, lblGenre })
        l->setMinimumWidth(50);
    // Fixed heights: the frame, and the lists under it, must not move when a
    // song with a taller script or an emoji in its title starts. The style
    // sheet of the window that holds the view sets the title's and artist's fonts.
    for (QLabel* l : { lblTitle, lblArtist, lblAlbum, lblGenre, lblTime, lblElapsed, lblRemaining }) {
        l->ensurePolished();
        l->setFixedHeight(lineHeight(l->font()));
    }
    m_grid->addWidget(lblTitle, 0, 0, 1, 3);
    m_grid->addWidget(lblArtist, 1, 0, 1, 2);
    m_grid->addWidget(lblAlbum, 2, 0, 1, 2);
    m_grid->addWidget(lblGenre, 3, 0);
    m_grid->addWidget(lblTime, 3, 1);

    auto* stars = new QHBoxLayout;
    stars->setSpacing(1);
    for (int i = 0; i < 5; ++i) {
        auto* star = new SkinImage(SkinElement::StarEmpty, QSize(18, 18), fraNow);
        star->setObjectName(QStringLiteral("Ratings%1").arg(i));
        stars->addWidget(star);
        Ratings.append(star);
    }
    m_grid->addLayout(stars, 1, 2, Qt::AlignRight);

    auto* position = new QHBoxLayout;
    PicPosition = named(new BarControl(fraNow), "PicPosition");
    PicPosition->setFixedHeight(10);
    position->addWidget(lblElapsed);
    position->addWidget(PicPosition, 1);
    position->addWidget(lblRemaining);
    m_grid->addLayout(position, 4, 0, 1, 3);
    m_grid->setColumnStretch(0, 3);
    m_grid->setColumnStretch(1, 2);

    lblStatus = label(QString(), "lblStatus", fraNow);
    lblStatus->setStyleSheet(QStringLiteral("color: #a02020;"));
    // Its line is kept while it is empty, so the frame does not grow when it shows.
    QSizePolicy keepRoom = lblStatus->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    lblStatus->setSizePolicy(keepRoom);
    lblStatus->setFixedHeight(lblGenre->minimumHeight());
    lblStatus->hide();
    m_grid->addWidget(lblStatus, 5, 0, 1, 3);
    return fraNow;
}

QWidget* NowPlayingView::buildControls()
{
    auto* panel = named(new QWidget(this), "fraControls");
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 10, 0, 0);
    column->setSpacing(8);
    auto* transport = new QHBoxLayout;
    transport->setSpacing(6);
    const QSize big(38, 38), small(30, 30);
    picPrev = named(new SkinImage(SkinElement::Previous, small, panel), "picPrev");
    picPlay = named(new SkinImage(SkinElement::Play, big, panel), "picPlay");
    picPause = named(new SkinImage(SkinElement::Pause, big, panel), "picPause");
    picNext = named(new SkinImage(SkinElement::Next, small, panel), "picNext");
    picPause->hide();
    transport->addStretch(1);
    for (QWidget* w : { static_cast<QWidget*>(picPrev), static_cast<QWidget*>(picPlay), static_cast<QWidget*>(picPause),
                        static_cast<QWidget*>(picNext) })
        transport->addWidget(w, 0, Qt::AlignVCenter);
    transport->addStretch(1);
    column->addLayout(transport);

    auto* spectrumPlace = new QHBoxLayout;
    auto* volumeLabel = label(QStringLiteral("Volume"), "lblVolume", panel);
    picVolume = named(new BarControl(panel), "picVolume");
    picVolume->setFixedHeight(10);
    picVolume->setFraction(0.75);
    PicSpectrum = named(new QWidget(panel), "PicSpectrum");
    PicSpectrum->setAttribute(Qt::WA_StyledBackground, true);
    PicSpectrum->setFixedHeight(28);
    PicSpectrum->hide();
    spectrumPlace->addWidget(volumeLabel);
    spectrumPlace->addWidget(picVolume, 1);
    spectrumPlace->addWidget(PicSpectrum, 1);
    column->addLayout(spectrumPlace);

    auto* order = new QHBoxLayout;
    chkRepeat = named(new QCheckBox(QStringLiteral("Repeat"), panel), "chkRepeat");
    optRptOne = named(new QRadioButton(QStringLiteral("Rpt One"), panel), "optRptOne");
    optRptAll = named(new QRadioButton(QStringLiteral("Rpt All"), panel), "optRptAll");
    chkShuffle = named(new QCheckBox(QStringLiteral("Shuffle"), panel), "chkShuffle");
    optRptAll->setChecked(true);
    optRptOne->setEnabled(false);
    optRptAll->setEnabled(false);
    for (QWidget* w : { static_cast<QWidget*>(chkRepeat), static_cast<QWidget*>(optRptOne),
                        static_cast<QWidget*>(optRptAll), static_cast<QWidget*>(chkShuffle) })
        order->addWidget(w);
    column->addLayout(order);
    column->addStretch(1);
    panel->setFixedWidth(300);
    return panel;
}

void NowPlayingView::setSource(const QString& ipodName)
{
    fraNow->setTitle(kCaption + ipodName);
}

void NowPlayingView::setSong(const QString& title, const QString& artist, const QString& album, const QString& genre,
                             const QString& lengthText, const QString& tag)
{
    lblTitle->setProperty("tag", tag);
    lblTitle->setText(title);
    lblArtist->setText(artist);
    lblAlbum->setText(album);
    lblGenre->setText(genre);
    lblTime->setText(QStringLiteral("Length: ") + lengthText);
}

void NowPlayingView::setPosition(double fraction, const QString& elapsed, const QString& remaining)
{
    PicPosition->setFraction(fraction);
    lblElapsed->setText(elapsed);
    lblRemaining->setText(remaining);
}

void NowPlayingView::setPositionFraction(double fraction)
{
    PicPosition->setFraction(fraction);
}

void NowPlayingView::setState(bool playing)
{
    picPlay->setVisible(!playing);
    picPause->setVisible(playing);
}

void NowPlayingView::setRating(int stars)
{
    for (int i = 0; i < Ratings.size(); ++i)
        Ratings.at(i)->setElement(i < stars ? SkinElement::StarFull : SkinElement::StarEmpty);
}

void NowPlayingView::setRatingEnabled(bool enabled)
{
    for (SkinImage* star : std::as_const(Ratings))
        star->setEnabled(enabled);
}

void NowPlayingView::setStatus(const QString& text)
{
    lblStatus->setText(text);
    lblStatus->setVisible(!text.isEmpty());
}

QString NowPlayingView::status() const
{
    return lblStatus->text();
}

void NowPlayingView::setVolume(double fraction)
{
    picVolume->setFraction(fraction);
}

double NowPlayingView::volume() const
{
    return picVolume->fraction();
}

void NowPlayingView::setPlayOrder(const PlayOrder& order)
{
    const QSignalBlocker blockRepeat(chkRepeat);
    const QSignalBlocker blockShuffle(chkShuffle);
    chkRepeat->setChecked(order.repeat);
    chkShuffle->setChecked(order.shuffle);
    (order.repeatOne ? optRptOne : optRptAll)->setChecked(true);
    optRptOne->setEnabled(order.repeat);
    optRptAll->setEnabled(order.repeat);
}

PlayOrder NowPlayingView::playOrder() const
{
    return { chkRepeat->isChecked(), optRptOne->isChecked(), chkShuffle->isChecked() };
}

void NowPlayingView::chooseRepeat(bool on, bool one)
{
    chkRepeat->setChecked(on);
    QRadioButton* choice = one ? optRptOne : optRptAll;
    if (on && !choice->isChecked())
        choice->click();
}

void NowPlayingView::chooseShuffle(bool on)
{
    chkShuffle->setChecked(on);
}

void NowPlayingView::setSpectrumView(QWidget* spectrum)
{
    auto* place = new QGridLayout(PicSpectrum);
    place->setContentsMargins(1, 1, 1, 1);
    place->addWidget(spectrum);
}

void NowPlayingView::setSpectrumShown(bool shown)
{
    picVolume->setVisible(!shown);
    PicSpectrum->setVisible(shown);
}

void NowPlayingView::setSpectrumColourValue(int value)
{
    PicSpectrum->setProperty("tag", QString::number(value));
}

void NowPlayingView::setCoverView(QWidget* cover)
{
    m_row->insertWidget(0, cover, 0, Qt::AlignVCenter);
}

void NowPlayingView::setVideoView(QWidget* video)
{
    m_grid->addWidget(video, 0, m_grid->columnCount(), 5, 1);
}

void NowPlayingView::fixHeight()
{
    // As tall as its tallest content, shown or not (the status line, or a
    // video that shows while a song plays), so that it never changes height.
    const int around = fraNow->sizeHint().height() - m_grid->sizeHint().height();
    const QMargins margins = m_grid->contentsMargins();
    int height = fraNow->sizeHint().height();
    for (QWidget* child : fraNow->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isHidden() && !child->sizePolicy().retainSizeWhenHidden())
            height = std::max(height,
                              around + margins.top() + margins.bottom()
                                  + std::max(child->sizeHint().height(), child->minimumHeight()));
    }
    fraNow->setFixedHeight(height);
}

} // namespace quaverly::ui
