#include "export/FileCopier.h"

#include "export/ExtractCore.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
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
    return CopyResult { error, systemError, bytes };
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

int makeFolders(const QByteArray& path)
{
    if (::mkdir(path.constData(), 0777) == 0)
        return 0;
    const int error = errno;
    if (error == EEXIST)
        return isFolder(path) ? 0 : ENOTDIR;
    const qsizetype slash = path.lastIndexOf('/');
    if (error != ENOENT || slash <= 0)
        return error;
    if (const int parentError = makeFolders(path.left(slash)))
        return parentError;
    if (::mkdir(path.constData(), 0777) == 0 || (errno == EEXIST && isFolder(path)))
        return 0;
    return errno;
}

// Creates a fresh hidden file in `folder`; answers its descriptor and name.
int openTemporary(const QByteArray& folder, QByteArray* name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = folder + '/' + FileCopier::kTempPrefix
            + QByteArray::number(QRandomGenerator::global()->generate64(), 16) + ".part";
        const int fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool kernelCopyUnsupported(int error)
{
    return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP || error == EBADF
        || error == EPERM;
}

} // namespace

int FileCopier::MakeFolders(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    if (path.isEmpty() || isFolder(path))
        return 0;
    return makeFolders(path);
}

CopyResult FileCopier::CopyFile(const QString& source, const QString& destination, const ByteProgressFn& progress,
                                const FinishFn& finish)
{
    const QByteArray target = QFile::encodeName(destination);
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? target.left(slash) : QByteArray(slash == 0 ? "/" : ".");

    FileHandle in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    if (!in.valid()) {
        const int error = errno;
        const bool missing = error == ENOENT || error == ENOTDIR;
        return failure(missing ? ExtractError::SourceMissing : ExtractError::SourceUnreadable, error);
    }
    struct stat info = {};
    if (::fstat(in.fd(), &info) != 0 || !S_ISREG(info.st_mode))
        return failure(ExtractError::SourceUnreadable, S_ISDIR(info.st_mode) ? EISDIR : errno);
    ::posix_fadvise(in.fd(), 0, 0, POSIX_FADV_SEQUENTIAL);

    if (const int error = MakeFolders(QFile::decodeName(folder)))
        return failure(ExtractError::FolderNotCreated, error);
    QByteArray temporary;
    FileHandle out(openTemporary(folder, &temporary));
    if (!out.valid()) {
        const int error = errno;
        return error == ENOSPC || error == EDQUOT ? failure(ExtractError::DiskFull, error)
                                                  : failure(ExtractError::TargetNotWritable, error);
    }

    CopyResult result = copyContents(in.fd(), out.fd(), progress);
    if (result.ok()) {
        if (const int error = out.close())
            result = writeFailure(error, result.bytes);
    }
    if (result.ok() && finish)
        finish(QFile::decodeName(temporary));
    if (result.ok() && ::rename(temporary.constData(), target.constData()) != 0)
        result = failure(ExtractError::CopyFailed, errno, result.bytes);
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
            return CopyResult { ExtractError::None, 0, done };
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
            return CopyResult { ExtractError::None, 0, done };
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
