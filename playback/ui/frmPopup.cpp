#include "playback/ui/frmPopup.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace quaverly::playback {

namespace {
constexpr int kSlideMs = 350;
}

frmPopup::frmPopup(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("frmPopup"));
    setWindowTitle(QStringLiteral("Quaverly New Track"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::NoFocus);
    auto* frame = new QGroupBox(QStringLiteral("Quaverly"), this);
    lblNowPlaying = new QLabel(QStringLiteral("SongName here by ARTISTHERE has started playing"), frame);
    lblNowPlaying->setObjectName(QStringLiteral("lblNowPlaying"));
    lblNowPlaying->setFont(QFont(QStringLiteral("Verdana"), 9));
    lblNowPlaying->setWordWrap(true);
    auto* inner = new QVBoxLayout(frame);
    inner->addWidget(lblNowPlaying);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->addWidget(frame);
    setFixedSize(300, 84);
    QTimer::singleShot(kShowMs, this, &frmPopup::Timer1_Timer);
}

QString frmPopup::text() const
{
    return lblNowPlaying->text();
}

QRect frmPopup::screenArea() const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void frmPopup::ShowPopup(const QString& artist, const QString& title)
{
    lblNowPlaying->setText(title + QStringLiteral(" - ") + artist);
    if (m_leaving)
        return; // already on its way out; the text still changes
    const QRect area = screenArea();
    move(area.right() + 1 - width(), area.bottom() + 1);
    show(); // without activation: the focus stays where it is
    slide(area.bottom() + 1, area.bottom() + 1 - kBottomMarginPx - height(), false);
}

void frmPopup::slide(int fromY, int toY, bool closeAtEnd)
{
    if (m_slide)
        m_slide->stop();
    auto* animation = new QPropertyAnimation(this, "pos", this);
    animation->setDuration(kSlideMs);
    animation->setStartValue(QPoint(x(), fromY));
    animation->setEndValue(QPoint(x(), toY));
    if (closeAtEnd)
        connect(animation, &QPropertyAnimation::finished, this, &QWidget::close);
    m_slide = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void frmPopup::Timer1_Timer()
{
    m_leaving = true;
    slide(y(), screenArea().bottom() + 1, true);
}

} // namespace quaverly::playback
