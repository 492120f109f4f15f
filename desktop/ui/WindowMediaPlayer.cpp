#include "desktop/ui/WindowMediaPlayer.h"

#include "database/Library.h"
#include "playback/AudioEngine.h"
#include "playback/PlayControl.h"
#include "ui/widgets/NowPlayingView.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>
#include <QWidget>

#include <cmath>

namespace quaverly::desktop {

WindowMediaPlayer::WindowMediaPlayer(DesktopPlace window, QObject* parent)
    : MediaPlayerControl(parent)
    , m_window(std::move(window))
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
    const playback::PlayControl* control = m_window.control;
    connect(control, &playback::PlayControl::playingChanged, this, [this](bool playing) {
        m_playing = playing;
        Q_EMIT changed();
    });
    connect(control, &playback::PlayControl::nowPlayingChanged, this, &MediaPlayerControl::changed);
    const ui::NowPlayingView* view = m_window.nowPlaying;
    connect(view, &ui::NowPlayingView::repeatToggled, this, &MediaPlayerControl::changed);
    connect(view, &ui::NowPlayingView::repeatTypeChosen, this, &MediaPlayerControl::changed);
    connect(view, &ui::NowPlayingView::shuffleToggled, this, &MediaPlayerControl::changed);
    connect(view, &ui::NowPlayingView::volumeRequested, this, &MediaPlayerControl::changed);
    // The position bar seeks first (it was connected before); then the jump is announced.
    connect(view, &ui::NowPlayingView::seekRequested, this, [this] { Q_EMIT seeked(positionMs()); });
    connect(m_window.songModel, &QAbstractItemModel::modelReset, this, &MediaPlayerControl::changed);
    if (m_window.songSelection)
        connect(m_window.songSelection, &QItemSelectionModel::selectionChanged, this, &MediaPlayerControl::changed);
}

bool WindowMediaPlayer::started() const
{
    return m_window.control->nowPlaying().trackIndex >= 0;
}

qint64 WindowMediaPlayer::lengthMs() const
{
    if (!started())
        return 0;
    const qint64 engineLength = m_window.engine->lengthMs();
    return engineLength > 0 ? engineLength : m_window.control->nowPlaying().lengthMs;
}

void WindowMediaPlayer::play()
{
    if (status() != PlaybackStatus::Playing)
        m_window.play(); // the play button: resumes, or starts the selected song
}

void WindowMediaPlayer::pause()
{
    if (status() == PlaybackStatus::Playing)
        m_window.control->pause();
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
        m_window.control->stopSong();
}

void WindowMediaPlayer::next()
{
    m_window.control->next();
}

void WindowMediaPlayer::previous()
{
    m_window.control->previous();
}

void WindowMediaPlayer::seekTo(qint64 positionMs)
{
    const qint64 length = lengthMs();
    if (length <= 0)
        return;
    m_window.control->seekTo(double(positionMs) / double(length));
    Q_EMIT seeked(positionMs);
}

void WindowMediaPlayer::raise()
{
    m_window.raise();
}

void WindowMediaPlayer::quit()
{
    m_window.window->close(); // as the menu's Exit: the options are saved, the program ends
}

void WindowMediaPlayer::setVolume(double volume)
{
    m_window.setVolume(volume);
    Q_EMIT changed();
}

void WindowMediaPlayer::setLoopStatus(LoopStatus loop)
{
    // As the boxes would be used: "Repeat" and "RepeatType" are stored as the user's choice.
    m_window.nowPlaying->chooseRepeat(loop != LoopStatus::None, loop == LoopStatus::Track);
}

void WindowMediaPlayer::setShuffle(bool shuffle)
{
    m_window.nowPlaying->chooseShuffle(shuffle);
}

PlaybackStatus WindowMediaPlayer::status() const
{
    if (m_playing)
        return PlaybackStatus::Playing;
    return started() && m_window.control->paused() ? PlaybackStatus::Paused : PlaybackStatus::Stopped;
}

TrackInfo WindowMediaPlayer::track() const
{
    const playback::NowPlaying& now = m_window.control->nowPlaying();
    TrackInfo info;
    const database::Library& library = *m_window.library;
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
    info.filePath = m_window.control->devicePath(record.Path);
    if (m_artUrl)
        info.artUrl = m_artUrl(now.trackIndex);
    return info;
}

qint64 WindowMediaPlayer::positionMs() const
{
    return started() ? m_window.engine->positionMs() : 0;
}

double WindowMediaPlayer::volume() const
{
    return m_window.volume();
}

LoopStatus WindowMediaPlayer::loopStatus() const
{
    const ui::PlayOrder order = m_window.nowPlaying->playOrder();
    if (!order.repeat)
        return LoopStatus::None;
    return order.repeatOne ? LoopStatus::Track : LoopStatus::Playlist;
}

bool WindowMediaPlayer::shuffle() const
{
    return m_window.nowPlaying->playOrder().shuffle;
}

bool WindowMediaPlayer::canPlay() const
{
    return m_window.songSelection && m_window.songSelection->hasSelection();
}

bool WindowMediaPlayer::canGoNext() const
{
    return m_window.songModel->rowCount() > 0;
}

bool WindowMediaPlayer::canGoPrevious() const
{
    return m_window.songModel->rowCount() > 0;
}

bool WindowMediaPlayer::canSeek() const
{
    return status() != PlaybackStatus::Stopped && lengthMs() > 0;
}

} // namespace quaverly::desktop
