#include "export/FileCopier.h"

#include "device/DeviceGuard.h"
#include "export/ExtractCore.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quaverly::exporting {
namespace {

// Large chunks keep the kernel copy as fast as cp; the progress callback (and
// so cancelling) still gets a turn every few hundred milliseconds.
constexpr size_t kKernelChunkBytes = 8 << 20;
constexpr size_t kBufferBytes = 1 << 20;

/// Closes its descriptor when it goes out of scope.
class FileHandle
{
public:
    explicit FileHandle(int fd)
        : m_fd(fd)
    {
    }
    ~FileHandle()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    [[nodiscard]] int fd() const { return m_fd; }
    [[nodiscard]] bool valid() const { return m_fd >= 0; }
    /// Closes now and answers 0 or the errno of close().
    int close()
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

CopyResult failure(ExtractError error, int systemError, qint64 bytes = 0)
{
    return CopyResult { error, systemError, bytes, {} };
}

CopyResult writeFailure(int systemError, qint64 bytes)
{
    const bool full = systemError == ENOSPC || systemError == EDQUOT;
    return failure(full ? ExtractError::DiskFull : ExtractError::CopyFailed, systemError, bytes);
}

bool isFolder(const QByteArray& path)
{
    struct stat info = {};
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

int makeFolderChain(const QByteArray& path)
{
    if (::mkdir(path.constData(), 0777) == 0)
        return 0;
    const int error = errno;
    if (error == EEXIST)
        return isFolder(path) ? 0 : ENOTDIR;
    const qsizetype slash = path.lastIndexOf('/');
    if (error != ENOENT || slash <= 0)
        return error;
    if (const int parentError = makeFolderChain(path.left(slash)))
        return parentError;
    if (::mkdir(path.constData(), 0777) == 0 || (errno == EEXIST && isFolder(path)))
        return 0;
    return errno;
}

// Creates a fresh hidden file in `folder` and locks it, so that a copy
// running beside this one never takes it for a leftover; answers its
// descriptor and name.
int openTemporary(const QByteArray& folder, QByteArray* name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = folder + '/' + FileCopier::kTempPrefix
            + QByteArray::number(QRandomGenerator::global()->generate64(), 16) + FileCopier::kTempSuffix;
        const int fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return fd;
        // A sweep that caught the file between its creation and the lock removes it: take another.
        struct stat info = {};
        const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
        if (locked && ::fstat(fd, &info) == 0 && info.st_nlink > 0)
            return fd;
        ::close(fd);
    }
    errno = EEXIST;
    return -1;
}

// Renames `from` to `to` unless `to` exists; answers 0 or an errno (EEXIST
// when the name is taken).
int renameWithoutReplacing(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    int error = errno;
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP)
        return error;
    // The file system cannot rename without replacing; a hard link fails when the name is taken.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    error = errno;
    if (error != EPERM && error != EOPNOTSUPP && error != ENOSYS)
        return error;
    // Neither (FAT over some drivers): look first; only a file made in between could still be lost.
    struct stat info = {};
    if (::lstat(to.constData(), &info) == 0)
        return EEXIST;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

// "dir/Song.mp3", attempt 1 -> "dir/Song (2).mp3".
QString numberedName(const QString& destination, int attempt)
{
    const qsizetype slash = destination.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = destination.lastIndexOf(QLatin1Char('.'));
    const qsizetype cut = dot > slash + 1 ? dot : destination.size();
    return destination.left(cut) + QStringLiteral(" (%1)").arg(attempt + 1) + destination.mid(cut);
}

CopyResult fromRefusal(const device::OpenedFile& opened)
{
    switch (opened.refusal) {
    case device::FileRefusal::Missing:
        return failure(ExtractError::SourceMissing, opened.systemError ? opened.systemError : ENOENT);
    case device::FileRefusal::Outside:
        return failure(ExtractError::SourceOutsideIpod, 0);
    case device::FileRefusal::NotRegular:
        return failure(ExtractError::SourceNotRegular, 0);
    case device::FileRefusal::None:
    case device::FileRefusal::Unreadable:
        break;
    }
    return failure(ExtractError::SourceUnreadable, opened.systemError);
}

bool kernelCopyUnsupported(int error)
{
    return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP || error == EBADF
        || error == EPERM;
}

} // namespace

FileCopier::FileCopier() = default;
FileCopier::~FileCopier() = default;

void FileCopier::setDeviceRoot(const QString& iPodRoot)
{
    m_guard = iPodRoot.isEmpty() ? nullptr : std::make_unique<device::DeviceGuard>(iPodRoot);
    m_checkedFolders.clear();
}

bool FileCopier::isTemporaryName(const QByteArray& name)
{
    const QByteArray prefix(kTempPrefix);
    const QByteArray suffix(kTempSuffix);
    if (!name.startsWith(prefix) || !name.endsWith(suffix))
        return false;
    const QByteArray middle = name.mid(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (middle.isEmpty() || middle.size() > 16)
        return false;
    return std::all_of(middle.begin(), middle.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

bool FileCopier::folderOnIpod(const QByteArray& folder)
{
    if (!m_guard || m_checkedFolders.contains(folder))
        return false;
    const QString real = device::DeviceGuard::realPath(QFile::decodeName(folder));
    if (real.isEmpty() || m_guard->containsReal(real))
        return true;
    m_checkedFolders.insert(folder);
    return false;
}

void FileCopier::sweepOnce(const QByteArray& folder)
{
    if (m_sweptFolders.contains(folder))
        return;
    m_sweptFolders.insert(folder);
    DIR* dir = ::opendir(folder.constData());
    if (dir == nullptr)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryName(QByteArray(entry->d_name)))
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        // Only a regular file that no running copy holds, and still the one under that name.
        struct stat opened = {};
        struct stat named = {};
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0
            && ::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == opened.st_dev
            && named.st_ino == opened.st_ino && ::unlinkat(dirFd, entry->d_name, 0) == 0) {
            qCInfo(lcExport) << "removed a partial copy an earlier run left:" << folder + '/' + entry->d_name;
        }
        ::close(fd);
    }
    ::closedir(dir);
}

int FileCopier::makeFolders(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (path.isEmpty() || isFolder(path))
        return 0;
    return makeFolderChain(path);
}

CopyResult FileCopier::CopyFile(const QString& source, const QString& destination, const ByteProgressFn& progress,
                                const AlternativeNameFn& alternative, const FinishFn& finish)
{
    QByteArray target = QFile::encodeName(destination);
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? target.left(slash) : QByteArray(slash == 0 ? "/" : ".");

    const device::OpenedFile opened = device::openRegularFile(source, m_guard.get());
    if (!opened.ok())
        return fromRefusal(opened);
    FileHandle in(opened.fd);
    ::posix_fadvise(in.fd(), 0, 0, POSIX_FADV_SEQUENTIAL);

    if (const int error = makeFolders(QFile::decodeName(folder)))
        return failure(ExtractError::FolderNotCreated, error);
    if (folderOnIpod(folder))
        return failure(ExtractError::TargetInsideIpod, 0);
    sweepOnce(folder);
    QByteArray temporary;
    FileHandle out(openTemporary(folder, &temporary));
    if (!out.valid()) {
        const int error = errno;
        return error == ENOSPC || error == EDQUOT ? failure(ExtractError::DiskFull, error)
                                                  : failure(ExtractError::TargetNotWritable, error);
    }

    CopyResult result = copyContents(in.fd(), out.fd(), progress);
    // The lock lives as long as any descriptor of the file: this one keeps it
    // until the file has its name, while closing the first reports late write errors.
    const FileHandle lockKeeper(::fcntl(out.fd(), F_DUPFD_CLOEXEC, 0));
    if (result.ok()) {
        if (const int error = out.close())
            result = writeFailure(error, result.bytes);
    }
    if (result.ok() && finish)
        finish(QFile::decodeName(temporary));
    // Never over an existing file: a name that is taken passes to the next free one.
    constexpr int kMaxAttempts = 10000;
    for (int attempt = 1; result.ok(); ++attempt) {
        const int error = renameWithoutReplacing(temporary, target);
        if (error == 0) {
            result.destination = QFile::decodeName(target);
            break;
        }
        if (error != EEXIST || attempt > kMaxAttempts) {
            result = failure(ExtractError::CopyFailed, error, result.bytes);
            break;
        }
        target = QFile::encodeName(alternative ? alternative(attempt) : numberedName(destination, attempt));
    }
    if (!result.ok())
        ::unlink(temporary.constData());
    return result;
}

CopyResult FileCopier::copyContents(int in, int out, const ByteProgressFn& progress)
{
    qint64 done = 0;
    while (m_kernelCopy) {
        const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, kKernelChunkBytes, 0);
        if (copied > 0) {
            done += copied;
            if (progress && !progress(done))
                return failure(ExtractError::Cancelled, 0, done);
            continue;
        }
        if (copied == 0)
            return CopyResult { ExtractError::None, 0, done, {} };
        const int error = errno;
        if (error == EINTR)
            continue;
        if (done > 0 || !kernelCopyUnsupported(error))
            return error == EIO ? failure(ExtractError::SourceUnreadable, error, done) : writeFailure(error, done);
        qCDebug(lcExport) << "copy_file_range unusable here, copying through a buffer:" << error;
        m_kernelCopy = false;
    }
    return copyWithBuffer(in, out, done, progress);
}

CopyResult FileCopier::copyWithBuffer(int in, int out, qint64 done, const ByteProgressFn& progress)
{
    if (m_buffer.empty())
        m_buffer.resize(kBufferBytes);
    for (;;) {
        const ssize_t got = ::read(in, m_buffer.data(), m_buffer.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return failure(ExtractError::SourceUnreadable, errno, done);
        }
        if (got == 0)
            return CopyResult { ExtractError::None, 0, done, {} };
        for (ssize_t written = 0; written < got;) {
            const ssize_t step = ::write(out, m_buffer.data() + written, static_cast<size_t>(got - written));
            if (step < 0) {
                if (errno == EINTR)
                    continue;
                return writeFailure(errno, done);
            }
            written += step;
        }
        done += got;
        if (progress && !progress(done))
            return failure(ExtractError::Cancelled, 0, done);
    }
}

} // namespace quaverly::exporting
