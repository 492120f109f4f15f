#pragma once
#include <QColor>
#include <QList>
#include <QWidget>

#include <vector>

class QTimer;

namespace quaverly::playback {

/// A colour stored as a 32-bit value 0x00BBGGRR (red in the low byte), and back.
[[nodiscard]] QColor colorFromValue(qint64 value);
[[nodiscard]] qint64 valueFromColor(const QColor& colour);

/// The spectrum area: bars of the playing audio's band levels in the chosen
/// colour on black. It redraws about 30 times a second, and only while it is
/// switched on, visible and fed; without level data it stays black. Bars
/// fall back smoothly when the levels drop.
class BandBarsView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kFrameMs = 33;
    static constexpr double kFloorDb = -60.0;

    explicit BandBarsView(QWidget* parent = nullptr);

    void setColour(const QColor& colour);
    [[nodiscard]] QColor colour() const { return m_colour; }
    /// Switched on by the menu; off stops the redraws.
    void setActive(bool active);
    /// A song is playing (redraws run only then).
    void setPlaying(bool playing);
    /// Band levels in dBFS, lowest band first; empty: no data.
    void setLevels(const QList<double>& levelsDb);
    /// Bar heights as drawn, 0..1 each.
    [[nodiscard]] const std::vector<double>& bars() const { return m_bars; }
    [[nodiscard]] bool animating() const;

Q_SIGNALS:
    /// The right mouse button was released over the area: choose a colour.
    void colourRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void step();
    void updateTimer();

    QTimer* m_timer;
    QColor m_colour = Qt::blue;
    std::vector<double> m_targets;
    std::vector<double> m_bars;
    bool m_active = false;
    bool m_playing = false;
};

} // namespace quaverly::playback
