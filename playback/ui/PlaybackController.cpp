#include "playback/ui/PlaybackController.h"

#include "browser/SongListModel.h"
#include "browser/ui/frmMain.h"
#include "browser/ui/frmMainUi.h"
#include "browser/ui/frmMenus.h"
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
#include "ui/widgets/Skin.h"
#include "ui/widgets/WindowChrome.h"
#include "ui/widgets/ucListView.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
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

/// Shift pressed on the shuffle box: a new start tick for the shuffle seed.
class ShiftWatcher : public QObject
{
public:
    ShiftWatcher(QObject* parent, std::function<void()> onShift)
        : QObject(parent)
        , m_onShift(std::move(onShift))
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Shift)
            m_onShift();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onShift;
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

PlaybackController::PlaybackController(browser::frmMain& window, settings::mdlOptions& options,
                                       ui::PromptService& prompts, database::mdlPlayCountEditor playCounts,
                                       std::unique_ptr<AudioEngine> engine, std::unique_ptr<clsVolume> volume)
    : PlaybackController(
        window, options, prompts, std::move(playCounts), std::move(engine),
        [held = std::make_shared<std::unique_ptr<clsVolume>>(std::move(volume))] { return std::move(*held); })
{
}

PlaybackController::PlaybackController(browser::frmMain& window, settings::mdlOptions& options,
                                       ui::PromptService& prompts, database::mdlPlayCountEditor playCounts,
                                       std::unique_ptr<AudioEngine> engine, VolumeControl::MixerFactory openMixer)
    : QObject(&window)
    , m_window(window)
    , m_ui(window.ui())
    , m_menus(window.menus())
    , m_options(options)
    , m_prompts(prompts)
    , m_engine(std::move(engine))
    , m_volume(std::make_unique<VolumeControl>(*m_engine, options, std::move(openMixer)))
    , m_list(std::make_unique<WindowSongList>(*window.ui().lstSong, window.songModel()))
    , m_m3u(std::make_unique<exporting::M3uWriter>())
{
    setObjectName(QStringLiteral("playbackController"));
    m_control = new PlayControl(*m_engine, window.library(), std::move(playCounts), *m_list, this);
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

    m_status = new QLabel(m_ui.fraNow);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setStyleSheet(QStringLiteral("color: #a02020;"));
    // Its line is kept while it is empty, so the panel does not grow when it shows.
    QSizePolicy keepRoom = m_status->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    m_status->setSizePolicy(keepRoom);
    m_status->setFixedHeight(m_ui.lblGenre->minimumHeight());
    m_status->hide();
    if (auto* grid = qobject_cast<QGridLayout*>(m_ui.fraNow->layout()))
        grid->addWidget(m_status, grid->rowCount(), 0, 1, grid->columnCount());

    m_spectrum = new BandBarsView(m_ui.PicSpectrum);
    auto* place = new QGridLayout(m_ui.PicSpectrum);
    place->setContentsMargins(1, 1, 1, 1);
    place->addWidget(m_spectrum);
    const int colour = m_options.get(prefs::kSpectrumColor);
    m_ui.PicSpectrum->setProperty("tag", QString::number(colour));
    m_spectrum->setColour(ColorFromValue(colour));

    connectControls();
    connectMenus();
    connectEngine();
    LoadPlayers();
    LoadMyOptions();
    // The Rating column shows what the stars show: the iPod's Play Counts
    // rating where it has one.
    m_window.setTrackRatings(m_control->playCounts().GetAllRatings(m_window.library()));
    ShowRatings();
    m_ui.picVolume->setFraction(m_volume->fraction());
    tmrPosition->start();
}

PlaybackController::~PlaybackController() = default;

frmPopup* PlaybackController::popup() const
{
    return m_popup;
}

