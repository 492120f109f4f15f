#include "tools/demoipod/DemoArt.h"

#include <QFile>
#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/wavfile.h>

namespace quaverly::tools {
namespace {

struct Rgb
{
    double r, g, b;
};

Rgb fromHsv(double hue, double saturation, double value)
{
    const double c = value * saturation;
    const double h = std::fmod(hue, 360.0) / 60.0;
    const double x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1));
    const Rgb steps[] = { { c, x, 0 }, { x, c, 0 }, { 0, c, x }, { 0, x, c }, { x, 0, c }, { c, 0, x } };
    const Rgb& s = steps[std::clamp(int(h), 0, 5)];
    const double m = value - c;
    return { s.r + m, s.g + m, s.b + m };
}

Rgb mix(const Rgb& a, const Rgb& b, double t)
{
    return { a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t };
}

Rgb pixel(int seed, double x, double y)
{
    const double hue = (seed * 47) % 360;
    Rgb colour = mix(fromHsv(hue, 0.55, 0.9), fromHsv(hue + 50 + seed * 11, 0.75, 0.35), (x + y) / 2);
    switch (seed % 3) {
    case 0: { // rings around a point
        const double d = std::hypot(x - 0.38, y - 0.42);
        if (std::sin(d * 60) > 0.55 && d < 0.45)
            colour = mix(colour, { 1, 1, 1 }, 0.35);
        break;
    }
    case 1: // diagonal stripes
        if (int((x - y + 2) * 14) % 2 == 0)
            colour = mix(colour, { 0, 0, 0 }, 0.18);
        break;
    default: // a sun over a horizon
        if (std::hypot(x - 0.62, y - 0.36) < 0.2)
            colour = fromHsv(hue + 180, 0.5, 1.0);
        else if (y > 0.62)
            colour = mix(colour, { 0, 0, 0 }, 0.35);
        break;
    }
    return colour;
}

void chunk(QByteArray& png, const char* type, const QByteArray& data)
{
    char length[4];
    qToBigEndian(static_cast<quint32>(data.size()), length);
    png.append(length, 4);
    const QByteArray body = QByteArray(type, 4) + data;
    png.append(body);
    char crc[4];
    qToBigEndian(static_cast<quint32>(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))),
                 crc);
    png.append(crc, 4);
}

} // namespace

QByteArray makeCoverPng(int seed, int sizePx)
{
    const int rowBytes = sizePx * 3;
    QByteArray raw;
    raw.reserve((rowBytes + 1) * sizePx);
    QByteArray previous(rowBytes, '\0');
    for (int y = 0; y < sizePx; ++y) {
        QByteArray row(rowBytes, Qt::Uninitialized);
        for (int x = 0; x < sizePx; ++x) {
            const Rgb c = pixel(seed, double(x) / sizePx, double(y) / sizePx);
            row[x * 3] = char(std::lround(std::clamp(c.r, 0.0, 1.0) * 255));
            row[x * 3 + 1] = char(std::lround(std::clamp(c.g, 0.0, 1.0) * 255));
            row[x * 3 + 2] = char(std::lround(std::clamp(c.b, 0.0, 1.0) * 255));
        }
        raw.append(char(2)); // "Up" filter: smooth pictures compress well
        for (int i = 0; i < rowBytes; ++i)
            raw.append(char(row[i] - previous[i]));
        previous = row;
    }
    uLongf packedSize = compressBound(uLong(raw.size()));
    QByteArray packed(qsizetype(packedSize), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.constData()),
                  uLong(raw.size()), 9)
        != Z_OK)
        return {};
    packed.resize(qsizetype(packedSize));
    QByteArray header(13, '\0');
    qToBigEndian(static_cast<quint32>(sizePx), header.data());
    qToBigEndian(static_cast<quint32>(sizePx), header.data() + 4);
    header[8] = 8; // bits per sample
    header[9] = 2; // RGB
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", packed);
    chunk(png, "IEND", {});
    return png;
}

bool embedWavCover(const QString& path, const QByteArray& png, const QString& title, const QString& artist,
                   const QString& album)
{
    const QByteArray name = QFile::encodeName(path);
    TagLib::RIFF::WAV::File file(name.constData(), false);
    if (!file.isValid())
        return false;
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag();
    const auto text = [](const QString& s) { return TagLib::String(s.toUtf8().constData(), TagLib::String::UTF8); };
    tag->setTitle(text(title));
    tag->setArtist(text(artist));
    tag->setAlbum(text(album));
    auto* picture = new TagLib::ID3v2::AttachedPictureFrame; // owned by the tag
    picture->setMimeType("image/png");
    picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    picture->setPicture(TagLib::ByteVector(png.constData(), static_cast<unsigned int>(png.size())));
    tag->addFrame(picture);
    return file.save(TagLib::RIFF::WAV::File::ID3v2);
}

} // namespace quaverly::tools
