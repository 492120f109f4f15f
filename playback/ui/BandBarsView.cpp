#include "playback/ui/BandBarsView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace quaverly::playback {

namespace {
constexpr double kFallPerFrame = 0.06; // of the full height
}

QColor colorFromValue(qint64 value)
{
    const auto v = static_cast<quint32>(value & 0xFFFFFF);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

qint64 valueFromColor(const QColor& colour)
{
    return qint64(colour.red()) | (qint64(colour.green()) << 8) | (qint64(colour.blue()) << 16);
}

BandBarsView::BandBarsView(QWidget* parent)
    : QWidget(parent)
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("spectrumView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_timer->setInterval(kFrameMs);
    m_timer->setTimerType(Qt::CoarseTimer);
    connect(m_timer, &QTimer::timeout, this, &BandBarsView::step);
}

void BandBarsView::setColour(const QColor& colour)
{
    m_colour = colour;
    update();
}

void BandBarsView::setActive(bool active)
{
    m_active = active;
    updateTimer();
}

void BandBarsView::setPlaying(bool playing)
{
    m_playing = playing;
    if (!playing)
        m_targets.clear();
    updateTimer();
}

void BandBarsView::setLevels(const QList<double>& levelsDb)
{
    m_targets.clear();
    for (const double db : levelsDb)
        m_targets.push_back(std::clamp((db - kFloorDb) / -kFloorDb, 0.0, 1.0));
    if (m_bars.size() != m_targets.size() && !m_targets.empty())
        m_bars.assign(m_targets.size(), 0.0);
}

bool BandBarsView::animating() const
{
    return m_timer->isActive();
}

void BandBarsView::updateTimer()
{
    const bool run = m_active && isVisible() && (m_playing || !m_bars.empty());
    if (run && !m_timer->isActive())
        m_timer->start();
    else if (!run)
        m_timer->stop();
}

void BandBarsView::step()
{
    if (window()->isMinimized())
        return;
    bool changed = false;
    for (size_t i = 0; i < m_bars.size(); ++i) {
        const double target = i < m_targets.size() ? m_targets[i] : 0.0;
        const double next = target >= m_bars[i] ? target : std::max(target, m_bars[i] - kFallPerFrame);
        changed = changed || next != m_bars[i];
        m_bars[i] = next;
    }
    if (changed)
        update();
    if (!m_playing && std::all_of(m_bars.begin(), m_bars.end(), [](double b) { return b <= 0.0; })) {
        m_bars.clear();
        updateTimer();
        update();
    }
}

void BandBarsView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (m_bars.empty())
        return;
    const int count = static_cast<int>(m_bars.size());
    const double slot = double(width()) / count;
    const int gap = slot > 6 ? 2 : 1;
    for (int i = 0; i < count; ++i) {
        const int barHeight = qRound(m_bars[size_t(i)] * height());
        if (barHeight <= 0)
            continue;
        const int left = qRound(i * slot);
        const int right = qRound((i + 1) * slot) - gap;
        painter.fillRect(QRect(left, height() - barHeight, qMax(1, right - left), barHeight), m_colour);
    }
}

void BandBarsView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton)
        Q_EMIT colourRequested();
    QWidget::mouseReleaseEvent(event);
}

void BandBarsView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    updateTimer();
}

void BandBarsView::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    updateTimer();
}

} // namespace quaverly::playback
