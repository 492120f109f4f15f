#pragma once
#include <QString>

#include <vector>

namespace quaverly::database {
class Library;
struct TrackRecord;
} // namespace quaverly::database

namespace quaverly::browser {

class TrackKeys;

/// The twelve fixed columns of the song list, 0-based. Every reader addresses
/// cells by these numbers (Path 5, Type 6, UIN 8, Length 9 ...).
enum class Column {
    Mark = 0, // "#" on the playing song's row, otherwise " "
    Title,
    Artist,
    Album,
    Genre,
    Path,
    Type,
    Rating,
    UIN,
    Length,   // milliseconds
    Filesize, // bytes
    TrackNumber,
};
inline constexpr int kColumnCount = 12;

/// The header text of a column (" " for the mark column), empty outside 0..11.
[[nodiscard]] QString columnHeader(int column);
/// The preference key that keeps a column's width: "Column:" + header + " size".
[[nodiscard]] QString columnWidthKey(int column);
/// True for the columns a header click sorts by number ("Track Number", "Length").
[[nodiscard]] bool isNumericSortColumn(int column);

/// True when `playingFile` (the full path of the file the player opened last)
/// contains the track's path, ignoring letter case. A track without a path
/// never counts as playing.
[[nodiscard]] bool isPlayingTrack(const database::TrackRecord& track, const QString& playingFile);

/// The stars a track shows in the Rating column, as the stars of the
/// now-playing area show them: its entry in `ratings` (by track index, the
/// Play Counts ratings merged over the database's, as
/// mdlPlayCountEditor::getAllRatings gives them) when there is one, else the
/// database's rating.
[[nodiscard]] int shownRating(const database::Library& library, const std::vector<int>& ratings, int track);

/// Records `stars` as the rating `track` shows, filling `ratings` with the
/// database's ratings first where it is shorter than the library.
void setShownRating(const database::Library& library, std::vector<int>& ratings, int track, int stars);

/// The text of one cell of a song row; empty outside 0..11. The Rating cell
/// shows `stars`, or the database's rating when `stars` is negative.
[[nodiscard]] QString songCell(const database::TrackRecord& track, Column column, bool playing, int stars = -1);

/// Sorts rows (track indexes) in the default order: artist, then album (both
/// ignoring letter case, in the user's collation), then track number; stable.
void sortDefault(const database::Library& library, const TrackKeys& keys, std::vector<int>& rows);

/// Sorts rows by one column as a header click does: by number for "Track
/// Number" and "Length", otherwise by the cell texts compared code by code
/// (case-sensitive, upper case before lower case, a prefix first). Stable;
/// `ascending` false reverses the order of unequal rows only. The Rating
/// column sorts by the stars shown (see shownRating).
void sortByColumn(const database::Library& library, std::vector<int>& rows, int column, bool ascending,
                  const QString& playingFile = {}, const std::vector<int>& ratings = {});

} // namespace quaverly::browser
