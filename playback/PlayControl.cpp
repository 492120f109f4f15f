#include "playback/PlayControl.h"

#include "database/Library.h"
#include "device/DeviceGuard.h"
#include "playback/AudioEngine.h"
#include "playback/PlayOrder.h"

#include <cmath>

namespace quaverly::playback {

QString failureText(PlaybackError error)
{
    switch (error) {
    case PlaybackError::None:
        return {};
    case PlaybackError::FileNotFound:
        return QStringLiteral("File not found on the iPod");
    case PlaybackError::CannotDecode:
        return QStringLiteral("Cannot play this file");
    case PlaybackError::CopyProtected:
        return QStringLiteral("Cannot play this file: it is copy-protected");
    case PlaybackError::NoAudioOutput:
        return QStringLiteral("No sound device could be opened");
    case PlaybackError::PlayerUnavailable:
        return QStringLiteral("No player for this kind of file is available");
    }
    return {};
}

PlayControl::PlayControl(AudioEngine& engine, const database::Library& library, database::mdlPlayCountEditor playCounts,
                         SongListAccess& songs, QObject* parent)
    : QObject(parent)
    , m_engine(engine)
    , m_library(library)
    , m_playCounts(std::move(playCounts))
    , m_songs(songs)
{
    connect(&m_engine, &AudioEngine::songEnded, this, &PlayControl::onSongEnded);
}

int PlayControl::currentTrack() const
{
    return m_now.trackIndex >= 0 && m_now.trackIndex < m_library.TrackCount() ? m_now.trackIndex : -1;
}

QString PlayControl::devicePath(const QString& relative) const
{
    // A location that leaves the iPod (by "..", or through a link) or names no
    // regular file gives no path: the engine reports the song as not found.
    return device::songPathForPlayer(m_library.iPodRoot, relative);
}

void PlayControl::setPlaying(bool playing)
{
    Q_EMIT playingChanged(playing);
}

void PlayControl::play()
{
    if (m_songs.selectedRows().empty() || refusedForGoneDevice())
        return;
    m_failuresInRow = 0;
    // Resume only what is really paused: after a pause on a song that had
    // already ended or failed there is nothing to resume, so play afresh.
    if (!m_paused || m_engine.state() != BackendState::Paused) {
        playSelected(false);
        return;
    }
    m_engine.resume();
    m_paused = false;
    setPlaying(true);
}

void PlayControl::pause()
{
    setPlaying(false);
    m_engine.pause();
    m_paused = true;
}

void PlayControl::playSelected(bool keepHistory)
{
    if (refusedForGoneDevice())
        return;
    m_paused = false;
    const std::vector<int> selected = m_songs.selectedRows();
    if (selected.empty())
        return;
    const int row = selected.front();
    const int track = m_songs.trackAt(row);
    if (track < 0 || track >= m_library.TrackCount())
        return;
    if (!keepHistory)
        m_history.append(m_library.Tracks[static_cast<size_t>(track)].Path);
    m_nowPlayingRow = row;
    startTrack(track, true);
    m_autoAdvance = true;
}

void PlayControl::startTrack(int trackIndex, bool popup)
{
    const database::TrackRecord& t = m_library.Tracks[static_cast<size_t>(trackIndex)];
    m_now = NowPlaying { trackIndex, t.UIN, t.Title, t.Artist, t.Album, t.Genre, t.Length };
    m_paused = false;
    openTrackFile(t.Path, t.FileType);
    setPlaying(true);
    Q_EMIT nowPlayingChanged(m_now, popup);
}

void PlayControl::openTrackFile(const QString& relative, const QString& kind)
{
    m_counted = false;
    m_engine.open(devicePath(relative), kind);
}

int PlayControl::currentRow() const
{
    if (m_nowPlayingRow >= 0 && m_nowPlayingRow < m_songs.rowCount())
        return m_nowPlayingRow;
    const std::vector<int> selected = m_songs.selectedRows();
    return selected.empty() ? -1 : selected.front();
}

void PlayControl::next()
{
    m_failuresInRow = 0;
    advance();
}

void PlayControl::advance()
{
    if (m_repeat && m_repeatOne) {
        playSelected(false);
        return;
    }
    if (m_songs.selectedRows().empty())
        return;
    const int rows = m_songs.rowCount();
    const int current = currentRow();
    if (current < 0 || rows <= 0)
        return;
    if (current >= rows - 1) {
        if (m_repeat) {
            // Repeat all starts the list again and goes on from there.
            m_songs.setRowSelected(current, false);
            m_songs.setRowSelected(0, true);
            playSelected(false);
        } else {
            m_autoAdvance = false;
        }
        return;
    }
    m_songs.setRowSelected(current, false);
    const int next = m_shuffle ? shuffleRow(shuffleSeed(m_shuffleTick, m_now.uin), rows) : current + 1;
    m_songs.setRowSelected(next, true);
    playSelected(false);
}

void PlayControl::previous()
{
    m_failuresInRow = 0;
    if (m_history.size() >= 2) {
        m_history.removeLast();
        playPath(m_history.constLast());
        return;
    }
    const std::vector<int> selected = m_songs.selectedRows();
    if (selected.empty() || selected.front() <= 0)
        return;
    const int first = selected.front();
    m_songs.setRowSelected(first - 1, true);
    m_songs.setRowSelected(first, false);
    Q_EMIT doubleClickActionRequested();
}

bool PlayControl::playPath(const QString& path)
{
    if (refusedForGoneDevice())
        return false;
    int found = -1;
    for (int i = 0; i < m_library.TrackCount(); ++i) {
        if (m_library.Tracks[static_cast<size_t>(i)].Path.compare(path, Qt::CaseInsensitive) == 0) {
            found = i;
            break;
        }
    }
    if (found >= 0)
        startTrack(found, false);
    for (const int row : m_songs.selectedRows())
        m_songs.setRowSelected(row, false);
    for (int row = 0; row < m_songs.rowCount(); ++row) {
        const int track = m_songs.trackAt(row);
        if (track >= 0 && track < m_library.TrackCount()
            && m_library.Tracks[static_cast<size_t>(track)].Path.compare(path, Qt::CaseInsensitive) == 0)
            m_songs.setRowSelected(row, true);
    }
    return found >= 0;
}

void PlayControl::seekTo(double fraction)
{
    const qint64 length = m_engine.lengthMs();
    if (length >= 1)
        m_engine.seek(std::llround(qBound(0.0, fraction, 1.0) * static_cast<double>(length)));
}

void PlayControl::stop()
{
    m_autoAdvance = false;
}

void PlayControl::stopSong()
{
    m_autoAdvance = false;
    m_paused = false;
    m_counted = true;
    m_engine.stop();
    setPlaying(false);
}

void PlayControl::setDeviceGone(const QString& reason)
{
    m_goneReason = reason.isEmpty() ? QStringLiteral("The iPod is not there any more") : reason;
    m_counted = true; // whatever was playing is not written as played
}

bool PlayControl::refusedForGoneDevice()
{
    if (!deviceGone())
        return false;
    m_autoAdvance = false;
    Q_EMIT playbackFailed(m_goneReason, PlaybackError::FileNotFound);
    return true;
}

void PlayControl::countPlay()
{
    if (m_counted || deviceGone())
        return;
    m_counted = true;
    const int index = currentTrack();
    if (index < 0) {
        Q_EMIT playCounted(index, database::PlayCountError::BadIndex);
        return;
    }
    const database::PlayCountError stamped = m_playCounts.StampLastPlayed(index);
    const database::PlayCountError counted = m_playCounts.IncrementPlayCount(index);
    const bool stampMatters = stamped != database::PlayCountError::None
        && stamped != database::PlayCountError::NotSupported;
    Q_EMIT playCounted(index, counted != database::PlayCountError::None ? counted : (stampMatters ? stamped : counted));
}

void PlayControl::onSongEnded(EndReason reason, PlaybackError error, const QString& path)
{
    if (path != m_engine.currentFile())
        return; // a song that was replaced in the meantime
    if (reason == EndReason::EndOfFile) {
        m_failuresInRow = 0;
        countPlay();
    } else if (error == PlaybackError::PlayerUnavailable && m_engine.players() == AudioEngine::Players::Unavailable) {
        // Nothing can be played here (libmpv is missing): say what is
        // missing once and do not try the rest of the list.
        m_counted = true;
        m_autoAdvance = false;
        setPlaying(false);
        Q_EMIT playbackFailed(m_engine.unavailableText(), error);
        Q_EMIT playbackStopped(m_engine.unavailableText());
        return;
    } else {
        ++m_failuresInRow;
        m_counted = true; // a failed start never counts
        Q_EMIT playbackFailed(failureText(error), error);
        if (m_failuresInRow >= kMaxFailuresInRow) {
            m_autoAdvance = false;
            setPlaying(false);
            Q_EMIT playbackStopped(
                QStringLiteral("Playback stopped: %1 songs in a row could not be played").arg(m_failuresInRow));
            return;
        }
    }
    const QString before = m_engine.currentFile();
    if (m_autoAdvance && !m_paused)
        advance();
    if (m_engine.currentFile() == before && m_engine.playState() != PlayState::Playing)
        setPlaying(false); // nothing new started: show the play button
}

} // namespace quaverly::playback
