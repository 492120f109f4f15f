#pragma once
#include <QImage>
#include <QWidget>

namespace quaverly::media {

/// Shows a cover scaled to fit (aspect kept, centred), or a neutral
/// placeholder (a note on grey) when there is none.
class CoverView : public QWidget
{
    Q_OBJECT
public:
    explicit CoverView(QWidget* parent = nullptr);

    /// A null image shows the placeholder.
    void setCover(const QImage& image);
    [[nodiscard]] const QImage& cover() const { return m_image; }
    [[nodiscard]] bool showsCover() const { return !m_image.isNull(); }

    [[nodiscard]] QSize sizeHint() const override { return { 140, 140 }; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
};

} // namespace quaverly::media
