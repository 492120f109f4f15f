#pragma once
#include "database/mdlPlayCountEditor.h"
#include "playback/PlayControl.h"
#include "playback/VolumeControl.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QTimer;

class QWidget;

namespace quaverly::browser {
class SongListModel;
}
namespace quaverly::database {
class Library;
struct LoadResult;
} // namespace quaverly::database
namespace quaverly::exporting {
class M3uWriter;
struct PlayerCommand;
} // namespace quaverly::exporting
namespace quaverly::settings {
class mdlOptions;
}
namespace quaverly::ui {
class NowPlayingView;
class PromptService;
class ucListView;
} // namespace quaverly::ui

namespace quaverly::playback {

class AudioEngine;
class clsVolume;
class frmPopup;
class BandBarsView;

/// The parts of the main window that playback drives, none owned: the window
/// (parent of the controller and of its dialogs; its first show starts the
/// players), the now-playing area, the song list and its model, the library.
struct PlaybackWindow
{
    QWidget* window = nullptr;
    ui::NowPlayingView* nowPlaying = nullptr;
    ui::ucListView* songList = nullptr;
    browser::SongListModel* songModel = nullptr;
    const database::Library* library = nullptr;
};

/// Playback in the main window: attaches play control, the position bar,
/// the elapsed and remaining times, the rating stars, the volume slider, the
/// spectrum area, the new-track popup and the external players to the
/// window's controls. What the window and its menus ask for (play, open in
/// a player, choose a player ...) reaches it through the start-up wiring,
/// which connects their intents to the slots below. Owned by (a child of)
/// the window.
class PlaybackController : public QObject
{
    Q_OBJECT
public:
    using PlayerStarter = std::function<bool(const exporting::PlayerCommand&)>;

    /// `openMixer` opens the system mixer when the volume is first needed.
    PlaybackController(const PlaybackWindow& window, settings::mdlOptions& options, ui::PromptService& prompts,
                       database::mdlPlayCountEditor playCounts, std::unique_ptr<AudioEngine> engine,
                       VolumeControl::MixerFactory openMixer);
    /// The same with a mixer that is already open.
    PlaybackController(const PlaybackWindow& window, settings::mdlOptions& options, ui::PromptService& prompts,
                       database::mdlPlayCountEditor playCounts, std::unique_ptr<AudioEngine> engine,
                       std::unique_ptr<clsVolume> volume);
    ~PlaybackController() override;

    /// The program's wiring: the libmpv engine (QUAVERLY_AUDIO_OUT chooses the
    /// output), the system mixer and the load's Play Counts file. Neither
    /// libmpv nor libasound is loaded here: the players start on a worker
    /// thread a moment after the window is first shown (or on the first play),
    /// the mixer opens with them (or on the first use of the slider).
    static PlaybackController* attach(const PlaybackWindow& window, const database::LoadResult& load,
                                      settings::mdlOptions& options, ui::PromptService& prompts);

    /// Opens the mixer and starts the players in the background, unless done.
    void preparePlayback();
    /// Says "No mixer found!" when the players cannot start either, so that
    /// the slider has nothing to drive (the program; tests keep it quiet).
    void setReportMissingMixer(bool report) { m_reportMissingMixer = report; }

    [[nodiscard]] PlayControl& control() { return *m_control; }
    [[nodiscard]] AudioEngine& engine() { return *m_engine; }
    [[nodiscard]] VolumeControl& volume() { return *m_volume; }
    [[nodiscard]] BandBarsView* spectrum() const { return m_spectrum; }
    [[nodiscard]] frmPopup* popup() const;
    /// The status line's text ("" while none shows).
    [[nodiscard]] QString statusText() const;
    [[nodiscard]] const QString& defaultPlayerPath() const { return m_defaultPlayer; }
    /// How external players are started (tests record instead).
    void setPlayerStarter(PlayerStarter starter) { m_start = std::move(starter); }
    /// The players window's file choice (tests answer without a dialog).
    void setPlayerFileChooser(std::function<QString(QWidget*)> chooser) { m_choosePlayer = std::move(chooser); }
    /// The colour dialog of the spectrum area (tests answer without a dialog);
    /// answers an invalid colour when cancelled.
    void setColourChooser(std::function<QColor(QWidget*, const QColor&)> chooser)
    {
        m_chooseColour = std::move(chooser);
    }

