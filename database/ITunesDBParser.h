#pragma once
#include "database/Library.h"

#include <atomic>

namespace quaverly::database {

class ByteWindow;

/// What the scan met besides the library itself.
struct ParseReport
{
    int unknownChunks = 0;          // runs of unrecognised data inside the sections that are read
    qint64 firstUnknownOffset = -1; // file offset of the first of them
    bool damaged = false;           // a length that cannot be followed stopped the scan early
    qint64 damageOffset = -1;       // file offset of the chunk that stopped it
    bool readFailed = false;        // the file could not be read to its end
    bool cancelled = false;
    bool masterHasTitle = false; // the first playlist had a title chunk (it named the iPod)
};

/// Walks an iTunesDB chunk by chunk (a flat scan that never builds a tree)
/// and fills `library`: tracks in database order with their strings, the
/// playlists (the first, master, playlist named ":: iPod name ::"; a
/// playlist id met again adds nothing), TrackIndexByUIN and every
/// playlist's IndexList. Sections of the database the library has no use for
/// are skipped whole. Damage never throws: the scan stops, keeps what it read
/// and says so in the report. Song file sizes are not looked up here.
[[nodiscard]] ParseReport parseITunesDB(ByteWindow& bytes, Library& library, const std::atomic_bool* cancel = nullptr);

/// Stars (0 to 5) from the database's rating byte (stars x 20): the nearest
/// whole star, halves to even (50 gives 2, 70 gives 4, 90 gives 4).
[[nodiscard]] qint16 starsFromRawRating(int raw);

} // namespace quaverly::database
