#pragma once
// TagLib's file classes chosen by a song's extension, over a stream whose
// mode the caller decides. Inside the TagLib module only.
#include <QString>

#include <memory>

namespace TagLib {
class File;
class FileStream;
} // namespace TagLib

namespace quaverly::media {

/// A song file opened through TagLib. The stream outlives the file object.
struct TagLibFile
{
    std::unique_ptr<TagLib::FileStream> stream;
    std::unique_ptr<TagLib::File> file;
    [[nodiscard]] bool valid() const;
};

/// Opens `path` as the kind of file its `extension` names (mp3, m4a, m4b,
/// m4p, mp4, flac, wav, aif/aiff, ogg, oga, opus; any letter case). With
/// `readOnly` the file is never opened for writing, so songs on the iPod are
/// read safely. Answers an invalid file for any other kind, or when TagLib
/// cannot make sense of it.
[[nodiscard]] TagLibFile openTagLibFile(const QString& path, const QString& extension, bool readOnly);

} // namespace quaverly::media
