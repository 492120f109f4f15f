#include "export/PlayCollector.h"

#include "database/Library.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>

namespace quaverly::exporting {
namespace {

constexpr qint64 kMacEpochToUnix = 2082844800;
constexpr quint32 kDamagedCount = 0x80000000u; // a negative count in the file's signed field
constexpr int kMaxOffsetSeconds = 14 * 3600;

qint64 spacingSeconds(const database::TrackRecord& track)
{
    return std::max<qint64>(1, (qint64(track.Length) + 500) / 1000);
}

struct TrackPlays
{
    quint32 fresh = 0;    // plays new since the earlier export
    quint32 sinceMac = 0; // the earlier export's last play of this track, 0 for none
};

TrackPlays newPlays(const database::PlayCountRecord& now, const ExportedCounts* exported, int index)
{
    if (!exported)
        return { now.playCount, 0 };
    const auto it = exported->find(index);
    if (it == exported->end())
        return { now.playCount, 0 };
    const database::PlayCountRecord& before = it->second;
    if (now.playCount < before.playCount || now.lastPlayedMac < before.lastPlayedMac)
        return { now.playCount, 0 }; // a new Play Counts file: everything in it is new
    return { now.playCount - before.playCount, before.lastPlayedMac };
}

} // namespace

qint64 PlayClock::toUnix(qint64 macLocalSeconds) const
{
    const qint64 asFound = macLocalSeconds - kMacEpochToUnix;
    switch (mode) {
    case Mode::AsFound:
        return asFound;
    case Mode::FixedOffset:
        return asFound - offsetSeconds;
    case Mode::LocalZone: {
        const QDateTime wall = QDateTime::fromSecsSinceEpoch(asFound, QTimeZone::utc());
        return QDateTime(wall.date(), wall.time(), QTimeZone::systemTimeZone()).toSecsSinceEpoch();
    }
    }
    return asFound;
}

QString PlayClock::describe() const
{
    switch (mode) {
    case Mode::AsFound:
        return {};
    case Mode::LocalZone:
        return QStringLiteral("local");
    case Mode::FixedOffset: {
        const int minutes = std::abs(offsetSeconds) / 60;
        return QStringLiteral("%1%2:%3")
            .arg(offsetSeconds < 0 ? QStringLiteral("-") : QStringLiteral("+"))
            .arg(minutes / 60, 2, 10, QLatin1Char('0'))
            .arg(minutes % 60, 2, 10, QLatin1Char('0'));
    }
    }
    return {};
}

std::optional<PlayClock> parseUtcOffset(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("local"), Qt::CaseInsensitive) == 0)
        return PlayClock { PlayClock::Mode::LocalZone, 0 };
    if (t.compare(QLatin1String("UTC"), Qt::CaseInsensitive) == 0 || t == QLatin1String("Z"))
        return PlayClock { PlayClock::Mode::FixedOffset, 0 };
    static const QRegularExpression pattern(QStringLiteral("^([+-])(\\d{1,2})(?::?(\\d{2}))?$"));
    const QRegularExpressionMatch match = pattern.match(t);
    if (!match.hasMatch())
        return std::nullopt;
    const int hours = match.captured(2).toInt();
    const int minutes = match.captured(3).isEmpty() ? 0 : match.captured(3).toInt();
    const int seconds = hours * 3600 + minutes * 60;
    if (minutes > 59 || seconds > kMaxOffsetSeconds)
        return std::nullopt;
    return PlayClock { PlayClock::Mode::FixedOffset, match.captured(1) == QLatin1String("-") ? -seconds : seconds };
}

QString scrobbleArtist(const database::TrackRecord& track)
{
    if (track.Artist.trimmed().isEmpty() || track.Artist == QLatin1String("No Artist"))
        return {};
    return track.Artist;
}

PlayCollection collectPlays(const database::Library& library, const std::vector<database::PlayCountRecord>& entries,
                            const ExportedCounts* exported, const PlayClock& clock)
{
    PlayCollection result;
    const int count = static_cast<int>(entries.size());
    for (int i = 0; i < count; ++i) {
        const database::PlayCountRecord& entry = entries[static_cast<size_t>(i)];
        if (entry.playCount == 0)
            continue;
        if (i >= library.TrackCount()) {
            ++result.unmatchedEntries;
            continue;
        }
        if (entry.playCount >= kDamagedCount) {
            ++result.damagedEntries;
            continue;
        }
        const TrackPlays plays = newPlays(entry, exported, i);
        result.alreadyExported += static_cast<int>(entry.playCount - plays.fresh);
        if (plays.fresh == 0)
            continue;
        const database::TrackRecord& track = library.Tracks[static_cast<size_t>(i)];
        if (scrobbleArtist(track).isEmpty() || track.Title.trimmed().isEmpty()) {
            ++result.skippedTracks;
            result.skippedPlays += static_cast<int>(plays.fresh);
            continue;
        }
        if (entry.lastPlayedMac == 0) {
            result.untimedPlays += static_cast<int>(plays.fresh);
            continue;
        }
        const quint32 written = std::min(plays.fresh, kMaxPlaysPerTrack);
        if (written < plays.fresh) {
            ++result.cappedTracks;
            result.cappedPlays += static_cast<int>(plays.fresh - written);
        }
        qint64 spacing = spacingSeconds(track);
        // The earlier plays happened after the last one the previous export wrote.
        const qint64 window = qint64(entry.lastPlayedMac) - plays.sinceMac;
        if (plays.sinceMac > 0 && written > 1 && spacing * (written - 1) >= window)
            spacing = std::max<qint64>(1, window / written);
        for (quint32 k = 0; k < written; ++k) {
            const qint64 mac = qint64(entry.lastPlayedMac) - spacing * k;
            result.plays.push_back({ i, clock.toUnix(mac), k > 0 });
        }
        result.placedBack += static_cast<int>(written - 1);
        ++result.tracksWithPlays;
    }
    std::stable_sort(result.plays.begin(), result.plays.end(), [](const ScrobblePlay& a, const ScrobblePlay& b) {
        return a.unixTime != b.unixTime ? a.unixTime < b.unixTime : a.trackIndex < b.trackIndex;
    });
    return result;
}

} // namespace quaverly::exporting
