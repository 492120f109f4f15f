#include "ui/widgets/WindowChrome.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

namespace quaverly::ui {

WindowDragger::WindowDragger(QObject* parent)
    : QObject(parent)
{
}

void WindowDragger::addHandle(QWidget* handle)
{
    handle->installEventFilter(this);
}

bool WindowDragger::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        m_window = static_cast<QWidget*>(watched)->window();
        m_offset = mouse->globalPosition().toPoint() - m_window->frameGeometry().topLeft();
        QWindow* handle = m_window->windowHandle();
        m_dragging = !(handle && handle->startSystemMove());
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_dragging && m_window && (mouse->buttons() & Qt::LeftButton)) {
            m_window->move(mouse->globalPosition().toPoint() - m_offset);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

FrameResizer::FrameResizer(QWidget* window, int margin)
    : QObject(window)
    , m_window(window)
    , m_margin(margin)
{
    window->setMouseTracking(true);
    window->installEventFilter(this);
    // Children inherit the window's cursor: when the mouse moves from an edge
    // straight into a child, the window hears nothing, so children's entries
    // are watched too.
    QCoreApplication::instance()->installEventFilter(this);
}

Qt::Edges FrameResizer::edgesAt(QPoint pos) const
{
    Qt::Edges edges;
    const QRect r = m_window->rect();
    if (!r.contains(pos))
        return edges;
    if (pos.x() < m_margin)
        edges |= Qt::LeftEdge;
    if (pos.x() >= r.width() - m_margin)
        edges |= Qt::RightEdge;
    if (pos.y() < m_margin)
        edges |= Qt::TopEdge;
    if (pos.y() >= r.height() - m_margin)
        edges |= Qt::BottomEdge;
    return edges;
}

static Qt::CursorShape cursorFor(Qt::Edges edges)
{
    const bool left = edges & Qt::LeftEdge, right = edges & Qt::RightEdge;
    const bool top = edges & Qt::TopEdge, bottom = edges & Qt::BottomEdge;
    if ((left && top) || (right && bottom))
        return Qt::SizeFDiagCursor;
    if ((right && top) || (left && bottom))
        return Qt::SizeBDiagCursor;
    if (left || right)
        return Qt::SizeHorCursor;
    if (top || bottom)
        return Qt::SizeVerCursor;
    return Qt::ArrowCursor;
}

bool FrameResizer::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Enter && watched != m_window && watched->isWidgetType()
        && static_cast<QWidget*>(watched)->window() == m_window) {
        m_window->unsetCursor();
        return false;
    }
    if (watched != m_window || m_window->isMaximized())
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::MouseMove) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_edges && (mouse->buttons() & Qt::LeftButton)) {
            resizeBy(mouse->globalPosition().toPoint());
            return true;
        }
        m_window->setCursor(cursorFor(edgesAt(mouse->position().toPoint())));
    } else if (event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const Qt::Edges edges = edgesAt(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && edges) {
            QWindow* handle = m_window->windowHandle();
            if (handle && handle->startSystemResize(edges))
                return true;
            m_edges = edges; // the window system cannot: resize by hand
            m_startGeometry = m_window->geometry();
            m_startPos = mouse->globalPosition().toPoint();
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        m_edges = {};
    } else if (event->type() == QEvent::Leave) {
        m_window->unsetCursor();
    }
    return QObject::eventFilter(watched, event);
}

void FrameResizer::resizeBy(QPoint globalPos)
{
    const QPoint delta = globalPos - m_startPos;
    QRect g = m_startGeometry;
    const QSize minimum = m_window->minimumSize();
    if (m_edges & Qt::LeftEdge)
        g.setLeft(std::min(g.left() + delta.x(), g.right() - minimum.width()));
    if (m_edges & Qt::RightEdge)
        g.setRight(std::max(g.right() + delta.x(), g.left() + minimum.width()));
    if (m_edges & Qt::TopEdge)
        g.setTop(std::min(g.top() + delta.y(), g.bottom() - minimum.height()));
    if (m_edges & Qt::BottomEdge)
        g.setBottom(std::max(g.bottom() + delta.y(), g.top() + minimum.height()));
    m_window->setGeometry(g);
}

HoverButton::HoverButton(SkinElement normal, SkinElement hover, QSize size, const QString& name, QWidget* parent)
    : QWidget(parent)
    , m_image(new SkinImage(normal, size, this))
    , m_hover(new SkinImage(hover, size, this))
{
    setFixedSize(size);
    m_image->setObjectName(name);
    m_hover->setObjectName(name + QStringLiteral("Hover"));
    m_hover->hide();
    m_image->installEventFilter(this);
    m_hover->installEventFilter(this);
    connect(m_image, &SkinImage::clicked, this, &HoverButton::clicked);
    connect(m_hover, &SkinImage::clicked, this, &HoverButton::clicked);
}