PlaybackController* PlaybackController::attach(browser::frmMain& window, const database::LoadResult& load,
                                               settings::mdlOptions& options, ui::PromptService& prompts)
{
    const QString audioOut = audioOutFromEnvironment();
    const VideoRoute route = ChooseVideoRoute(QGuiApplication::platformName());
    const MpvOptions second { audioOut, false, route != VideoRoute::AudioOnly, route == VideoRoute::OwnWindow };
    auto engine = std::make_unique<AudioEngine>(std::make_unique<MpvBackend>(MpvOptions { audioOut, false, false }),
                                                std::make_unique<MpvBackend>(second));
    auto* controller = new PlaybackController(window, options, prompts, load.playCounts, std::move(engine),
                                              [] { return std::make_unique<clsVolume>(makeSystemMixer()); });
    controller->setReportMissingMixer(audioOut != QLatin1String("null"));
    // Videos show in the now-playing frame, beside the labels, while they play.
    auto* video = new frmQuicktime(controller->engine(), route, window.ui().fraNow);
    video->setFixedSize(160, 120);
    if (auto* grid = qobject_cast<QGridLayout*>(window.ui().fraNow->layout()))
        grid->addWidget(video, 0, grid->columnCount(), 5, 1);
    // The players start in the background once the window has been shown.
    window.installEventFilter(new ShowWatcher(controller, [controller] {
        QTimer::singleShot(kPrepareAfterShownMs, controller, &PlaybackController::preparePlayback);
    }));
    return controller;
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
    browser::frmMain* w = &m_window;
    PlayControl* c = m_control;
    connect(w, &browser::frmMain::playRequested, c, &PlayControl::picPlay_Click);
    connect(w, &browser::frmMain::openInEmbeddedRequested, c, [c] { c->OpenInEmbedded(false); });
    connect(w, &browser::frmMain::playedHistoryCleared, c, &PlayControl::clearHistory);
    connect(w, &browser::frmMain::openExternalRequested, this, &PlaybackController::cmdOpen_Click);
    connect(w, &browser::frmMain::makePlaylistRequested, this, &PlaybackController::cmdMakeM3u_Click);
    connect(w, &browser::frmMain::closing, this, [this] {
        m_control->stop();
        tmrPosition->stop();
        m_volume->store();
        if (m_popup)
            m_popup->close();
    });
    connect(c, &PlayControl::doubleClickActionRequested, w, &browser::frmMain::lstSong_DblClick);
    connect(m_ui.picPause, &ui::SkinImage::clicked, c, &PlayControl::picPause_Click);
    connect(m_ui.picNext, &ui::SkinImage::clicked, c, &PlayControl::picNext_Click);
    connect(m_ui.picPrev, &ui::SkinImage::clicked, c, &PlayControl::picPrev_Click);
    connect(m_ui.PicPosition, &ui::BarControl::dragged, this, &PlaybackController::seek);
    connect(m_ui.picVolume, &ui::BarControl::dragged, this, &PlaybackController::setVolume);
    for (int i = 0; i < m_ui.Ratings.size(); ++i)
        connect(m_ui.Ratings.at(i), &ui::SkinImage::clicked, this, [this, i] { Ratings_Click(i); });
    connect(m_ui.chkRepeat, &QCheckBox::toggled, this, [this] {
        chkRepeat_Click();
        m_options.set(prefs::kRepeat, m_ui.chkRepeat->isChecked());
    });
    connect(m_ui.chkShuffle, &QCheckBox::toggled, this, [this](bool on) {
        m_control->setShuffle(on);
        m_options.set(prefs::kShuffle, on);
    });
    connect(m_ui.optRptOne, &QRadioButton::clicked, this, [this] {
        m_control->setRepeatOne(true);
        m_options.set(prefs::kRepeatType, prefs::RepeatType::One);
    });
    connect(m_ui.optRptAll, &QRadioButton::clicked, this, [this] {
        m_control->setRepeatOne(false);
        m_options.set(prefs::kRepeatType, prefs::RepeatType::All);
    });
    m_ui.chkShuffle->installEventFilter(new ShiftWatcher(this, [this] { m_control->setShuffleTick(systemTickMs()); }));
    connect(tmrPosition, &QTimer::timeout, this, &PlaybackController::tmrPosition_Timer);
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
            showStatus(m_control->playCounts().UpdateFailureText(error), true);
    });
    connect(m_engine.get(), &AudioEngine::trayMenuChanged, this, [this](bool pauseEnabled, bool playEnabled) {
        m_menus.mnuPause->setEnabled(pauseEnabled);
        m_menus.mnuPlay->setEnabled(playEnabled);
    });
    connect(m_engine.get(), &AudioEngine::bandLevelsChanged, m_spectrum, &BandBarsView::setLevels);
    connect(m_engine.get(), &AudioEngine::playersStarted, this, &PlaybackController::onPlayersStarted);
    m_menus.mnuPause->setEnabled(false);
}

void PlaybackController::LoadMyOptions()
{
    const bool shuffle = m_options.get(prefs::kShuffle);
    const bool repeat = m_options.get(prefs::kRepeat);
    const bool one = m_options.get(prefs::kRepeatType) == prefs::RepeatType::One;
    {
        const QSignalBlocker blockShuffle(m_ui.chkShuffle);
        const QSignalBlocker blockRepeat(m_ui.chkRepeat);
        m_ui.chkShuffle->setChecked(shuffle);
        m_ui.chkRepeat->setChecked(repeat);
        (one ? m_ui.optRptOne : m_ui.optRptAll)->setChecked(true);
    }
    m_control->setShuffle(shuffle);
    m_control->setRepeatOne(one);
    chkRepeat_Click();
}

