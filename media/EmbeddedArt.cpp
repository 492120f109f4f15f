#include "media/EmbeddedArt.h"

#include "media/taglib/TagLibModule.h"

#include <QFileInfo>

namespace quaverly::media {
namespace {

constexpr qsizetype kMaxPictureBytes = qsizetype(32) << 20;

} // namespace

QString CoverImage::extension() const
{
    if (mimeType == u"image/jpeg")
        return QStringLiteral("jpg");
    if (mimeType == u"image/png")
        return QStringLiteral("png");
    if (mimeType == u"image/gif")
        return QStringLiteral("gif");
    if (mimeType == u"image/bmp")
        return QStringLiteral("bmp");
    if (mimeType == u"image/webp")
        return QStringLiteral("webp");
    return QStringLiteral("img");
}

QString sniffImageType(const QByteArray& data, const QString& declared)
{
    if (data.startsWith("\xff\xd8\xff"))
        return QStringLiteral("image/jpeg");
    if (data.startsWith("\x89PNG\r\n\x1a\n"))
        return QStringLiteral("image/png");
    if (data.startsWith("GIF87a") || data.startsWith("GIF89a"))
        return QStringLiteral("image/gif");
    if (data.startsWith("BM"))
        return QStringLiteral("image/bmp");
    if (data.size() >= 12 && data.startsWith("RIFF") && data.mid(8, 4) == "WEBP")
        return QStringLiteral("image/webp");
    const QString lower = declared.trimmed().toLower();
    if (lower == u"jpg" || lower == u"jpeg" || lower == u"image/jpg")
        return QStringLiteral("image/jpeg");
    if (lower == u"png")
        return QStringLiteral("image/png");
    return lower;
}

ArtResult readEmbeddedArt(const QString& path, const QString& extension)
{
    const TagLibApi* api = loadTagLibModule();
    if (!api)
        return { ArtError::Unavailable, {} };
    const QString kind = (extension.isEmpty() ? QFileInfo(path).suffix() : extension).toLower();
    ArtResult result = api->readArt(path, kind);
    if (result.error != ArtError::None)
        return { result.error, {} };
    if (result.cover.data.size() > kMaxPictureBytes)
        return { ArtError::NoArt, {} };
    result.cover.mimeType = sniffImageType(result.cover.data, result.cover.mimeType);
    return result;
}

} // namespace quaverly::media
