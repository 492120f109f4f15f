// Tags into song files, inside the TagLib module.
#include "media/taglib/TagLibFile.h"
#include "media/taglib/TagLibModule.h"

#include <algorithm>
#include <taglib/aifffile.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/popularimeterframe.h>
#include <taglib/tfilestream.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

namespace quaverly::media {
namespace {

// The e-mail field most players read a POPM rating from, with its 1 to 5 star steps.
constexpr const char* kPopmOwner = "Windows Media Player 9 Series";
constexpr int kPopmStars[] = { 0, 1, 64, 128, 196, 255 };

TagLib::String toTagLib(const QString& text)
{
    return TagLib::String(text.toUtf8().constData(), TagLib::String::UTF8);
}

void put(TagLib::PropertyMap& map, const char* key, const QString& value)
{
    if (!value.trimmed().isEmpty())
        map.replace(key, TagLib::StringList(toTagLib(value)));
}

QString numberPair(int number, int total)
{
    if (number <= 0)
        return {};
    return total > 0 ? QStringLiteral("%1/%2").arg(number).arg(total) : QString::number(number);
}

void setPopm(TagLib::ID3v2::Tag* tag, int stars)
{
    if (!tag)
        return;
    const TagLib::ID3v2::FrameList frames = tag->frameList("POPM");
    for (TagLib::ID3v2::Frame* frame : frames) {
        auto* popm = dynamic_cast<TagLib::ID3v2::PopularimeterFrame*>(frame);
        if (popm && popm->email() == kPopmOwner) {
            popm->setRating(kPopmStars[stars]);
            return;
        }
    }
    auto* popm = new TagLib::ID3v2::PopularimeterFrame; // owned by the tag from here on
    popm->setEmail(kPopmOwner);
    popm->setRating(kPopmStars[stars]);
    tag->addFrame(popm);
}

bool hasOwnRatingPlace(TagLib::File* file)
{
    return dynamic_cast<TagLib::MPEG::File*>(file) || dynamic_cast<TagLib::RIFF::WAV::File*>(file)
        || dynamic_cast<TagLib::RIFF::AIFF::File*>(file) || dynamic_cast<TagLib::MP4::File*>(file);
}

/// The rating in the file's own place: a POPM frame in ID3v2, "rate" in MP4.
void writeOwnRating(TagLib::File* file, int stars)
{
    if (auto* mpeg = dynamic_cast<TagLib::MPEG::File*>(file))
        setPopm(mpeg->ID3v2Tag(true), stars);
    else if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file))
        setPopm(wav->ID3v2Tag(), stars);
    else if (auto* aiff = dynamic_cast<TagLib::RIFF::AIFF::File*>(file))
        setPopm(aiff->tag(), stars);
    else if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file); mp4 && mp4->tag())
        mp4->tag()->setItem("rate", TagLib::MP4::Item(TagLib::StringList(TagLib::String::number(stars * 20))));
}

} // namespace

TagResult writeTagsWithTagLib(const QString& path, const SongTags& tags, const QString& extension)
{
    const TagLibFile opened = openTagLibFile(path, extension, false);
    if (!opened.stream || !opened.stream->isOpen() || opened.stream->readOnly())
        return { TagError::Unreadable };
    if (!opened.file)
        return { TagError::Unsupported };
    if (!opened.file->isValid())
        return { TagError::Unreadable };
    TagLib::File* file = opened.file.get();
    TagLib::PropertyMap map = file->properties();
    put(map, "TITLE", tags.title);
    put(map, "ARTIST", tags.artist);
    put(map, "ALBUM", tags.album);
    put(map, "ALBUMARTIST", tags.albumArtist);
    put(map, "GENRE", tags.genre);
    put(map, "COMPOSER", tags.composer);
    put(map, "COMMENT", tags.comment);
    put(map, "DATE", tags.year > 0 ? QString::number(tags.year) : QString());
    put(map, "TRACKNUMBER", numberPair(tags.trackNumber, tags.totalTracks));
    put(map, "DISCNUMBER", numberPair(tags.discNumber, tags.totalDiscs));
    const int stars = std::clamp(tags.stars, 0, 5);
    const bool ownPlace = hasOwnRatingPlace(file);
    if (stars > 0 && !ownPlace)
        put(map, "RATING", QString::number(stars)); // Vorbis comments, APE: 1 to 5
    file->setProperties(map);
    if (stars > 0 && ownPlace)
        writeOwnRating(file, stars);
    if (!file->save())
        return { TagError::NotSaved };
    return {};
}

} // namespace quaverly::media
