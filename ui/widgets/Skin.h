#pragma once
#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QRectF>
#include <QWidget>

class QPainter;

namespace quaverly::ui {

/// Every picture of the program's skin. All of them are drawn with QPainter
/// from vector shapes, so they stay sharp at any display scale.
enum class SkinElement {
    Caption, // caption strip (stretched to any width)
    Back,    // background tile
    Close,
    CloseHover,
    Minimize,
    MinimizeHover,
    Pod, // the iPod icon at the left of a caption strip
    StarFull,
    StarEmpty,
    ClearSearch,
    Play,
    Pause,
    Previous,
    Next,
};

/// The skin's colours and painters. Stateless.
namespace Skin {
inline constexpr int kCaptionHeight = 30; // logical pixels
inline constexpr int kBackTileSize = 24;

[[nodiscard]] QColor captionText();
[[nodiscard]] QColor accent();
[[nodiscard]] QColor listBack(); // the browser lists' light grey (224, 224, 224)
[[nodiscard]] QColor panelText();

/// Paints one element into `rect` (logical coordinates).
void paint(QPainter& painter, SkinElement element, const QRectF& rect);
/// Tiles the background picture over `area`, left to right and top to bottom
/// from the top-left corner of `area`.
void PaintBack(QPainter& painter, const QRect& area);
/// The element drawn into a pixmap of `size` logical pixels at `devicePixelRatio`.
[[nodiscard]] QPixmap pixmap(SkinElement element, QSize size, qreal devicePixelRatio);
/// The program's icon (window, tray) in the usual sizes.
[[nodiscard]] QIcon appIcon();
/// The application-wide look of the skinned windows (fonts, palette, style sheet).
void applyApplicationLook();
} // namespace Skin

/// A skin picture as a small widget; used for the caption buttons, stars,
/// the iPod icon and the search box's clear image. Emits `clicked` on a left
/// button release inside it and `doubleClicked` on a double click.
class SkinImage : public QWidget
{
    Q_OBJECT
public:
    SkinImage(SkinElement element, QSize size, QWidget* parent = nullptr);

    [[nodiscard]] SkinElement element() const { return m_element; }
    void setElement(SkinElement element);
    [[nodiscard]] QSize sizeHint() const override { return m_size; }

Q_SIGNALS:
    void pressed();
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    SkinElement m_element;
    QSize m_size;
};

} // namespace quaverly::ui
