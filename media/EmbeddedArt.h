#pragma once
#include <QByteArray>
#include <QString>

namespace quaverly::media {

/// A picture as stored in a song file.
struct CoverImage
{
    QByteArray data;
    QString mimeType; // "image/jpeg", "image/png" ... from the bytes themselves when they tell

    [[nodiscard]] bool isEmpty() const { return data.isEmpty(); }
    /// "jpg", "png", "gif", "bmp", "webp", else "img".
    [[nodiscard]] QString extension() const;
};

enum class ArtError {
    None,
    NoArt,       // the file holds no picture
    Unreadable,  // the file cannot be opened or TagLib cannot read it
    Unsupported, // a kind of file pictures are not read from (by its extension)
    Unavailable, // the TagLib module could not be opened (tagLibModuleError says why)
};

struct ArtResult
{
    ArtError error = ArtError::None;
    CoverImage cover;
};

/// The cover embedded in the song file at `path`: an ID3v2 APIC frame (MP3,
/// WAV, AIFF), the MP4 "covr" item (m4a, m4b, m4p, mp4), a FLAC picture
/// block, or an Ogg METADATA_BLOCK_PICTURE. Among several pictures the front
/// cover wins, else the first. The file is opened read-only; the kind is
/// taken from `extension` (the path's own when empty), so a file under a
/// temporary name can be read too. Pictures over 32 MiB count as damage.
[[nodiscard]] ArtResult readEmbeddedArt(const QString& path, const QString& extension = {});

/// The MIME type of picture bytes by their signature; `declared` when the
/// signature is unknown.
[[nodiscard]] QString sniffImageType(const QByteArray& data, const QString& declared = {});

} // namespace quaverly::media
