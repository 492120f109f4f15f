#pragma once
#include "database/PlayCountEntries.h"

#include <QString>

#include <optional>
#include <unordered_map>
#include <vector>

namespace quaverly::database {
class Library;
struct TrackRecord;
} // namespace quaverly::database

namespace quaverly::exporting {

/// Turns the iPod's clock readings into Unix times. The iPod keeps local
/// time without a zone: as found, a time is written as if that local time
/// were UTC (what ".scrobbler.log" calls #TZ/UNKNOWN); with a fixed offset or
/// this computer's zone it becomes true UTC.
struct PlayClock
{
    enum class Mode { AsFound, FixedOffset, LocalZone };
    Mode mode = Mode::AsFound;
    int offsetSeconds = 0; // east of UTC, for FixedOffset

    [[nodiscard]] bool isUtc() const { return mode != Mode::AsFound; }
    /// The Unix time of a Mac time (seconds since 1904-01-01 local).
    [[nodiscard]] qint64 toUnix(qint64 macLocalSeconds) const;
    /// "+02:00", "-05:30", "local", or empty for AsFound.
    [[nodiscard]] QString describe() const;
};

/// "+HH:MM" or "-HH:MM" (up to 14 hours, minutes 0-59; "+HH" and "UTC" too)
/// as a fixed offset, "local" as this computer's zone; nullopt otherwise.
[[nodiscard]] std::optional<PlayClock> parseUtcOffset(const QString& text);

/// One play to write.
struct ScrobblePlay
{
    int trackIndex = -1;
    qint64 unixTime = 0;
    bool placedBack = false; // an earlier play whose time was reckoned from the last one
};

/// The play count and last-played time of each track that an earlier export
/// covered, by track index.
using ExportedCounts = std::unordered_map<int, database::PlayCountRecord>;

/// The plays to write and what was left out.
struct PlayCollection
{
    std::vector<ScrobblePlay> plays; // oldest first
    int tracksWithPlays = 0;         // tracks that have at least one play written
    int placedBack = 0;              // plays placed back from their track's last play
    int skippedTracks = 0;           // tracks without artist or title
    int skippedPlays = 0;            // their new plays
    int cappedTracks = 0;            // tracks with more new plays than kMaxPlaysPerTrack
    int cappedPlays = 0;             // the plays left out by that cap
    int untimedPlays = 0;            // plays of tracks whose last-played time is 0
    int damagedEntries = 0;          // entries with an impossible play count, ignored
    int alreadyExported = 0;         // plays an earlier export wrote, left out
    int unmatchedEntries = 0;        // entries beyond the library's tracks, ignored
};

/// No track gets more plays than this in one export; a larger count is a
/// device that was not synced for a very long time or a damaged entry.
inline constexpr quint32 kMaxPlaysPerTrack = 100;

/// A track's artist and title for scrobbling: empty when the database has
/// none (the library shows "No Artist" for an empty artist string).
[[nodiscard]] QString scrobbleArtist(const database::TrackRecord& track);

/// The plays recorded in `entries` (Play Counts, in database order) that are
/// new since `exported` (all of them when it is null). Each track's last
/// play is at its last-played time; its earlier new plays are placed back
/// from it by the track's length each (whole seconds, at least 1), but never
/// back past the last play an earlier export wrote. A play count that fell
/// since that export means the iPod started a new file: every play counts
/// as new then.
[[nodiscard]] PlayCollection collectPlays(const database::Library& library,
                                          const std::vector<database::PlayCountRecord>& entries,
                                          const ExportedCounts* exported, const PlayClock& clock);

} // namespace quaverly::exporting
