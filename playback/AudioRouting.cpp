#include "playback/AudioRouting.h"

#include <QFileInfo>

#include <cmath>

namespace quaverly::playback {

namespace {

bool endsWithAny(const QString& path, std::initializer_list<QLatin1String> suffixes)
{
    for (const QLatin1String& suffix : suffixes) {
        if (path.endsWith(suffix, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

qint64 roundHalfEven(double value)
{
    // nearbyint follows the current rounding mode, which is to-nearest-even by default.
    return static_cast<qint64>(std::nearbyint(value));
}

} // namespace

bool isCopyProtected(const QString& path, const QString& kind)
{
    return kind.contains(QLatin1String("protected"), Qt::CaseInsensitive)
        || endsWithAny(path, { QLatin1String(".m4p") });
}

bool isPlayableFile(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return !info.exists() || info.isFile();
}

bool usesSecondPlayer(const QString& path, const QString& kind)
{
    if (kind.contains(QLatin1String("video"), Qt::CaseInsensitive) || isCopyProtected(path, kind))
        return true;
    return path.endsWith(QLatin1String(".aa"), Qt::CaseSensitive)
        || endsWithAny(path, { QLatin1String(".m4v"), QLatin1String(".mp4"), QLatin1String(".mov") });
}

VideoRoute chooseVideoRoute(const QString& platform)
{
    if (platform == QLatin1String("xcb"))
        return VideoRoute::Embedded;
    if (platform.startsWith(QLatin1String("wayland")))
        return VideoRoute::OwnWindow;
    return VideoRoute::AudioOnly;
}

qint64 timeUnitsToMs(double units, double scale)
{
    if (!(scale > 0) || !std::isfinite(units))
        return 0;
    return roundHalfEven(std::fabs(units / scale * 1000.0));
}

} // namespace quaverly::playback
