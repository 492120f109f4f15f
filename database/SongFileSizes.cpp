#include "database/SongFileSizes.h"

#include "startup/DevicePath.h"

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace quaverly::database {
namespace {

// Lists the regular files of a native folder with their sizes.
template <typename Listing> Listing listFolder(const QString& nativeFolder)
{
    Listing files;
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
        files.emplace(key, static_cast<qint64>(st.st_size));
    }
    ::closedir(dir);
    return files;
}

} // namespace

SongFileSizes::SongFileSizes(QString iPodRoot)
    : m_root(std::move(iPodRoot))
{
}

const SongFileSizes::Listing& SongFileSizes::listing(QStringView folder)
{
    auto it = m_listings.find(folder);
    if (it != m_listings.end())
        return it->second;
    const QString native = m_root.isEmpty() ? QString() : startup::DevicePath(m_root).existing(folder.toString());
    return m_listings.emplace(folder.toString(), native.isEmpty() ? Listing() : listFolder<Listing>(native))
        .first->second;
}

qint64 SongFileSizes::fileSize(QStringView path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || slash + 1 >= path.size())
        return -1;
    const Listing& files = listing(path.left(slash));
    const QStringView name = path.mid(slash + 1);
    // Song names are nearly always ASCII: fold those in place without allocating.
    m_folded.resize(name.size());
    bool ascii = true;
    for (qsizetype i = 0; i < name.size() && ascii; ++i) {
        const char16_t c = name[i].unicode();
        ascii = c < 0x80;
        m_folded[i] = QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
    }
    if (!ascii)
        m_folded = name.toString().toCaseFolded();
    const auto hit = files.find(QStringView(m_folded));
    return hit == files.end() ? -1 : hit->second;
}

} // namespace quaverly::database
