#pragma once
#include <QWidget>

namespace quaverly::ui {

class CaptionBar;

/// The frame shared by the small skinned windows (start-up, tool windows): borderless, the skin's
/// background, a caption strip with the iPod icon and a close image, and a
/// body area for the window's own controls.
class SkinnedWindow : public QWidget
{
    Q_OBJECT
public:
    SkinnedWindow(const QString& windowTitle, const QString& caption, QWidget* parent = nullptr);

    [[nodiscard]] CaptionBar* captionBar() const { return m_caption; }
    [[nodiscard]] QWidget* body() const { return m_body; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    CaptionBar* m_caption;
    QWidget* m_body;
};

} // namespace quaverly::ui
