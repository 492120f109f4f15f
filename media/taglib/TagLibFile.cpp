#include "media/taglib/TagLibFile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <taglib/aifffile.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/tfilestream.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <unistd.h>

namespace quaverly::media {
namespace {

std::unique_ptr<TagLib::File> fileOfKind(TagLib::IOStream* stream, const QString& extension)
{
    // Audio properties are never needed here: reading them walks the file.
    constexpr bool kProperties = false;
    auto* frames = TagLib::ID3v2::FrameFactory::instance();
    if (extension == u"mp3" || extension == u"mp2" || extension == u"mpga")
        return std::make_unique<TagLib::MPEG::File>(stream, frames, kProperties);
    if (extension == u"m4a" || extension == u"m4b" || extension == u"m4p" || extension == u"mp4" || extension == u"m4v"
        || extension == u"m4r")
        return std::make_unique<TagLib::MP4::File>(stream, kProperties);
    if (extension == u"flac")
        return std::make_unique<TagLib::FLAC::File>(stream, frames, kProperties);
    if (extension == u"wav")
        return std::make_unique<TagLib::RIFF::WAV::File>(stream, kProperties);
    if (extension == u"aif" || extension == u"aiff" || extension == u"aifc")
        return std::make_unique<TagLib::RIFF::AIFF::File>(stream, kProperties);
    if (extension == u"opus")
        return std::make_unique<TagLib::Ogg::Opus::File>(stream, kProperties);
    if (extension == u"ogg" || extension == u"oga") {
        auto vorbis = std::make_unique<TagLib::Ogg::Vorbis::File>(stream, kProperties);
        if (vorbis->isValid())
            return vorbis;
        vorbis.reset();
        stream->seek(0);
        return std::make_unique<TagLib::Ogg::FLAC::File>(stream, kProperties);
    }
    return nullptr;
}

} // namespace

bool TagLibFile::valid() const
{
    return file && file->isValid();
}

TagLibFile openTagLibFile(const QString& path, const QString& extension, bool readOnly)
{
    TagLibFile opened;
    // Opened here rather than by TagLib: never blocking (a FIFO would wait
    // for a writer forever) and only a regular file is handed on.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          (readOnly ? O_RDONLY : O_RDWR) | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return opened;
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || ::fcntl(fd, F_SETFL, 0) != 0) {
        ::close(fd);
        return opened;
    }
    opened.stream = std::make_unique<TagLib::FileStream>(fd, readOnly); // closes the descriptor when done
    if (!opened.stream->isOpen())
        return opened;
    opened.file = fileOfKind(opened.stream.get(), extension.toLower());
    return opened;
}

} // namespace quaverly::media
