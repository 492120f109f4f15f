#include "device/DeviceGuard.h"

#include "device/DevicePath.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quaverly::device {
namespace {

constexpr int kMaxLinks = 40; // as the kernel's own limit on links in one lookup

QByteArray absoluteBytes(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QString absolute = QDir::isAbsolutePath(path) ? path : QDir::currentPath() + QLatin1Char('/') + path;
    return QFile::encodeName(absolute);
}

QByteArray joinBytes(const QByteArray& folder, const QByteArray& name)
{
    if (folder.endsWith('/'))
        return folder + name;
    return folder + '/' + name;
}

// Splits at the last '/': "/a/b" -> "/a", "b"; "/a" -> "/", "a".
std::pair<QByteArray, QByteArray> splitLast(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray parent = slash > 0 ? path.left(slash) : QByteArray("/");
    return { parent, path.mid(slash + 1) };
}

QByteArray readLink(const QByteArray& link)
{
    QByteArray target(PATH_MAX, Qt::Uninitialized);
    const ssize_t size = ::readlink(link.constData(), target.data(), static_cast<size_t>(target.size()));
    if (size <= 0 || size >= target.size())
        return {};
    target.truncate(size);
    return target;
}

QByteArray realBytes(const QByteArray& path, int& links)
{
    char buffer[PATH_MAX];
    if (::realpath(path.constData(), buffer) != nullptr)
        return QByteArray(buffer);
    const int error = errno;
    if (error != ENOENT && error != ENOTDIR)
        return {}; // a loop of links, no permission to look, a name too long
    auto [parent, name] = splitLast(path);
    struct stat info = {};
    if (::lstat(path.constData(), &info) == 0 && S_ISLNK(info.st_mode)) {
        // A link to nothing: where it points is where a write would land.
        if (++links > kMaxLinks)
            return {};
        const QByteArray target = readLink(path);
        if (target.isEmpty())
            return {};
        return realBytes(target.startsWith('/') ? target : joinBytes(parent, target), links);
    }
    if (name == "..")
        return {}; // ".." after a missing folder: the kernel would refuse it too
    const QByteArray realParent = realBytes(parent, links);
    if (realParent.isEmpty() || name.isEmpty() || name == ".")
        return realParent;
    return joinBytes(realParent, name);
}

} // namespace

DeviceGuard::DeviceGuard(const QString& iPodRoot)
{
    if (iPodRoot.isEmpty())
        return;
    struct stat info = {};
    const QString real = realPath(iPodRoot);
    if (!real.isEmpty() && ::stat(QFile::encodeName(real).constData(), &info) == 0 && S_ISDIR(info.st_mode))
        m_realRoot = real;
}

QString DeviceGuard::realPath(const QString& path)
{
    const QByteArray bytes = absoluteBytes(path);
    if (bytes.isEmpty())
        return {};
    int links = 0;
    return QFile::decodeName(realBytes(bytes, links));
}

bool DeviceGuard::containsReal(const QString& realPath) const
{
    if (m_realRoot.isEmpty() || realPath.isEmpty())
        return false;
    if (m_realRoot == QLatin1String("/"))
        return realPath.startsWith(QLatin1Char('/'));
    return realPath == m_realRoot
        || (realPath.startsWith(m_realRoot) && realPath.at(m_realRoot.size()) == QLatin1Char('/'));
}

QString DeviceGuard::realFolder(const QString& folder) const
{
    auto it = m_folders.constFind(folder);
    if (it == m_folders.constEnd())
        it = m_folders.insert(folder, realPath(folder));
    return *it;
}

QString DeviceGuard::inside(const QString& path) const
{
    if (m_realRoot.isEmpty())
        return {};
    const QByteArray bytes = absoluteBytes(path);
    const auto [parent, name] = splitLast(bytes);
    QString real;
    struct stat info = {};
    if (name.isEmpty() || name == "." || name == ".."
        || (::lstat(bytes.constData(), &info) == 0 && S_ISLNK(info.st_mode))) {
        real = realPath(QFile::decodeName(bytes));
    } else {
        const QString folder = realFolder(QFile::decodeName(parent));
        if (!folder.isEmpty())
            real = QFile::decodeName(joinBytes(QFile::encodeName(folder), name));
    }
    return containsReal(real) ? real : QString();
}

