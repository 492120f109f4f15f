#include "media/ui/CoverView.h"

#include <QPainter>

namespace quaverly::media {

CoverView::CoverView(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setMinimumSize(48, 48);
}

void CoverView::setCover(const QImage& image)
{
    if (image.isNull() && m_image.isNull())
        return;
    m_image = image;
    setToolTip(m_image.isNull() ? QStringLiteral("No cover") : QString());
    update();
}

void CoverView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF area = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (!m_image.isNull()) {
        const QSizeF fitted = QSizeF(m_image.size()).scaled(area.size(), Qt::KeepAspectRatio);
        QRectF target(QPointF(0, 0), fitted);
        target.moveCenter(area.center());
        painter.drawImage(target, m_image);
        painter.setPen(QColor(0x8a, 0x96, 0xa3));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(target);
        return;
    }
    const qreal side = std::min(area.width(), area.height());
    QRectF square(0, 0, side, side);
    square.moveCenter(area.center());
    painter.setPen(QColor(0xb5, 0xc0, 0xcb));
    painter.setBrush(QColor(0xdf, 0xe4, 0xe9));
    painter.drawRoundedRect(square, 6, 6);
    QFont font = painter.font();
    font.setPixelSize(std::max(8, int(side * 0.45)));
    painter.setFont(font);
    painter.setPen(QColor(0x9a, 0xa7, 0xb4));
    painter.drawText(square, Qt::AlignCenter, QString(QChar(0x266A))); // a quaver
}

} // namespace quaverly::media
