#include "ui/widgets/Skin.h"

#include <QApplication>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QStyleFactory>

#include <cmath>

namespace quaverly::ui {
namespace {

const QColor kCaptionTop(0x3d, 0x5a, 0x73);
const QColor kCaptionBottom(0x22, 0x34, 0x46);
const QColor kCaptionHighlight(0x5e, 0x7d, 0x97);
const QColor kCaptionShadow(0x16, 0x23, 0x30);
const QColor kBackBase(0xe6, 0xea, 0xee);
const QColor kBackDot(0xd6, 0xdc, 0xe2);
const QColor kGlyph(0xc9, 0xd6, 0xe2);

void paintCaption(QPainter& p, const QRectF& r)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, kCaptionTop);
    g.setColorAt(1.0, kCaptionBottom);
    p.fillRect(r, g);
    p.setPen(QPen(kCaptionHighlight, 1.0));
    p.drawLine(QPointF(r.left(), r.top() + 0.5), QPointF(r.right(), r.top() + 0.5));
    p.setPen(QPen(kCaptionShadow, 1.0));
    p.drawLine(QPointF(r.left(), r.bottom() - 0.5), QPointF(r.right(), r.bottom() - 0.5));
}

void paintBackTile(QPainter& p, const QRectF& r)
{
    p.fillRect(r, kBackBase);
    p.setPen(Qt::NoPen);
    p.setBrush(kBackDot);
    const qreal d = r.width() / Skin::kBackTileSize; // one logical pixel
    p.drawEllipse(QRectF(r.left() + 5 * d, r.top() + 5 * d, 2 * d, 2 * d));
    p.drawEllipse(QRectF(r.left() + 17 * d, r.top() + 17 * d, 2 * d, 2 * d));
}

QRectF centred(const QRectF& r, qreal fraction)
{
    const qreal side = std::min(r.width(), r.height()) * fraction;
    return QRectF(r.center().x() - side / 2, r.center().y() - side / 2, side, side);
}

void paintCaptionButton(QPainter& p, const QRectF& r, bool close, bool hover)
{
    const QRectF box = centred(r, 0.9);
    if (hover) {
        p.setPen(Qt::NoPen);
        p.setBrush(close ? QColor(0xd9, 0x4f, 0x4a) : QColor(0x52, 0x74, 0x94));
        p.drawRoundedRect(box, box.width() * 0.2, box.width() * 0.2);
    }
    const QRectF glyph = centred(r, 0.42);
    p.setPen(QPen(hover ? QColor(Qt::white) : kGlyph, std::max(1.2, r.width() * 0.085), Qt::SolidLine, Qt::RoundCap));
    if (close) {
        p.drawLine(glyph.topLeft(), glyph.bottomRight());
        p.drawLine(glyph.topRight(), glyph.bottomLeft());
    } else {
        const qreal y = glyph.center().y() + glyph.height() * 0.3;
        p.drawLine(QPointF(glyph.left(), y), QPointF(glyph.right(), y));
    }
}

