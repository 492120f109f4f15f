#include "database/SongFileSizes.h"

#include "startup/DevicePath.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace quaverly::database {
namespace {

// Lists the regular files of a native folder with their sizes.
QHash<QString, qint64> listFolder(const QString& nativeFolder)
{
    QHash<QString, qint64> files;
    DIR* dir = ::opendir(QFile::encodeName(nativeFolder).constData());
    if (!dir)
        return files;
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_type != DT_REG && entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
            continue;
        struct stat st {};
        if (::fstatat(fd, entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;
        const QString key = QFile::decodeName(entry->d_name).toCaseFolded();
        // On a case-sensitive copy of an iPod two spellings may exist; the first listed wins.
        if (!files.contains(key))
            files.insert(key, static_cast<qint64>(st.st_size));
    }
    ::closedir(dir);
    return files;
}

} // namespace

SongFileSizes::SongFileSizes(QString iPodRoot)
    : m_root(std::move(iPodRoot))
{
}

const SongFileSizes::Listing& SongFileSizes::listing(const QString& folder)
{
    auto it = m_listings.constFind(folder);
    if (it != m_listings.cend())
        return *it;
    const QString native = m_root.isEmpty() ? QString() : startup::DevicePath(m_root).existing(folder);
    return *m_listings.insert(folder, native.isEmpty() ? Listing() : listFolder(native));
}

qint64 SongFileSizes::fileSize(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || slash + 1 >= path.size())
        return -1;
    const Listing& files = listing(path.left(slash));
    return files.value(path.mid(slash + 1).toCaseFolded(), -1);
}

} // namespace quaverly::database