    void tmrPosition_Timer();
    void ShowRatings();
    void Ratings_Click(int index);
    void LoadPlayers();
    void SetDefaultPlayer();
    void mnuPlayer_Click(int index);
    void mnuAddPlayer_Click();
    void cmdOpen_Click();
    void cmdMakeM3u_Click();
    void PicSpectrum_MouseUp(Qt::MouseButton button);
    /// "&Spectrum Analyser" ticked or unticked: the engine measures the bands only while it shows.
    void setSpectrumOn(bool on);
    /// The main window is closing: the song stops, the volume is stored, the popup goes.
    void windowClosing();
    /// The volume slider's level (0 to 1), and setting it as a drag on the slider does.
    [[nodiscard]] double volumeFraction() const;
    void setVolumeFraction(double fraction) { setVolume(fraction); }
    /// The stars of every track (by track index) as the stars show them: the
    /// iPod's Play Counts rating over the database's.
    [[nodiscard]] std::vector<int> allRatings() const;
    /// Asked when a new song starts: whether the song change popup is wanted.
    void setSongPopupWanted(std::function<bool()> wanted) { m_songPopupWanted = std::move(wanted); }

Q_SIGNALS:
    /// Which of play and pause can be chosen now (the tray menu's items).
    void transportChanged(bool playEnabled, bool pauseEnabled);
    /// "Artist - Title" of the song that started.
    void nowPlayingTextChanged(const QString& text);
    /// The full path of the file being played ("" for none).
    void playingFileChanged(const QString& fullPath);
    /// One track was rated: it shows `stars` now.
    void trackRated(int track, int stars);
    /// The external players, by their shown names, after "[Default Player]".
    void playersChanged(const QStringList& names);
    /// The chosen external player: 0 is "[Default Player]", n the n-th player, -1 none.
    void playerChecked(int index);

private:
    void connectControls();
    void prepareMenus();
    void connectEngine();
    void LoadMyOptions();
    void chkRepeat_Click();
    void showNowPlaying(const NowPlaying& now, bool popup);
    void showPlaying(bool playing);
    void showStatus(const QString& message, bool sticky);
    void seek(double fraction);
    void setVolume(double fraction);
    void onPlayersStarted(bool ok);
    void showOpenError(int error, const QString& what);
    [[nodiscard]] std::vector<int> rowTracks() const;

    QWidget& m_window;
    const database::Library& m_library;
    ui::ucListView& m_songList;
    browser::SongListModel& m_songModel;
    ui::NowPlayingView& m_view;
    QString m_lengthText; // the playing song's length as shown
    settings::mdlOptions& m_options;
    ui::PromptService& m_prompts;
    std::unique_ptr<AudioEngine> m_engine;
    std::unique_ptr<VolumeControl> m_volume;
    std::unique_ptr<SongListAccess> m_list;
    std::unique_ptr<exporting::M3uWriter> m_m3u;
    PlayControl* m_control = nullptr;
    QTimer* tmrPosition = nullptr;
    QTimer* m_statusClear = nullptr;
    QTimer* m_volumeStore = nullptr; // writes the volume once the slider rests
    bool m_reportMissingMixer = false;
    BandBarsView* m_spectrum = nullptr;
    QPointer<frmPopup> m_popup;
    QString m_defaultPlayer;
    QStringList m_playerPaths; // the added players, in the order of their menu items
    PlayerStarter m_start;
    std::function<QString(QWidget*)> m_choosePlayer;
    std::function<QColor(QWidget*, const QColor&)> m_chooseColour;
    std::function<bool()> m_songPopupWanted;
};

} // namespace quaverly::playback
