#include "desktop/dbus/MprisAdaptors.h"

#include "desktop/MediaPlayerControl.h"
#include "desktop/MprisMetadata.h"
#include "desktop/dbus/MprisService.h"

#include <QCoreApplication>

namespace quaverly::desktop {

QVariantMap forBus(QVariantMap metadata)
{
    const QString key = QStringLiteral("mpris:trackid");
    metadata.insert(key, QVariant::fromValue(QDBusObjectPath(metadata.value(key).toString())));
    return metadata;
}

MprisRootAdaptor::MprisRootAdaptor(MprisService& service, QObject* object)
    : QDBusAbstractAdaptor(object)
    , m_service(service)
{
}

QString MprisRootAdaptor::identity() const
{
    return QStringLiteral("Quaverly");
}

QString MprisRootAdaptor::desktopEntry() const
{
    return m_service.m_desktopEntry;
}

void MprisRootAdaptor::Raise()
{
    m_service.m_player.raise();
}

void MprisRootAdaptor::Quit()
{
    m_service.m_player.quit();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService& service, QObject* object)
    : QDBusAbstractAdaptor(object)
    , m_service(service)
{
    connect(&service.m_player, &MediaPlayerControl::seeked, this,
            [this](qint64 positionMs) { Q_EMIT Seeked(positionMs * 1000); });
}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return statusText(m_service.m_player.status());
}

QString MprisPlayerAdaptor::loopStatus() const
{
    return loopText(m_service.m_player.loopStatus());
}

void MprisPlayerAdaptor::setLoopStatus(const QString& loop)
{
    if (const std::optional<LoopStatus> parsed = loopFromText(loop))
        m_service.m_player.setLoopStatus(*parsed);
}

bool MprisPlayerAdaptor::shuffle() const
{
    return m_service.m_player.shuffle();
}

void MprisPlayerAdaptor::setShuffle(bool shuffle)
{
    m_service.m_player.setShuffle(shuffle);
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return forBus(metadataOf(m_service.m_player.track()));
}

double MprisPlayerAdaptor::volume() const
{
    return m_service.m_player.volume();
}

void MprisPlayerAdaptor::setVolume(double volume)
{
    m_service.m_player.setVolume(qBound(0.0, volume, 1.0));
}

qlonglong MprisPlayerAdaptor::position() const
{
    return m_service.m_player.positionMs() * 1000;
}

bool MprisPlayerAdaptor::canGoNext() const
{
    return m_service.m_player.canGoNext();
}

bool MprisPlayerAdaptor::canGoPrevious() const
{
    return m_service.m_player.canGoPrevious();
}

bool MprisPlayerAdaptor::canPlay() const
{
    return m_service.m_player.canPlay();
}

bool MprisPlayerAdaptor::canPause() const
{
    return m_service.m_player.status() != PlaybackStatus::Stopped;
}

bool MprisPlayerAdaptor::canSeek() const
{
    return m_service.m_player.canSeek();
}

void MprisPlayerAdaptor::Next()
{
    m_service.m_player.next();
}

void MprisPlayerAdaptor::Previous()
{
    m_service.m_player.previous();
}

void MprisPlayerAdaptor::Pause()
{
    m_service.m_player.pause();
}

void MprisPlayerAdaptor::PlayPause()
{
    m_service.m_player.playPause();
}

void MprisPlayerAdaptor::Stop()
{
    m_service.m_player.stop();
}

void MprisPlayerAdaptor::Play()
{
    m_service.m_player.play();
}

void MprisPlayerAdaptor::Seek(qlonglong offset)
{
    MediaPlayerControl& player = m_service.m_player;
    if (!player.canSeek())
        return;
    const std::optional<qint64> target = seekTargetUs(player.positionMs() * 1000, offset, player.lengthMs() * 1000);
    if (target)
        player.seekTo(*target / 1000);
    else
        player.next(); // past the end: as if the song had ended
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong position)
{
    MediaPlayerControl& player = m_service.m_player;
    const TrackInfo track = player.track();
    // A stale track id (the song changed meanwhile) or a position outside the song is ignored.
    if (!player.canSeek() || trackId.path() != trackIdPath(track.trackIndex) || position < 0
        || position > player.lengthMs() * 1000)
        return;
    player.seekTo(position / 1000);
}

void MprisPlayerAdaptor::OpenUri(const QString&)
{
    // SupportedUriSchemes is empty: songs are chosen from the iPod's library only.
}

} // namespace quaverly::desktop
