#include "database/SongFileSizes.h"

#include "device/DevicePath.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <vector>

namespace quaverly::database {
namespace {

// A file name as a case-folded key. Song names are nearly always ASCII:
// those are folded byte by byte without the general Unicode folding.
QString foldedName(const char* name)
{
    const size_t length = std::strlen(name);
    if (std::any_of(name, name + length, [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return QFile::decodeName(name).toCaseFolded();
    QString key(static_cast<qsizetype>(length), Qt::Uninitialized);
    QChar* out = key.data();
    for (size_t i = 0; i < length; ++i) {
        const char c = name[i];
        out[i] = QChar(char16_t(c >= 'A' && c <= 'Z' ? c + 32 : c));
    }
    return key;
}

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
        struct stat st = {};
        if (::fstatat(fd, entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;
        const QString key = foldedName(entry->d_name);
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

QString SongFileSizes::nativeFolder(const QString& folder) const
{
    return m_root.isEmpty() ? QString() : device::DevicePath(m_root).existing(folder);
}

const SongFileSizes::Listing& SongFileSizes::listing(QStringView folder)
{
    auto it = m_listings.find(folder);
    if (it != m_listings.end())
        return it->second;
    const QString native = nativeFolder(folder.toString());
    return m_listings.emplace(folder.toString(), native.isEmpty() ? Listing() : listFolder<Listing>(native))
        .first->second;
}

void SongFileSizes::prefetch(const QStringList& paths)
{
    std::vector<QString> folders;
    for (const QString& path : paths) {
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        if (slash <= 0)
            continue;
        const QStringView folder = QStringView(path).left(slash);
        // Songs come grouped by folder often enough that comparing with the
        // last one saves most of the set lookups.
        if ((!folders.empty() && folders.back() == folder) || m_listings.contains(folder))
            continue;
        m_listings.emplace(folder.toString(), Listing());
        folders.push_back(folder.toString());
    }
    if (folders.empty())
        return;

    std::vector<QString> natives;
    natives.reserve(folders.size());
    for (const QString& folder : folders)
        natives.push_back(nativeFolder(folder));
    std::vector<Listing> listed(folders.size());

    // Each worker takes the next unlisted folder until none is left; the
    // listings are moved into the map afterwards, on this thread.
    std::atomic<size_t> next { 0 };
    const auto work = [&] {
        for (size_t i = next++; i < natives.size(); i = next++) {
            if (!natives[i].isEmpty())
                listed[i] = listFolder<Listing>(natives[i]);
        }
    };
    const size_t workers = std::min<size_t>(folders.size(),
                                            std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 8));
    std::vector<std::jthread> threads;
    try {
        for (size_t w = 1; w < workers; ++w)
            threads.emplace_back(work);
    } catch (const std::system_error&) {
        // No more threads to be had: the ones started and this one do it all.
    }
    work();
    threads.clear(); // joins
    for (size_t i = 0; i < folders.size(); ++i)
        m_listings[folders[i]] = std::move(listed[i]);
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