void paintPod(QPainter& p, const QRectF& r)
{
    const qreal h = std::min(r.height(), r.width() * 1.6) * 0.92;
    const qreal w = h * 0.64;
    const QRectF body(r.center().x() - w / 2, r.center().y() - h / 2, w, h);
    QLinearGradient g(body.topLeft(), body.bottomRight());
    g.setColorAt(0.0, QColor(0xfb, 0xfc, 0xfd));
    g.setColorAt(1.0, QColor(0xc3, 0xcc, 0xd5));
    p.setPen(QPen(QColor(0x6f, 0x7d, 0x8a), std::max(0.8, h * 0.03)));
    p.setBrush(g);
    p.drawRoundedRect(body, w * 0.18, w * 0.18);
    const QRectF screen(body.left() + w * 0.14, body.top() + h * 0.09, w * 0.72, h * 0.36);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2a, 0x4d, 0x6e));
    p.drawRoundedRect(screen, w * 0.05, w * 0.05);
    // A quaver on the screen.
    const qreal s = screen.height();
    p.setBrush(QColor(0xe8, 0xf1, 0xf8));
    const QPointF head(screen.center().x() - s * 0.1, screen.bottom() - s * 0.28);
    p.drawEllipse(head, s * 0.14, s * 0.11);
    p.setPen(QPen(QColor(0xe8, 0xf1, 0xf8), std::max(0.6, s * 0.07)));
    const QPointF stemTop(head.x() + s * 0.12, screen.top() + s * 0.2);
    p.drawLine(QPointF(head.x() + s * 0.12, head.y()), stemTop);
    p.drawLine(stemTop, QPointF(stemTop.x() + s * 0.16, stemTop.y() + s * 0.18));
    const qreal wheel = w * 0.58;
    const QPointF wc(body.center().x(), body.top() + h * 0.71);
    p.setPen(QPen(QColor(0x8d, 0x99, 0xa5), std::max(0.6, h * 0.02)));
    p.setBrush(QColor(0xe9, 0xed, 0xf1));
    p.drawEllipse(wc, wheel / 2, wheel / 2);
    p.setBrush(QColor(0xc7, 0xcf, 0xd7));
    p.drawEllipse(wc, wheel / 5, wheel / 5);
}

void paintStar(QPainter& p, const QRectF& r, bool full)
{
    const QRectF box = centred(r, 0.92);
    const QPointF c = box.center();
    const qreal outer = box.width() / 2;
    const qreal inner = outer * 0.45;
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const qreal angle = -M_PI / 2 + i * M_PI / 5;
        const qreal radius = (i % 2 == 0) ? outer : inner;
        const QPointF pt(c.x() + radius * std::cos(angle), c.y() + radius * std::sin(angle) + outer * 0.08);
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    path.closeSubpath();
    p.setPen(QPen(full ? QColor(0xc2, 0x86, 0x00) : QColor(0x8f, 0x9a, 0xa6), std::max(0.8, outer * 0.1), Qt::SolidLine,
                  Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(full ? QColor(0xf6, 0xb7, 0x0f) : QColor(0xf7, 0xf9, 0xfa));
    p.drawPath(path);
}

void paintClearSearch(QPainter& p, const QRectF& r)
{
    const QRectF box = centred(r, 0.8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x9a, 0xa5, 0xb1));
    p.drawEllipse(box);
    const QRectF glyph = centred(r, 0.32);
    p.setPen(QPen(Qt::white, std::max(1.2, r.width() * 0.1), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(glyph.topLeft(), glyph.bottomRight());
    p.drawLine(glyph.topRight(), glyph.bottomLeft());
}

void paintTransport(QPainter& p, const QRectF& r, SkinElement element)
{
    const QRectF box = centred(r, 0.94);
    QLinearGradient g(box.topLeft(), box.bottomLeft());
    g.setColorAt(0.0, kCaptionTop);
    g.setColorAt(1.0, kCaptionBottom);
    p.setPen(QPen(kCaptionShadow, std::max(0.8, box.width() * 0.03)));
    p.setBrush(g);
    p.drawEllipse(box);
    const qreal u = box.width() / 20.0;
    const QPointF c = box.center();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf2, 0xf5, 0xf8));
    auto triangle = [&](qreal x, bool right) {
        const qreal dx = right ? 6 * u : -6 * u;
        p.drawPolygon(QPolygonF({ QPointF(x, c.y() - 5 * u), QPointF(x + dx, c.y()), QPointF(x, c.y() + 5 * u) }));
    };
    switch (element) {
    case SkinElement::Play:
        triangle(c.x() - 2.5 * u, true);
        break;
    case SkinElement::Pause:
        p.drawRect(QRectF(c.x() - 4 * u, c.y() - 5 * u, 3 * u, 10 * u));
        p.drawRect(QRectF(c.x() + 1 * u, c.y() - 5 * u, 3 * u, 10 * u));
        break;
    case SkinElement::Previous:
        p.drawRect(QRectF(c.x() - 6 * u, c.y() - 5 * u, 2 * u, 10 * u));
        triangle(c.x() + 3 * u, false);
        break;
    case SkinElement::Next:
        triangle(c.x() - 3 * u, true);
        p.drawRect(QRectF(c.x() + 4 * u, c.y() - 5 * u, 2 * u, 10 * u));
        break;
    default:
        break;
    }
}

} // namespace

