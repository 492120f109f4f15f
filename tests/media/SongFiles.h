#pragma once
// Small song files of every kind the iPod holds, made by hand (no encoder),
// and pictures put into them with TagLib's own classes, so the fixtures do
// not depend on the code under test.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <taglib/attachedpictureframe.h>
#include <taglib/flacfile.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/mp4coverart.h>
#include <taglib/mp4file.h>
#include <taglib/mpegfile.h>
#include <taglib/wavfile.h>

namespace quaverly::media::test {

inline void be32(QByteArray& out, quint32 value)
{
    char raw[4];
    qToBigEndian(value, raw);
    out.append(raw, 4);
}

inline void le32(QByteArray& out, quint32 value)
{
    char raw[4];
    qToLittleEndian(value, raw);
    out.append(raw, 4);
}

/// Twenty silent MPEG-1 layer III frames (128 kbit/s, 44.1 kHz).
inline QByteArray mp3Bytes()
{
    QByteArray frame(417, '\0');
    frame[0] = char(0xff);
    frame[1] = char(0xfb);
    frame[2] = char(0x90);
    frame[3] = char(0x64);
    return frame.repeated(20);
}

/// An MP4 audio file with a movie header and no tags.
inline QByteArray m4aBytes()
{
    QByteArray out;
    be32(out, 28);
    out += "ftypM4A ";
    be32(out, 0);
    out += "M4A mp42isom";
    QByteArray mvhd;
    be32(mvhd, 108);
    mvhd += "mvhd";
    mvhd += QByteArray(12, '\0');
    be32(mvhd, 1000); // time scale
    be32(mvhd, 1000); // duration
    be32(mvhd, 0x00010000);
    mvhd += QByteArray(108 - mvhd.size(), '\0');
    be32(out, 8 + 108);
    out += "moov" + mvhd;
    be32(out, 8 + 64);
    out += "mdat" + QByteArray(64, '\0');
    return out;
}

/// A FLAC file: the stream info block and a little (silent) data.
inline QByteArray flacBytes()
{
    QByteArray out = "fLaC";
    out += char(0x80); // last metadata block, STREAMINFO
    out += QByteArray("\x00\x00\x22", 3);
    QByteArray info(34, '\0');
    info[0] = 0x10; // min block size 4096
    info[2] = 0x10; // max block size 4096
    // 44100 Hz, 2 channels, 16 bits: 0x0AC44 << 12 | (2-1) << 9 | (16-1) << 4
    info[10] = char(0x0a);
    info[11] = char(0xc4);
    info[12] = char(0x42);
    info[13] = char(0xf0);
    out += info;
    out += QByteArray(256, '\0');
    return out;
}

/// A short mono 16-bit WAV file.
inline QByteArray wavBytes()
{
    QByteArray data(8000, '\0');
    QByteArray out = "RIFF";
    le32(out, 36 + quint32(data.size()));
    out += "WAVEfmt ";
    le32(out, 16);
    out += QByteArray("\x01\x00\x01\x00", 4);
    le32(out, 8000);
    le32(out, 16000);
    out += QByteArray("\x02\x00\x10\x00", 4);
    out += "data";
    le32(out, quint32(data.size()));
    return out + data;
}

inline bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline TagLib::ByteVector vector(const QByteArray& bytes)
{
    return TagLib::ByteVector(bytes.constData(), static_cast<unsigned int>(bytes.size()));
}

inline TagLib::ID3v2::AttachedPictureFrame* apic(const QByteArray& picture, const char* mime,
                                                 TagLib::ID3v2::AttachedPictureFrame::Type type)
{
    auto* frame = new TagLib::ID3v2::AttachedPictureFrame; // the tag takes it
    frame->setMimeType(mime);
    frame->setType(type);
    frame->setPicture(vector(picture));
    return frame;
}

/// Adds a picture (in the kind's own way) to the song at `path`; true when saved.
inline bool addPicture(const QString& path, const QString& kind, const QByteArray& picture, const char* mime,
                       bool frontCover = true)
{
    const QByteArray name = QFile::encodeName(path);
    const auto id3Type = frontCover ? TagLib::ID3v2::AttachedPictureFrame::FrontCover
                                    : TagLib::ID3v2::AttachedPictureFrame::Artist;
    if (kind == QLatin1String("mp3")) {
        TagLib::MPEG::File file(name.constData(), false);
        file.ID3v2Tag(true)->addFrame(apic(picture, mime, id3Type));
        return file.save();
    }
    if (kind == QLatin1String("wav")) {
        TagLib::RIFF::WAV::File file(name.constData(), false);
        file.ID3v2Tag()->addFrame(apic(picture, mime, id3Type));
        return file.save();
    }
    if (kind == QLatin1String("m4a")) {
        TagLib::MP4::File file(name.constData(), false);
        if (!file.isValid())
            return false;
        const auto format = QByteArray(mime) == "image/png" ? TagLib::MP4::CoverArt::PNG : TagLib::MP4::CoverArt::JPEG;
        TagLib::MP4::CoverArtList list = file.tag()->item("covr").toCoverArtList();
        list.append(TagLib::MP4::CoverArt(format, vector(picture)));
        file.tag()->setItem("covr", list);
        return file.save();
    }
    if (kind == QLatin1String("flac")) {
        TagLib::FLAC::File file(name.constData(), false);
        if (!file.isValid())
            return false;
        auto* block = new TagLib::FLAC::Picture; // the file takes it
        block->setMimeType(mime);
        block->setType(frontCover ? TagLib::FLAC::Picture::FrontCover : TagLib::FLAC::Picture::Artist);
        block->setData(vector(picture));
        file.addPicture(block);
        return file.save();
    }
    return false;
}

/// Bytes that start like a JPEG or a PNG (enough for the code that sniffs them).
inline QByteArray fakeJpeg(char fill = 'j')
{
    return QByteArray("\xff\xd8\xff\xe0", 4) + QByteArray(600, fill);
}
inline QByteArray fakePng(char fill = 'p')
{
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(600, fill);
}

} // namespace quaverly::media::test