bool HoverButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_image && event->type() == QEvent::Enter) {
        m_hover->show();
        m_hover->raise();
    } else if (event->type() == QEvent::Leave && (watched == m_hover || watched == m_image)) {
        // The twin covers the image, so the image's own leave arrives as the
        // twin appears; only a mouse outside the button hides it.
        if (!rect().contains(mapFromGlobal(QCursor::pos())))
            m_hover->hide();
    }
    return QWidget::eventFilter(watched, event);
}

CaptionBar::CaptionBar(const QString& text, bool withMinimize, QWidget* parent)
    : QWidget(parent)
    , m_pod(new SkinImage(SkinElement::Pod, QSize(22, 26), this))
    , m_label(new QLabel(text, this))
{
    setObjectName(QStringLiteral("imgCaption"));
    setFixedHeight(Skin::kCaptionHeight);
    m_pod->setObjectName(QStringLiteral("imgPod"));
    m_label->setObjectName(QStringLiteral("lblCaption"));
    QFont font = m_label->font();
    font.setBold(true);
    m_label->setFont(font);
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, Skin::captionText());
    m_label->setPalette(palette);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(6);
    layout->addWidget(m_pod);
    layout->addWidget(m_label, 1);
    const QSize buttonSize(22, 22);
    if (withMinimize) {
        m_minimize = new HoverButton(SkinElement::Minimize, SkinElement::MinimizeHover, buttonSize,
                                     QStringLiteral("imgMinimize"), this);
        layout->addWidget(m_minimize);
        connect(m_minimize, &HoverButton::clicked, this, &CaptionBar::minimizeClicked);
    }
    m_close = new HoverButton(SkinElement::Close, SkinElement::CloseHover, buttonSize, QStringLiteral("imgClose"),
                              this);
    layout->addWidget(m_close);
    connect(m_close, &HoverButton::clicked, this, &CaptionBar::closeClicked);
    connect(m_pod, &SkinImage::clicked, this, &CaptionBar::podClicked);
    connect(m_pod, &SkinImage::doubleClicked, this, &CaptionBar::podDoubleClicked);

    auto* dragger = new WindowDragger(this);
    dragger->addHandle(this);
    dragger->addHandle(m_label);
}

void CaptionBar::setText(const QString& text)
{
    m_label->setText(text);
}

QString CaptionBar::text() const
{
    return m_label->text();
}

void CaptionBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Skin::paint(painter, SkinElement::Caption, QRectF(rect()));
}

void SkinnedPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Skin::PaintBack(painter, rect());
    painter.setPen(QColor(0x22, 0x34, 0x46));
    painter.drawRect(rect().adjusted(0, 0, -1, -1)); // a thin frame around the borderless window
}

} // namespace quaverly::ui

namespace quaverly::ui {

MenuBarLabel::MenuBarLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    setMargin(3);
    setFrameShape(QFrame::NoFrame);
    setCursor(Qt::PointingHandCursor);
}

void MenuBarLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken); // the 3-D look while held
        setLineWidth(1);
    }
    event->accept();
}

void MenuBarLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setFrameStyle(QFrame::NoFrame);
    if (rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

BarControl::BarControl(QWidget* parent)
    : QWidget(parent)
{
    setMinimumHeight(8);
    setCursor(Qt::PointingHandCursor);
}

void BarControl::setFraction(double fraction)
{
    fraction = std::clamp(fraction, 0.0, 1.0);
    if (fraction == m_fraction)
        return;
    m_fraction = fraction;
    update();
}

void BarControl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = track.height() / 2;
    p.setPen(QPen(QColor(0x9a, 0xa7, 0xb4), 1.0));
    p.setBrush(QColor(0xf7, 0xf9, 0xfb));
    p.drawRoundedRect(track, radius, radius);
    if (m_fraction > 0.0) {
        QRectF fill = track.adjusted(1, 1, -1, -1);
        fill.setWidth(std::max(fill.height(), fill.width() * m_fraction));
        p.setPen(Qt::NoPen);
        p.setBrush(Skin::accent());
        p.drawRoundedRect(fill, fill.height() / 2, fill.height() / 2);
    }
}

void BarControl::report(QMouseEvent* event)
{
    const double x = event->position().x();
    if (x > 0 && x < width())
        Q_EMIT dragged(x / width());
}

void BarControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        report(event);
}

void BarControl::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        report(event);
}

void BarControl::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT released();
}

} // namespace quaverly::ui
