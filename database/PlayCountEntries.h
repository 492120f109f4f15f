#pragma once
#include <QString>

#include <vector>

namespace quaverly::database {

/// What the iPod recorded for one track since its last sync.
struct PlayCountRecord
{
    quint32 playCount = 0;     // plays since the last sync
    quint32 lastPlayedMac = 0; // seconds since 1904-01-01 00:00 on the iPod's clock (local time); 0 for none
};

/// Why the entries could not be read.
enum class PlayCountsReadError {
    None,
    NotFound,      // no Play Counts file
    Unreadable,    // it exists but cannot be read
    NotPlayCounts, // no "mhdp", or an entry size below 12 or far above any device's
};

/// Every entry of a Play Counts file, in database order (entry i belongs to
/// library track i). Entries the file claims but does not hold are left out,
/// so `entries` may be shorter than the library.
struct PlayCountSnapshot
{
    PlayCountsReadError error = PlayCountsReadError::None;
    int entrySize = -1;
    qint64 claimedEntries = 0; // the entry count the header states (the database's track count)
    std::vector<PlayCountRecord> entries;
};

/// Reads the whole Play Counts file at `path` once, read-only. The play count
/// is taken from every entry size (12, 16, 20, 28, 40 bytes ...), the
/// last-played time from the same offset 4 in all of them.
[[nodiscard]] PlayCountSnapshot readPlayCountEntries(const QString& path);

} // namespace quaverly::database
