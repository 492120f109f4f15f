// Covers out of song files, inside the TagLib module.
#include "media/taglib/TagLibFile.h"
#include "media/taglib/TagLibModule.h"

#include <taglib/aifffile.h>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/tfilestream.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/xiphcomment.h>

namespace quaverly::media {
namespace {

QByteArray bytesOf(const TagLib::ByteVector& vector)
{
    return QByteArray(vector.data(), static_cast<qsizetype>(vector.size()));
}

CoverImage fromId3(const TagLib::ID3v2::Tag* tag)
{
    if (!tag)
        return {};
    const TagLib::ID3v2::FrameList& frames = tag->frameList("APIC");
    const TagLib::ID3v2::AttachedPictureFrame* chosen = nullptr;
    for (const TagLib::ID3v2::Frame* frame : frames) {
        const auto* picture = dynamic_cast<const TagLib::ID3v2::AttachedPictureFrame*>(frame);
        if (!picture || picture->picture().isEmpty())
            continue;
        if (!chosen
            || (picture->type() == TagLib::ID3v2::AttachedPictureFrame::FrontCover
                && chosen->type() != TagLib::ID3v2::AttachedPictureFrame::FrontCover))
            chosen = picture;
    }
    if (!chosen)
        return {};
    return { bytesOf(chosen->picture()), QString::fromStdString(chosen->mimeType().to8Bit(true)) };
}

CoverImage fromMp4(TagLib::MP4::File& file)
{
    TagLib::MP4::Tag* tag = file.tag();
    if (!tag || !tag->contains("covr"))
        return {};
    for (const TagLib::MP4::CoverArt& art : tag->item("covr").toCoverArtList()) {
        if (art.data().isEmpty())
            continue;
        QString mime;
        switch (art.format()) {
        case TagLib::MP4::CoverArt::JPEG:
            mime = QStringLiteral("image/jpeg");
            break;
        case TagLib::MP4::CoverArt::PNG:
            mime = QStringLiteral("image/png");
            break;
        case TagLib::MP4::CoverArt::GIF:
            mime = QStringLiteral("image/gif");
            break;
        case TagLib::MP4::CoverArt::BMP:
            mime = QStringLiteral("image/bmp");
            break;
        default:
            break;
        }
        return { bytesOf(art.data()), mime };
    }
    return {};
}

CoverImage fromPictures(const TagLib::List<TagLib::FLAC::Picture*>& pictures)
{
    const TagLib::FLAC::Picture* chosen = nullptr;
    for (const TagLib::FLAC::Picture* picture : pictures) {
        if (!picture || picture->data().isEmpty())
            continue;
        if (!chosen
            || (picture->type() == TagLib::FLAC::Picture::FrontCover
                && chosen->type() != TagLib::FLAC::Picture::FrontCover))
            chosen = picture;
    }
    if (!chosen)
        return {};
    return { bytesOf(chosen->data()), QString::fromStdString(chosen->mimeType().to8Bit(true)) };
}

CoverImage fromXiph(TagLib::Ogg::XiphComment* comment)
{
    return comment ? fromPictures(comment->pictureList()) : CoverImage {};
}

CoverImage coverOf(TagLib::File* file)
{
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file))
        return mpeg->hasID3v2Tag() ? fromId3(mpeg->ID3v2Tag()) : CoverImage {};
    if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file))
        return fromMp4(*mp4);
    if (auto* flac = dynamic_cast<TagLib::FLAC::File*>(file)) {
        CoverImage cover = fromPictures(flac->pictureList());
        if (cover.isEmpty() && flac->hasXiphComment())
            cover = fromXiph(flac->xiphComment());
        if (cover.isEmpty() && flac->hasID3v2Tag())
            cover = fromId3(flac->ID3v2Tag());
        return cover;
    }
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file))
        return wav->hasID3v2Tag() ? fromId3(wav->ID3v2Tag()) : CoverImage {};
    if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(file))
        return aiff->hasID3v2Tag() ? fromId3(aiff->tag()) : CoverImage {};
    if (auto* vorbis = dynamic_cast<TagLib::Ogg::Vorbis::File*>(file))
        return fromXiph(vorbis->tag());
    if (auto* opus = dynamic_cast<TagLib::Ogg::Opus::File*>(file))
        return fromXiph(opus->tag());
    if (auto* oggFlac = dynamic_cast<TagLib::Ogg::FLAC::File*>(file))
        return fromXiph(oggFlac->tag());
    return {};
}

} // namespace

ArtResult readArtWithTagLib(const QString& path, const QString& extension)
{
    const TagLibFile opened = openTagLibFile(path, extension, true);
    if (!opened.file)
        return { opened.stream && opened.stream->isOpen() ? ArtError::Unsupported : ArtError::Unreadable, {} };
    if (!opened.file->isValid())
        return { ArtError::Unreadable, {} };
    CoverImage cover = coverOf(opened.file.get());
    return { cover.isEmpty() ? ArtError::NoArt : ArtError::None, cover };
}

} // namespace quaverly::media
