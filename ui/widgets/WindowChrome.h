#pragma once
#include "ui/widgets/Skin.h"

#include <QLabel>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QWidget>

class QLabel;

namespace quaverly::ui {

/// Lets the user move a borderless window by the widgets it is installed on
/// (caption strip, caption label): asks the window system to move the window,
/// and moves it by hand where the window system cannot.
class WindowDragger : public QObject
{
    Q_OBJECT
public:
    explicit WindowDragger(QObject* parent);
    void addHandle(QWidget* handle);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window = nullptr; // the window being dragged
    QPoint m_offset;
    bool m_dragging = false;
};

/// Resizes a borderless window from its edges and corners (the margin of the
/// window's own area around its contents).
class FrameResizer : public QObject
{
    Q_OBJECT
public:
    FrameResizer(QWidget* window, int margin);
    /// The edges under `pos` (window coordinates); none when inside.
    [[nodiscard]] Qt::Edges edgesAt(QPoint pos) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void resizeBy(QPoint globalPos);

    QWidget* m_window;
    int m_margin;
    Qt::Edges m_edges;
    QRect m_startGeometry;
    QPoint m_startPos;
};

/// An image with a highlighted twin at the same place: the twin shows while
/// the mouse is over the image and hides when the mouse leaves it. A click on
/// either emits `clicked`.
class HoverButton : public QWidget
{
    Q_OBJECT
public:
    /// `name` gives the object names: name and name + "Hover".
    HoverButton(SkinElement normal, SkinElement hover, QSize size, const QString& name, QWidget* parent);

    [[nodiscard]] SkinImage* image() const { return m_image; }
    [[nodiscard]] SkinImage* hoverImage() const { return m_hover; }

Q_SIGNALS:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SkinImage* m_image;
    SkinImage* m_hover;
};

/// The skinned caption strip of a borderless window (`imgCaption`): the iPod
/// icon `imgPod`, the caption text `lblCaption`, and the minimise and close
/// buttons with their hover twins. Dragging the strip or the text moves the
/// window.
class CaptionBar : public QWidget
{
    Q_OBJECT
public:
    CaptionBar(const QString& text, bool withMinimize, QWidget* parent);

    void setText(const QString& text);
    [[nodiscard]] QString text() const;
    [[nodiscard]] SkinImage* podImage() const { return m_pod; }
    [[nodiscard]] QLabel* captionLabel() const { return m_label; }
    [[nodiscard]] HoverButton* closeButton() const { return m_close; }
    [[nodiscard]] HoverButton* minimizeButton() const { return m_minimize; }

Q_SIGNALS:
    void closeClicked();
    void minimizeClicked();
    void podClicked();
    void podDoubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    SkinImage* m_pod;
    QLabel* m_label;
    HoverButton* m_minimize = nullptr;
    HoverButton* m_close;
};

/// Fills a widget with the skin's background tiles; the base of every
/// skinned window.
class SkinnedPanel : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace quaverly::ui

namespace quaverly::ui {

/// A label of the window's own menu bar: looks pressed while the mouse
/// button is down on it and emits `clicked` on release.
class MenuBarLabel : public QLabel
{
    Q_OBJECT
public:
    MenuBarLabel(const QString& text, QWidget* parent);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

/// A horizontal bar with a filled part (the position bar, the volume slider).
/// Pressing or dragging reports the fraction under the mouse; the owner
/// decides what it means and sets the fill.
class BarControl : public QWidget
{
    Q_OBJECT
public:
    explicit BarControl(QWidget* parent);

    void setFraction(double fraction); // 0..1, clamped
    [[nodiscard]] double fraction() const { return m_fraction; }
    [[nodiscard]] QSize sizeHint() const override { return { 120, 10 }; }

Q_SIGNALS:
    /// The left button went down or dragged at `fraction` (0 < fraction < 1).
    void dragged(double fraction);
    void released();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void report(QMouseEvent* event);
    double m_fraction = 0.0;
};

} // namespace quaverly::ui
