#pragma once
#include <QString>

namespace quaverly::media {

/// The details written into a copied song. Empty texts and 0 numbers are
/// not written, so whatever the file holds for them stays.
struct SongTags
{
    QString title;
    QString artist;
    QString album;
    QString albumArtist;
    QString genre;
    QString composer;
    QString comment;
    int year = 0;
    int trackNumber = 0;
    int totalTracks = 0;
    int discNumber = 0;
    int totalDiscs = 0;
    int stars = 0; // 1 to 5; 0 writes no rating
};

enum class TagError {
    None,
    Unsupported, // a kind of file tags are not written to (by its extension)
    Unreadable,  // the file cannot be opened for writing, or TagLib cannot read it
    NotSaved,    // TagLib could not save the tags
    Unavailable, // the TagLib module could not be opened
};

struct TagResult
{
    TagError error = TagError::None;
    [[nodiscard]] bool ok() const { return error == TagError::None; }
};

/// Writes `tags` into the song file at `path` with TagLib: title, artist,
/// album, album artist, genre, composer, comment, year, track and disc
/// numbers ("3/12"), and the rating where the format has a usual place for
/// one (ID3v2 POPM, the MP4 "rate" item, a Vorbis comment RATING). Other
/// tags of the file are kept. The kind of file comes from `extension` (the
/// path's own when empty), so a copy under a temporary name can be tagged.
[[nodiscard]] TagResult writeTags(const QString& path, const SongTags& tags, const QString& extension = {});

/// A short reason for a report line ("this kind of file cannot hold tags").
[[nodiscard]] QString describeTagError(TagError error);

} // namespace quaverly::media