namespace Skin {

QColor captionText()
{
    return { 0xf2, 0xf5, 0xf8 };
}
QColor accent()
{
    return { 0x2f, 0x6f, 0xa8 };
}
QColor listBack()
{
    return { 224, 224, 224 };
}
QColor panelText()
{
    return { 0x22, 0x2d, 0x38 };
}

void paint(QPainter& painter, SkinElement element, const QRectF& rect)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    switch (element) {
    case SkinElement::Caption:
        painter.setRenderHint(QPainter::Antialiasing, false);
        paintCaption(painter, rect);
        break;
    case SkinElement::Back:
        paintBackTile(painter, rect);
        break;
    case SkinElement::Close:
    case SkinElement::CloseHover:
        paintCaptionButton(painter, rect, true, element == SkinElement::CloseHover);
        break;
    case SkinElement::Minimize:
    case SkinElement::MinimizeHover:
        paintCaptionButton(painter, rect, false, element == SkinElement::MinimizeHover);
        break;
    case SkinElement::Pod:
        paintPod(painter, rect);
        break;
    case SkinElement::StarFull:
    case SkinElement::StarEmpty:
        paintStar(painter, rect, element == SkinElement::StarFull);
        break;
    case SkinElement::ClearSearch:
        paintClearSearch(painter, rect);
        break;
    case SkinElement::Play:
    case SkinElement::Pause:
    case SkinElement::Previous:
    case SkinElement::Next:
        paintTransport(painter, rect, element);
        break;
    }
    painter.restore();
}

QPixmap pixmap(SkinElement element, QSize size, qreal devicePixelRatio)
{
    QPixmap result(size * devicePixelRatio);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    paint(painter, element, QRectF(QPointF(0, 0), QSizeF(size)));
    return result;
}

void PaintBack(QPainter& painter, const QRect& area)
{
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QPixmap tile = pixmap(SkinElement::Back, QSize(kBackTileSize, kBackTileSize), dpr);
    painter.drawTiledPixmap(area, tile);
}

QIcon appIcon()
{
    QIcon icon;
    for (int side : { 16, 22, 24, 32, 48, 64, 128, 256 })
        icon.addPixmap(pixmap(SkinElement::Pod, QSize(side, side), 1.0));
    return icon;
}

void applyApplicationLook()
{
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, kBackBase);
    palette.setColor(QPalette::WindowText, panelText());
    palette.setColor(QPalette::Highlight, accent());
    palette.setColor(QPalette::HighlightedText, Qt::white);
    QApplication::setPalette(palette);
    QApplication::setWindowIcon(appIcon());
}

} // namespace Skin

SkinImage::SkinImage(SkinElement element, QSize size, QWidget* parent)
    : QWidget(parent)
    , m_element(element)
    , m_size(size)
{
    setFixedSize(size);
    setCursor(Qt::PointingHandCursor);
}

void SkinImage::setElement(SkinElement element)
{
    if (element == m_element)
        return;
    m_element = element;
    update();
}

void SkinImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Skin::paint(painter, m_element, QRectF(rect()));
}

void SkinImage::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT pressed();
    event->accept();
}

void SkinImage::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    event->accept();
}

void SkinImage::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT doubleClicked();
    event->accept();
}

} // namespace quaverly::ui
