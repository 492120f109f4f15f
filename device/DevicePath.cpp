#include "device/DevicePath.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>

namespace quaverly::device {
namespace {

QString joined(const QString& dir, const QString& name)
{
    if (dir.endsWith(QLatin1Char('/')))
        return dir + name;
    return dir + QLatin1Char('/') + name;
}

QString cleanRoot(QString root)
{
    while (root.size() > 1 && root.endsWith(QLatin1Char('/')))
        root.chop(1);
    return root;
}

// Finds the entry of `dir` whose name equals `name` ignoring case; exact match first.
QString matchInDir(const QString& dir, const QString& name)
{
    QString exact = joined(dir, name);
    if (QFileInfo::exists(exact))
        return exact;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        if (it.fileName().compare(name, Qt::CaseInsensitive) == 0)
            return it.filePath();
    }
    return {};
}

} // namespace

DevicePath::DevicePath(QString root)
    : m_root(cleanRoot(std::move(root)))
{
}

std::optional<QStringList> DevicePath::components(const QString& relative)
{
    static const QRegularExpression separators(QStringLiteral("[/\\\\:]"));
    QStringList parts;
    for (const QString& part : relative.split(separators, Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String(".."))
            return std::nullopt;
        parts.append(part);
    }
    return parts;
}

std::optional<QString> DevicePath::resolve(const QString& relative) const
{
    if (m_root.isEmpty())
        return std::nullopt;
    const auto parts = components(relative);
    if (!parts)
        return std::nullopt;
    QString path = m_root;
    bool headExists = true;
    for (const QString& part : *parts) {
        if (headExists) {
            const QString hit = matchInDir(path, part);
            if (!hit.isEmpty()) {
                path = hit;
                continue;
            }
            headExists = false;
        }
        path = joined(path, part);
    }
    return path;
}

QString DevicePath::existing(const QString& relative) const
{
    const auto path = resolve(relative);
    if (!path || !QFileInfo::exists(*path))
        return {};
    return *path;
}

CachedDevicePath::CachedDevicePath(QString root)
    : m_root(cleanRoot(std::move(root)))
{
}

const QHash<QString, CachedDevicePath::Entry>& CachedDevicePath::listing(const QString& dir)
{
    auto it = m_listings.find(dir);
    if (it != m_listings.end())
        return *it;
    QHash<QString, Entry> entries;
    QDirIterator dirIt(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    const QByteArray dirBytes = QFile::encodeName(dir);
    while (dirIt.hasNext()) {
        dirIt.next();
        const QString name = dirIt.fileName();
        Entry entry { name, 0, false };
        struct stat st = {};
        const QByteArray full = dirBytes + '/' + QFile::encodeName(name);
        if (::stat(full.constData(), &st) == 0) {
            entry.isDir = S_ISDIR(st.st_mode);
            entry.size = static_cast<qint64>(st.st_size);
        }
        const QString key = name.toCaseFolded();
        // Exact-case duplicates cannot exist on FAT; on other file systems the first one listed wins.
        if (!entries.contains(key))
            entries.insert(key, entry);
    }
    return *m_listings.emplace(dir, std::move(entries));
}

std::optional<std::pair<QString, CachedDevicePath::Entry>> CachedDevicePath::find(const QString& relative)
{
    if (m_root.isEmpty())
        return std::nullopt;
    const auto parts = DevicePath::components(relative);
    if (!parts || parts->isEmpty())
        return std::nullopt;
    QString path = m_root;
    Entry found;
    for (qsizetype i = 0; i < parts->size(); ++i) {
        const auto& entries = listing(path);
        const auto hit = entries.constFind(parts->at(i).toCaseFolded());
        if (hit == entries.cend())
            return std::nullopt;
        if (i + 1 < parts->size() && !hit->isDir)
            return std::nullopt;
        found = *hit;
        path = joined(path, hit->name);
    }
    return std::make_pair(path, found);
}

QString CachedDevicePath::existing(const QString& relative)
{
    const auto hit = find(relative);
    return hit ? hit->first : QString();
}

qint64 CachedDevicePath::fileSize(const QString& relative)
{
    const auto hit = find(relative);
    if (!hit || hit->second.isDir)
        return -1;
    return hit->second.size;
}

} // namespace quaverly::device
