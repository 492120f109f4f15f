#pragma once
#include "export/SongExtractor.h"
#include "media/TagWriter.h"

#include <vector>

namespace quaverly::database {
struct TrackRecord;
}

namespace quaverly::exporting {

/// The tags a copy of `track` gets: the database's texts (without the
/// "No Artist" / "No Genre" stand-ins for empty ones), year, track and disc
/// numbers, and `stars` as the rating.
[[nodiscard]] media::SongTags tagsForTrack(const database::TrackRecord& track, int stars);

/// Names a cover file may have in an album folder; a folder holding one of
/// them keeps it.
inline constexpr const char* kCoverNames[] = { "cover.jpg", "cover.jpeg", "cover.png", "cover.gif", "cover.bmp" };

/// Gives every album folder of a run a cover: for each folder that received
/// songs (in plan order; not the target folder itself), the first of its
/// songs whose file on the iPod carries a picture lends it, written as
/// "cover.<jpg|png|...>" as stored, atomically. A folder that has a cover
/// file already keeps it. `copied` are the plan's jobs that were copied.
/// `progress` may cancel between folders.
[[nodiscard]] CoverReport writeAlbumCovers(const ExtractPlan& plan, const std::vector<const ExtractJob*>& copied,
                                           const std::function<bool(const QString& folder)>& progress = {});

} // namespace quaverly::exporting
