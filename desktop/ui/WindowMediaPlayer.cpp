#include "desktop/ui/WindowMediaPlayer.h"

#include "browser/SongListModel.h"
#include "browser/ui/frmMain.h"
#include "browser/ui/frmMainUi.h"
#include "database/Library.h"
#include "playback/AudioEngine.h"
#include "playback/PlayControl.h"
#include "playback/ui/PlaybackController.h"
#include "ui/widgets/NowPlayingView.h"
#include "ui/widgets/WindowChrome.h"
#include "ui/widgets/ucListView.h"

#include <QCheckBox>
#include <QItemSelectionModel>
#include <QRadioButton>

#include <cmath>

namespace quaverly::desktop {

WindowMediaPlayer::WindowMediaPlayer(browser::frmMain& window, playback::PlaybackController& playback, QObject* parent)
    : MediaPlayerControl(parent)
    , m_window(window)
    , m_playback(playback)
{
    watchWindow();
}

void WindowMediaPlayer::setArtUrlProvider(ArtUrlProvider provider)
{
    m_artUrl = std::move(provider);
    Q_EMIT changed();
}

void WindowMediaPlayer::watchWindow()
{
    playback::PlayControl& control = m_playback.control();
    browser::frmMainUi& ui = m_window.ui();
    connect(&control, &playback::PlayControl::playingChanged, this, [this](bool playing) {
        m_playing = playing;
        Q_EMIT changed();
    });
    connect(&control, &playback::PlayControl::nowPlayingChanged, this, &MediaPlayerControl::changed);
    connect(ui.chkRepeat, &QCheckBox::toggled, this, &MediaPlayerControl::changed);
    connect(ui.optRptOne, &QRadioButton::toggled, this, &MediaPlayerControl::changed);
    connect(ui.chkShuffle, &QCheckBox::toggled, this, &MediaPlayerControl::changed);
    connect(ui.nowPlaying, &ui::NowPlayingView::volumeRequested, this, &MediaPlayerControl::changed);
    // The position bar seeks first (it was connected before); then the jump is announced.
    connect(ui.nowPlaying, &ui::NowPlayingView::seekRequested, this, [this] { Q_EMIT seeked(positionMs()); });
    connect(&m_window.songModel(), &QAbstractItemModel::modelReset, this, &MediaPlayerControl::changed);
    if (QItemSelectionModel* selection = ui.lstSong->selectionModel())
        connect(selection, &QItemSelectionModel::selectionChanged, this, &MediaPlayerControl::changed);
}

bool WindowMediaPlayer::started() const
{
    return m_playback.control().nowPlaying().trackIndex >= 0;
}

qint64 WindowMediaPlayer::lengthMs() const
{
    if (!started())
        return 0;
    const qint64 engineLength = m_playback.engine().lengthMs();
    return engineLength > 0 ? engineLength : m_playback.control().nowPlaying().lengthMs;
}

void WindowMediaPlayer::play()
{
    if (status() != PlaybackStatus::Playing)
        m_window.picPlay_Click(); // the play button: resumes, or starts the selected song
}

void WindowMediaPlayer::pause()
{
    if (status() == PlaybackStatus::Playing)
        m_playback.control().pause();
}

void WindowMediaPlayer::playPause()
{
    if (status() == PlaybackStatus::Playing)
        pause();
    else
        play();
}

void WindowMediaPlayer::stop()
{
    if (status() != PlaybackStatus::Stopped)
        m_playback.control().stopSong();
}

void WindowMediaPlayer::next()
{
    m_playback.control().next();
}

void WindowMediaPlayer::previous()
{
    m_playback.control().previous();
}

void WindowMediaPlayer::seekTo(qint64 positionMs)
{
    const qint64 length = lengthMs();
    if (length <= 0)
        return;
    m_playback.control().seekTo(double(positionMs) / double(length));
    Q_EMIT seeked(positionMs);
}

void WindowMediaPlayer::raise()
{
    m_window.mnuShow_Click();
}

void WindowMediaPlayer::quit()
{
    m_window.close(); // as the menu's Exit: the options are saved, the program ends
}

void WindowMediaPlayer::setVolume(double volume)
{
    m_playback.setVolumeFraction(volume);
    Q_EMIT changed();
}

void WindowMediaPlayer::setLoopStatus(LoopStatus loop)
{
    browser::frmMainUi& ui = m_window.ui();
    ui.chkRepeat->setChecked(loop != LoopStatus::None); // stores "Repeat" and enables the choices
    if (loop == LoopStatus::Track && !ui.optRptOne->isChecked())
        ui.optRptOne->click(); // stores "RepeatType"
    else if (loop == LoopStatus::Playlist && !ui.optRptAll->isChecked())
        ui.optRptAll->click();
}

void WindowMediaPlayer::setShuffle(bool shuffle)
{
    m_window.ui().chkShuffle->setChecked(shuffle);
}

PlaybackStatus WindowMediaPlayer::status() const
{
    if (m_playing)
        return PlaybackStatus::Playing;
    return started() && m_playback.control().paused() ? PlaybackStatus::Paused : PlaybackStatus::Stopped;
}

TrackInfo WindowMediaPlayer::track() const
{
    const playback::NowPlaying& now = m_playback.control().nowPlaying();
    TrackInfo info;
    const database::Library& library = m_window.library();
    if (now.trackIndex < 0 || now.trackIndex >= library.TrackCount())
        return info;
    const database::TrackRecord& record = library.Tracks[static_cast<size_t>(now.trackIndex)];
    info.trackIndex = now.trackIndex;
    info.title = now.title;
    info.artist = now.artist;
    info.album = now.album;
    info.genre = now.genre;
    info.trackNumber = record.TrackNumber;
    info.lengthMs = now.lengthMs;
    info.filePath = m_playback.control().devicePath(record.Path);
    if (m_artUrl)
        info.artUrl = m_artUrl(now.trackIndex);
    return info;
}

qint64 WindowMediaPlayer::positionMs() const
{
    return started() ? m_playback.engine().positionMs() : 0;
}

double WindowMediaPlayer::volume() const
{
    return m_playback.volumeFraction();
}

LoopStatus WindowMediaPlayer::loopStatus() const
{
    const browser::frmMainUi& ui = m_window.ui();
    if (!ui.chkRepeat->isChecked())
        return LoopStatus::None;
    return ui.optRptOne->isChecked() ? LoopStatus::Track : LoopStatus::Playlist;
}

bool WindowMediaPlayer::shuffle() const
{
    return m_window.ui().chkShuffle->isChecked();
}

bool WindowMediaPlayer::canPlay() const
{
    return m_window.ui().lstSong->SelectedCount() > 0;
}

bool WindowMediaPlayer::canGoNext() const
{
    return m_window.songModel().rowCount() > 0;
}

bool WindowMediaPlayer::canGoPrevious() const
{
    return m_window.songModel().rowCount() > 0;
}

bool WindowMediaPlayer::canSeek() const
{
    return status() != PlaybackStatus::Stopped && lengthMs() > 0;
}

} // namespace quaverly::desktop
