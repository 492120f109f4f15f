#include "ui/widgets/SkinnedWindow.h"

#include "ui/widgets/Skin.h"
#include "ui/widgets/WindowChrome.h"

#include <QPainter>
#include <QVBoxLayout>

namespace quaverly::ui {

SkinnedWindow::SkinnedWindow(const QString& windowTitle, const QString& caption, QWidget* parent)
    : QWidget(parent)
    , m_caption(new CaptionBar(caption, false, this))
    , m_body(new QWidget(this))
{
    setWindowTitle(windowTitle);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowIcon(Skin::appIcon());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(m_caption);
    layout->addWidget(m_body, 1);
    connect(m_caption, &CaptionBar::closeClicked, this, &QWidget::close);
    connect(m_caption, &CaptionBar::podDoubleClicked, this, &QWidget::close);
}

void SkinnedWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Skin::PaintBack(painter, rect());
    painter.setPen(QColor(0x22, 0x34, 0x46));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace quaverly::ui