void PlaybackController::chkRepeat_Click()
{
    const bool on = m_ui.chkRepeat->isChecked();
    m_ui.optRptOne->setEnabled(on);
    m_ui.optRptAll->setEnabled(on);
    m_control->setRepeat(on);
}

void PlaybackController::showNowPlaying(const NowPlaying& now, bool popup)
{
    m_ui.lblTitle->setProperty("tag", QString::number(now.uin));
    m_ui.lblTitle->setText(now.title);
    m_ui.lblArtist->setText(now.artist);
    m_ui.lblAlbum->setText(now.album);
    m_ui.lblGenre->setText(now.genre);
    m_menus.mnuNow->setText(now.artist + QStringLiteral(" - ") + now.title);
    m_ui.lblTime->setText(QStringLiteral("Length: ") + ConvertToTime(now.lengthMs));
    m_window.setPlayingFile(m_engine->CurrentFile());
    ShowRatings();
    if (popup && m_menus.mnuSongPopup->isChecked()) {
        if (!m_popup || m_popup->leaving())
            m_popup = new frmPopup();
        m_popup->ShowPopup(now.artist, now.title);
    }
}

void PlaybackController::showPlaying(bool playing)
{
    m_ui.picPlay->setVisible(!playing);
    m_ui.picPause->setVisible(playing);
    m_menus.mnuPause->setEnabled(playing);
    m_menus.mnuPlay->setEnabled(!playing);
    m_spectrum->setPlaying(playing);
}

void PlaybackController::showStatus(const QString& message, bool sticky)
{
    m_status->setText(message);
    m_status->setVisible(!message.isEmpty());
    if (message.isEmpty() || sticky)
        m_statusClear->stop();
    else
        m_statusClear->start();
}

void PlaybackController::tmrPosition_Timer()
{
    m_ui.picVolume->setFraction(m_volume->fraction());
    const qint64 length = m_engine->GetLength();
    qint64 elapsed = 0;
    if (length >= 1) {
        elapsed = m_engine->Position();
        m_ui.PicPosition->setFraction(double(elapsed) / double(length));
    } else {
        m_ui.PicPosition->setFraction(0.0);
    }
    m_ui.lblElapsed->setText(ConvertToTime(elapsed));
    m_ui.lblRemaining->setText(RemainingText(m_ui.lblTime->text(), m_ui.lblElapsed->text()));
}

void PlaybackController::seek(double fraction)
{
    tmrPosition->stop(); // no tick sees a half-done seek
    m_ui.PicPosition->setFraction(fraction);
    m_control->seekTo(fraction);
    tmrPosition->start();
}

void PlaybackController::setVolume(double fraction)
{
    m_volume->setFraction(fraction);
    m_ui.picVolume->setFraction(m_volume->fraction());
    m_volumeStore->start();
}

double PlaybackController::volumeFraction() const
{
    return m_ui.picVolume->fraction();
}

void PlaybackController::ShowRatings()
{
    const int track = m_control->CurrentI();
    const int stars = track >= 0 ? m_control->playCounts().GetRating(track, m_window.library()) : 0;
    for (int i = 0; i < m_ui.Ratings.size(); ++i)
        m_ui.Ratings.at(i)->setElement(i < stars ? ui::SkinElement::StarFull : ui::SkinElement::StarEmpty);
}

void PlaybackController::Ratings_Click(int index)
{
    const int track = m_control->CurrentI();
    if (track < 0 || m_control->deviceGone())
        return; // nothing is written to an iPod that went away
    database::mdlPlayCountEditor& playCounts = m_control->playCounts();
    const database::PlayCountError error = playCounts.SetRating(track, index + 1);
    switch (error) {
    case database::PlayCountError::None:
        m_window.setTrackRating(track, playCounts.GetRating(track, m_window.library()));
        break;
    case database::PlayCountError::NoFile:
    case database::PlayCountError::NotSupported: {
        const database::PlayCountMessage message = playCounts.ShowRatingUnsupported();
        m_prompts.show(message.title, message.text, ui::PromptIcon::Information);
        break;
    }
    case database::PlayCountError::Locked:
    case database::PlayCountError::OutsideIpod:
        m_prompts.show(QStringLiteral("Quaverly"), playCounts.UpdateFailureText(error), ui::PromptIcon::Warning);
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
