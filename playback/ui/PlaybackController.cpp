#include "playback/ui/PlaybackController.h"

#include "browser/SongListModel.h"
#include "database/Library.h"
#include "database/LibraryLoader.h"
#include "export/M3uWriter.h"
#include "playback/AlsaMixer.h"
#include "playback/AudioEngine.h"
#include "playback/AudioRouting.h"
#include "playback/MpvBackend.h"
#include "playback/PlayOrder.h"
#include "playback/clsVolume.h"
#include "playback/ui/BandBarsView.h"
#include "playback/ui/frmPopup.h"
#include "playback/ui/frmQuicktime.h"
#include "settings/Preferences.h"
#include "settings/mdlOptions.h"
#include "ui/PromptService.h"
#include "ui/widgets/NowPlayingView.h"
#include "ui/widgets/Skin.h"
#include "ui/widgets/WindowChrome.h"
#include "ui/widgets/ucListView.h"

#include <QGuiApplication>
#include <QTimer>

#include <chrono>
#include <cmath>
#include <utility>

namespace quaverly::playback {
namespace prefs = settings::prefs;

namespace {

constexpr int kPositionMs = 200;
constexpr int kStatusMs = 6000;
constexpr int kVolumeRestMs = 500;
constexpr int kPrepareAfterShownMs = 1500; // the window settles first

/// The song list of the main window as play control sees it.
class WindowSongList : public SongListAccess
{
public:
    WindowSongList(ui::ucListView& view, browser::SongListModel& model)
        : m_view(view)
        , m_model(model)
    {
    }
    int rowCount() const override { return m_model.rowCount(); }
    int trackAt(int row) const override { return m_model.trackAt(row); }
    std::vector<int> selectedRows() const override { return m_view.GetLstSongSelected(); }
    void setRowSelected(int row, bool selected) override { m_view.setItemSelected(row, selected); }

private:
    ui::ucListView& m_view;
    browser::SongListModel& m_model;
};

/// The window's first show runs `onShown` once.
class ShowWatcher : public QObject
{
public:
    ShowWatcher(QObject* parent, std::function<void()> onShown)
        : QObject(parent)
        , m_onShown(std::move(onShown))
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && m_onShown)
            std::exchange(m_onShown, nullptr)();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onShown;
};

qint64 systemTickMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

PlaybackController::PlaybackController(const PlaybackWindow& window, settings::mdlOptions& options,
                                       ui::PromptService& prompts, database::mdlPlayCountEditor playCounts,
                                       std::unique_ptr<AudioEngine> engine, std::unique_ptr<clsVolume> volume)
    : PlaybackController(
        window, options, prompts, std::move(playCounts), std::move(engine),
        [held = std::make_shared<std::unique_ptr<clsVolume>>(std::move(volume))] { return std::move(*held); })
{
}

PlaybackController::PlaybackController(const PlaybackWindow& window, settings::mdlOptions& options,
                                       ui::PromptService& prompts, database::mdlPlayCountEditor playCounts,
                                       std::unique_ptr<AudioEngine> engine, VolumeControl::MixerFactory openMixer)
    : QObject(window.window)
    , m_window(*window.window)
    , m_library(*window.library)
    , m_songList(*window.songList)
    , m_songModel(*window.songModel)
    , m_view(*window.nowPlaying)
    , m_options(options)
    , m_prompts(prompts)
    , m_engine(std::move(engine))
    , m_volume(std::make_unique<VolumeControl>(*m_engine, options, std::move(openMixer)))
    , m_list(std::make_unique<WindowSongList>(*window.songList, *window.songModel))
    , m_m3u(std::make_unique<exporting::M3uWriter>())
{
    setObjectName(QStringLiteral("playbackController"));
    m_control = new PlayControl(*m_engine, m_library, std::move(playCounts), *m_list, this);
    m_control->setShuffleTick(systemTickMs());
    tmrPosition = new QTimer(this);
    tmrPosition->setInterval(kPositionMs);
    m_statusClear = new QTimer(this);
    m_statusClear->setSingleShot(true);
    m_statusClear->setInterval(kStatusMs);
    connect(m_statusClear, &QTimer::timeout, this, [this] { showStatus(QString(), true); });
    m_volumeStore = new QTimer(this);
    m_volumeStore->setSingleShot(true);
    m_volumeStore->setInterval(kVolumeRestMs);
    connect(m_volumeStore, &QTimer::timeout, this, [this] { m_volume->store(); });

    m_spectrum = new BandBarsView;
    m_view.setSpectrumView(m_spectrum);
    const int colour = m_options.get(prefs::kSpectrumColor);
    m_view.setSpectrumColourValue(colour);
    m_spectrum->setColour(colorFromValue(colour));

    connectControls();
    prepareMenus();
    connectEngine();
    LoadPlayers();
    LoadMyOptions();
    ShowRatings();
    m_view.setVolume(m_volume->fraction());
    tmrPosition->start();
}

PlaybackController::~PlaybackController() = default;

frmPopup* PlaybackController::popup() const
{
    return m_popup;
}

PlaybackController* PlaybackController::attach(const PlaybackWindow& window, const database::LoadResult& load,
                                               settings::mdlOptions& options, ui::PromptService& prompts)
{
    const QString audioOut = audioOutFromEnvironment();
    const VideoRoute route = chooseVideoRoute(QGuiApplication::platformName());
    const MpvOptions second { audioOut, false, route != VideoRoute::AudioOnly, route == VideoRoute::OwnWindow };
    auto engine = std::make_unique<AudioEngine>(std::make_unique<MpvBackend>(MpvOptions { audioOut, false, false }),
                                                std::make_unique<MpvBackend>(second));
    auto* controller = new PlaybackController(window, options, prompts, load.playCounts, std::move(engine),
                                              [] { return std::make_unique<clsVolume>(makeSystemMixer()); });
    controller->setReportMissingMixer(audioOut != QLatin1String("null"));
    // Videos show in the now-playing frame, beside the labels, while they play.
    auto* video = new frmQuicktime(controller->engine(), route, window.nowPlaying);
    video->setFixedSize(160, 120);
    window.nowPlaying->setVideoView(video);
    // The players start in the background once the window has been shown.
    window.window->installEventFilter(new ShowWatcher(controller, [controller] {
        QTimer::singleShot(kPrepareAfterShownMs, controller, &PlaybackController::preparePlayback);
    }));
    return controller;
}

std::vector<int> PlaybackController::allRatings() const
{
    return m_control->playCounts().getAllRatings(m_library);
}

QString PlaybackController::statusText() const
{
    return m_view.status();
}

void PlaybackController::preparePlayback()
{
    m_volume->settle(); // the mixer first: the players start with the volume it leaves them
    m_engine->startPlayers();
}

void PlaybackController::onPlayersStarted(bool ok)
{
    m_volume->settle(); // before the engine opens a song that waited for the players
    if (!ok && m_reportMissingMixer && m_volume->source() == VolumeControl::Source::PlayerVolume) {
        // Said from the event loop: a modal box must not hold the engine inside its start.
        QTimer::singleShot(0, this, [this] {
            m_prompts.show(QStringLiteral("Quaverly"), QStringLiteral("No mixer found!"), ui::PromptIcon::None);
        });
    }
}

void PlaybackController::connectControls()
{
    PlayControl* c = m_control;
    ui::NowPlayingView* view = &m_view;
    connect(view, &ui::NowPlayingView::pauseClicked, c, &PlayControl::pause);
    connect(view, &ui::NowPlayingView::nextClicked, c, &PlayControl::next);
    connect(view, &ui::NowPlayingView::previousClicked, c, &PlayControl::previous);
    connect(view, &ui::NowPlayingView::seekRequested, this, &PlaybackController::seek);
    connect(view, &ui::NowPlayingView::volumeRequested, this, &PlaybackController::setVolume);
    connect(view, &ui::NowPlayingView::rateRequested, this, [this](int stars) { Ratings_Click(stars - 1); });
    connect(view, &ui::NowPlayingView::repeatToggled, this, [this](bool on) {
        chkRepeat_Click();
        m_options.set(prefs::kRepeat, on);
    });
    connect(view, &ui::NowPlayingView::shuffleToggled, this, [this](bool on) {
        m_control->setShuffle(on);
        m_options.set(prefs::kShuffle, on);
    });
    connect(view, &ui::NowPlayingView::repeatTypeChosen, this, [this](bool one) {
        m_control->setRepeatOne(one);
        m_options.set(prefs::kRepeatType, one ? prefs::RepeatType::One : prefs::RepeatType::All);
    });
    connect(view, &ui::NowPlayingView::shuffleReseedRequested, this,
            [this] { m_control->setShuffleTick(systemTickMs()); });
    connect(tmrPosition, &QTimer::timeout, this, &PlaybackController::tmrPosition_Timer);
}

void PlaybackController::windowClosing()
{
    m_control->stop();
    tmrPosition->stop();
    m_volume->store();
    if (m_popup)
        m_popup->close();
}

void PlaybackController::setSpectrumOn(bool on)
{
    m_engine->setBandLevelsEnabled(on);
    m_spectrum->setActive(on);
}

void PlaybackController::connectEngine()
{
    connect(m_control, &PlayControl::nowPlayingChanged, this, &PlaybackController::showNowPlaying);
    connect(m_control, &PlayControl::playingChanged, this, &PlaybackController::showPlaying);
    connect(m_control, &PlayControl::playbackFailed, this,
            [this](const QString& message) { showStatus(message, false); });
    connect(m_control, &PlayControl::playbackStopped, this,
            [this](const QString& message) { showStatus(message, true); });
    // A play that could not be counted (the file locked by another program, or a link
    // out of the iPod) is said in the status line; the music goes on.
    connect(m_control, &PlayControl::playCounted, this, [this](int, database::PlayCountError error) {
        if (error == database::PlayCountError::Locked || error == database::PlayCountError::OutsideIpod)
            showStatus(m_control->playCounts().updateFailureText(error), true);
    });
    connect(m_engine.get(), &AudioEngine::trayMenuChanged, this,
            [this](bool pauseEnabled, bool playEnabled) { Q_EMIT transportChanged(playEnabled, pauseEnabled); });
    connect(m_engine.get(), &AudioEngine::bandLevelsChanged, m_spectrum, &BandBarsView::setLevels);
    connect(m_engine.get(), &AudioEngine::playersStarted, this, &PlaybackController::onPlayersStarted);
}

void PlaybackController::LoadMyOptions()
{
    const bool shuffle = m_options.get(prefs::kShuffle);
    const bool repeat = m_options.get(prefs::kRepeat);
    const bool one = m_options.get(prefs::kRepeatType) == prefs::RepeatType::One;
    m_view.setPlayOrder({ repeat, one, shuffle });
    m_control->setShuffle(shuffle);
    m_control->setRepeatOne(one);
    chkRepeat_Click();
}

void PlaybackController::chkRepeat_Click()
{
    m_control->setRepeat(m_view.playOrder().repeat);
}

void PlaybackController::showNowPlaying(const NowPlaying& now, bool popup)
{
    m_lengthText = ConvertToTime(now.lengthMs);
    m_view.setSong(now.title, now.artist, now.album, now.genre, m_lengthText, QString::number(now.uin));
    Q_EMIT nowPlayingTextChanged(now.artist + QStringLiteral(" - ") + now.title);
    Q_EMIT playingFileChanged(m_engine->currentFile());
    ShowRatings();
    if (popup && m_songPopupWanted && m_songPopupWanted()) {
        if (!m_popup || m_popup->leaving())
            m_popup = new frmPopup();
        m_popup->ShowPopup(now.artist, now.title);
    }
}

void PlaybackController::showPlaying(bool playing)
{
    m_view.setState(playing);
    Q_EMIT transportChanged(!playing, playing);
    m_spectrum->setPlaying(playing);
}

void PlaybackController::showStatus(const QString& message, bool sticky)
{
    m_view.setStatus(message);
    if (message.isEmpty() || sticky)
        m_statusClear->stop();
    else
        m_statusClear->start();
}

void PlaybackController::tmrPosition_Timer()
{
    m_view.setVolume(m_volume->fraction());
    const qint64 length = m_engine->lengthMs();
    const qint64 elapsed = length >= 1 ? m_engine->positionMs() : 0;
    const QString elapsedText = ConvertToTime(elapsed);
    m_view.setPosition(length >= 1 ? double(elapsed) / double(length) : 0.0, elapsedText,
                       remainingText(m_lengthText, elapsedText));
}

void PlaybackController::seek(double fraction)
{
    tmrPosition->stop(); // no tick sees a half-done seek
    m_view.setPositionFraction(fraction);
    m_control->seekTo(fraction);
    tmrPosition->start();
}

void PlaybackController::setVolume(double fraction)
{
    m_volume->setFraction(fraction);
    m_view.setVolume(m_volume->fraction());
    m_volumeStore->start();
}

double PlaybackController::volumeFraction() const
{
    return m_view.volume();
}

void PlaybackController::ShowRatings()
{
    const int track = m_control->currentTrack();
    const int stars = track >= 0 ? m_control->playCounts().GetRating(track, m_library) : 0;
    m_view.setRating(stars);
}

void PlaybackController::Ratings_Click(int index)
{
    const int track = m_control->currentTrack();
    if (track < 0 || m_control->deviceGone())
        return; // nothing is written to an iPod that went away
    database::mdlPlayCountEditor& playCounts = m_control->playCounts();
    const database::PlayCountError error = playCounts.SetRating(track, index + 1);
    switch (error) {
    case database::PlayCountError::None:
        Q_EMIT trackRated(track, playCounts.GetRating(track, m_library));
        break;
    case database::PlayCountError::NoFile:
    case database::PlayCountError::NotSupported: {
        const database::PlayCountMessage message = playCounts.ShowRatingUnsupported();
        m_prompts.show(message.title, message.text, ui::PromptIcon::Information);
        break;
    }
    case database::PlayCountError::Locked:
    case database::PlayCountError::OutsideIpod:
        m_prompts.show(QStringLiteral("Quaverly"), playCounts.updateFailureText(error), ui::PromptIcon::Warning);
        break;
    default:
        m_prompts.show(QStringLiteral("Quaverly"),
                       QStringLiteral("The rating could not be written to the iPod's Play Counts file."),
                       ui::PromptIcon::Warning);
        break;
    }
    ShowRatings();
}

} // namespace quaverly::playback
