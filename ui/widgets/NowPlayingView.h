#pragma once
#include <QList>
#include <QWidget>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QRadioButton;

namespace quaverly::ui {

class BarControl;
class SkinImage;

/// The play order choices as shown: "Repeat" ticked, "Rpt One" chosen (else
/// "Rpt All", which only counts while "Repeat" is ticked), "Shuffle" ticked.
struct PlayOrder
{
    bool repeat = false;
    bool repeatOne = false;
    bool shuffle = false;
};

/// The now-playing area of the main window: the cover beside the frame, the
/// song's title, artist, album, genre and length, the rating stars, the
/// position bar with the elapsed and remaining times, the status line, the
/// transport buttons, the volume slider (sharing its place with the spectrum)
/// and the play order choices. Its controls keep their given object names
/// (lblTitle, picPlay, PicPosition, Ratings0..4 ...).
///
/// Whoever plays tells it what to show through the setters; what the user
/// does with it leaves as the signals below. It knows nothing of playback.
class NowPlayingView : public QWidget
{
    Q_OBJECT
public:
    explicit NowPlayingView(QWidget* parent = nullptr);

    /// The frame's caption: "Playing from " and the iPod's name.
    void setSource(const QString& ipodName);
    /// The song shown: `lengthText` is the time as shown ("3:05"); `tag`
    /// identifies the song (its UIN) for whoever reads the title's "tag".
    void setSong(const QString& title, const QString& artist, const QString& album, const QString& genre,
                 const QString& lengthText, const QString& tag);
    /// The position bar (0 to 1) and the elapsed and remaining times as shown.
    void setPosition(double fraction, const QString& elapsed, const QString& remaining);
    /// Only the bar, while a seek is under way.
    void setPositionFraction(double fraction);
    /// Playing shows the pause button in the play button's place.
    void setState(bool playing);
    /// Full stars from the left (0 to 5).
    void setRating(int stars);
    /// Stars that cannot be clicked (nothing can be written any more).
    void setRatingEnabled(bool enabled);
    /// The status line under the song; hidden while empty, its room kept.
    void setStatus(const QString& text);
    [[nodiscard]] QString status() const;
    /// The volume slider's level, 0 to 1.
    void setVolume(double fraction);
    [[nodiscard]] double volume() const;
    /// Shows the play order without a signal (the stored choices at start).
    void setPlayOrder(const PlayOrder& order);
    [[nodiscard]] PlayOrder playOrder() const;
    /// Chooses the play order as the user would with the boxes (the desktop's
    /// media controls do): the signals below follow for what changed.
    void chooseRepeat(bool on, bool one);
    void chooseShuffle(bool on);
    /// Puts the spectrum's picture in its place, which it shares with the volume slider.
    void setSpectrumView(QWidget* spectrum);
    /// The spectrum in the volume slider's place, or the slider.
    void setSpectrumShown(bool shown);
    /// The spectrum's colour as stored, kept as the spectrum place's "tag".
    void setSpectrumColourValue(int value);
    /// Puts the cover picture left of the frame.
    void setCoverView(QWidget* cover);
    /// Puts a video picture at the right end of the frame.
    void setVideoView(QWidget* video);
    /// Fixes the frame's height to its tallest content, hidden parts (the
    /// status line, a video) included; run once everything is in it.
    void fixHeight();

    // The controls, for the window that holds the view and for its tests.
    QGroupBox* fraNow = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblArtist = nullptr;
    QLabel* lblAlbum = nullptr;
    QLabel* lblGenre = nullptr;
    QLabel* lblTime = nullptr;
    QLabel* lblElapsed = nullptr;
    QLabel* lblRemaining = nullptr;
    QLabel* lblStatus = nullptr;
    BarControl* PicPosition = nullptr; // the filled part is shpProgress
    QList<SkinImage*> Ratings;         // 0..4, left to right
    SkinImage* picPrev = nullptr;
    SkinImage* picPlay = nullptr;
    SkinImage* picPause = nullptr; // same place as picPlay, hidden while not playing
    SkinImage* picNext = nullptr;
    BarControl* picVolume = nullptr; // the filled part is shpVolume
    QWidget* PicSpectrum = nullptr;  // shares the volume slider's place
    QCheckBox* chkRepeat = nullptr;
    QRadioButton* optRptOne = nullptr;
    QRadioButton* optRptAll = nullptr;
    QCheckBox* chkShuffle = nullptr;

Q_SIGNALS:
    void playClicked();
    void pauseClicked();
    void nextClicked();
    void previousClicked();
    /// The position bar was clicked or dragged to `fraction` (0 to 1).
    void seekRequested(double fraction);
    /// A star was clicked: the song should get `stars` (1 to 5).
    void rateRequested(int stars);
    /// The volume slider was clicked or dragged to `fraction` (0 to 1).
    void volumeRequested(double fraction);
    /// "Repeat" was ticked or cleared.
    void repeatToggled(bool on);
    /// "Rpt One" (`one`) or "Rpt All" was chosen.
    void repeatTypeChosen(bool one);
    /// "Shuffle" was ticked or cleared.
    void shuffleToggled(bool on);
    /// Shift was pressed on the "Shuffle" box: shuffle from a new start.
    void shuffleReseedRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildFrame();
    QWidget* buildControls();

    QHBoxLayout* m_row = nullptr;
    QGridLayout* m_grid = nullptr;
};

} // namespace quaverly::ui
