#include "media/TagWriter.h"

#include "media/taglib/TagLibModule.h"

#include <QFileInfo>

namespace quaverly::media {

TagResult writeTags(const QString& path, const SongTags& tags, const QString& extension)
{
    const TagLibApi* api = loadTagLibModule();
    if (!api)
        return { TagError::Unavailable };
    return api->writeTags(path, tags, (extension.isEmpty() ? QFileInfo(path).suffix() : extension).toLower());
}

QString describeTagError(TagError error)
{
    switch (error) {
    case TagError::None:
        return {};
    case TagError::Unsupported:
        return QStringLiteral("this kind of file cannot hold tags");
    case TagError::Unreadable:
        return QStringLiteral("the copy could not be read for tagging");
    case TagError::NotSaved:
        return QStringLiteral("the tags could not be saved into the copy");
    case TagError::Unavailable:
        return QStringLiteral("tags cannot be written here: ") + tagLibModuleError();
    }
    return {};
}

} // namespace quaverly::media