QString DeviceGuard::entryInside(const QString& path) const
{
    const QByteArray bytes = absoluteBytes(path);
    const auto [parent, name] = splitLast(bytes);
    if (name.isEmpty() || name == "." || name == "..")
        return {};
    const QString folder = realFolder(QFile::decodeName(parent));
    if (!containsReal(folder))
        return {};
    return QFile::decodeName(joinBytes(QFile::encodeName(folder), name));
}

FileRefusal DeviceGuard::checkFile(const QString& path, QString* realPath) const
{
    if (m_realRoot.isEmpty())
        return FileRefusal::Missing;
    const QString real = inside(path);
    if (real.isEmpty())
        return FileRefusal::Outside;
    struct stat info = {};
    if (::stat(QFile::encodeName(real).constData(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FileRefusal::Missing : FileRefusal::Unreadable;
    if (!S_ISREG(info.st_mode))
        return FileRefusal::NotRegular;
    if (realPath)
        *realPath = real;
    return FileRefusal::None;
}

OpenedFile openRegularFile(const QString& path, const DeviceGuard* guard)
{
    OpenedFile opened;
    QString target = path;
    if (guard) {
        opened.refusal = guard->checkFile(path, &target);
    } else {
        struct stat info = {};
        if (::stat(QFile::encodeName(path).constData(), &info) != 0)
            opened.refusal = errno == ENOENT || errno == ENOTDIR ? FileRefusal::Missing : FileRefusal::Unreadable;
        else if (!S_ISREG(info.st_mode))
            opened.refusal = FileRefusal::NotRegular;
    }
    if (opened.refusal != FileRefusal::None)
        return opened;
    // The real path holds no link, so a link put in its place since the check is not followed.
    const int noFollow = guard ? O_NOFOLLOW : 0;
    const int fd = ::open(QFile::encodeName(target).constData(),
                          O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | noFollow);
    if (fd < 0) {
        opened.systemError = errno;
        opened.refusal = opened.systemError == ENOENT ? FileRefusal::Missing
            : opened.systemError == ELOOP             ? FileRefusal::Outside
                                                      : FileRefusal::Unreadable;
        return opened;
    }
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        opened.refusal = FileRefusal::NotRegular;
        return opened;
    }
    if (guard) {
        // What was opened, whatever happened to the folders on the way since the check.
        const QByteArray opens = readLink("/proc/self/fd/" + QByteArray::number(fd));
        if (!opens.isEmpty() && !guard->containsReal(QFile::decodeName(opens))) {
            ::close(fd);
            opened.refusal = FileRefusal::Outside;
            return opened;
        }
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    opened.fd = fd;
    opened.realPath = target;
    return opened;
}

QString songPathForPlayer(const QString& iPodRoot, const QString& location, FileRefusal* refusal)
{
    const auto resolved = DevicePath(iPodRoot).resolve(location);
    FileRefusal why = FileRefusal::Outside;
    if (resolved)
        why = DeviceGuard(iPodRoot).checkFile(*resolved);
    if (refusal)
        *refusal = why;
    return why == FileRefusal::None || why == FileRefusal::Missing ? resolved.value_or(QString()) : QString();
}

QString describeRefusal(FileRefusal refusal)
{
    switch (refusal) {
    case FileRefusal::None:
        return {};
    case FileRefusal::Missing:
        return QStringLiteral("it is not there");
    case FileRefusal::Outside:
        return QStringLiteral("it leads outside the iPod");
    case FileRefusal::NotRegular:
        return QStringLiteral("it is not a regular file");
    case FileRefusal::Unreadable:
        return QStringLiteral("it cannot be read");
    }
    return {};
}

bool isFaithfulFileName(const QByteArray& bytes)
{
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
}

} // namespace quaverly::device
