#pragma once
#include <QPointer>
#include <QWidget>

class QLabel;
class QPropertyAnimation;

namespace quaverly::playback {

/// The new-track notice: a small window that slides up at the bottom right
/// of the screen, never takes the focus, and slides away and closes 3 s
/// after it was created. A new song while it is up changes its text and
/// slides it up again; its time still counts from its creation.
class frmPopup : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kShowMs = 3000;
    static constexpr int kBottomMarginPx = 30;

    explicit frmPopup(QWidget* parent = nullptr);

    /// Shows "title - artist" and slides the window up.
    void ShowPopup(const QString& artist, const QString& title);
    [[nodiscard]] QString text() const;
    /// True once its time is up and it slides away; a new notice needs a new window.
    [[nodiscard]] bool leaving() const { return m_leaving; }

private:
    void Timer1_Timer();
    void slide(int fromY, int toY, bool closeAtEnd);
    [[nodiscard]] QRect screenArea() const;

    QLabel* lblNowPlaying;
    QPointer<QPropertyAnimation> m_slide;
    bool m_leaving = false;
};

} // namespace quaverly::playback
