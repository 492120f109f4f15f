#include "desktop/MprisMetadata.h"

#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace quaverly::desktop {

QString mprisServiceName(qint64 pidForSecondInstance)
{
    QString name = QStringLiteral("org.mpris.MediaPlayer2.quaverly");
    if (pidForSecondInstance > 0)
        name += QStringLiteral(".instance") + QString::number(pidForSecondInstance);
    return name;
}

QString trackIdPath(int trackIndex)
{
    if (trackIndex < 0)
        return QLatin1String(kNoTrackPath);
    return QStringLiteral("/org/quaverly/track/") + QString::number(trackIndex);
}

QVariantMap metadataOf(const TrackInfo& track)
{
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"), trackIdPath(track.trackIndex));
    if (track.trackIndex < 0)
        return map;
    const auto text = [&map](const char* key, const QString& value) {
        if (!value.isEmpty())
            map.insert(QLatin1String(key), value);
    };
    const auto list = [&map](const char* key, const QString& value) {
        if (!value.isEmpty())
            map.insert(QLatin1String(key), QStringList { value });
    };
    if (track.lengthMs > 0)
        map.insert(QStringLiteral("mpris:length"), qint64(track.lengthMs * 1000));
    text("xesam:title", track.title);
    list("xesam:artist", track.artist);
    text("xesam:album", track.album);
    list("xesam:genre", track.genre);
    if (track.trackNumber > 0)
        map.insert(QStringLiteral("xesam:trackNumber"), track.trackNumber);
    if (!track.filePath.isEmpty())
        map.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(track.filePath).toString(QUrl::FullyEncoded));
    text("mpris:artUrl", track.artUrl);
    return map;
}

QString statusText(PlaybackStatus status)
{
    switch (status) {
    case PlaybackStatus::Playing:
        return QStringLiteral("Playing");
    case PlaybackStatus::Paused:
        return QStringLiteral("Paused");
    case PlaybackStatus::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

QString loopText(LoopStatus loop)
{
    switch (loop) {
    case LoopStatus::Track:
        return QStringLiteral("Track");
    case LoopStatus::Playlist:
        return QStringLiteral("Playlist");
    case LoopStatus::None:
        break;
    }
    return QStringLiteral("None");
}

std::optional<LoopStatus> loopFromText(const QString& text)
{
    if (text == QLatin1String("None"))
        return LoopStatus::None;
    if (text == QLatin1String("Track"))
        return LoopStatus::Track;
    if (text == QLatin1String("Playlist"))
        return LoopStatus::Playlist;
    return std::nullopt;
}

std::optional<qint64> seekTargetUs(qint64 positionUs, qint64 offsetUs, qint64 lengthUs)
{
    // Saturating: a client may send any 64-bit offset.
    qint64 target = 0;
    if (__builtin_add_overflow(positionUs, offsetUs, &target))
        target = offsetUs > 0 ? std::numeric_limits<qint64>::max() : 0;
    if (target > lengthUs)
        return std::nullopt;
    return std::max<qint64>(target, 0);
}

} // namespace quaverly::desktop
