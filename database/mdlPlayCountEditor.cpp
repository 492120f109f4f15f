#include "database/mdlPlayCountEditor.h"

#include "database/ITunesDBParser.h"
#include "database/Library.h"
#include "device/DeviceGuard.h"
#include "device/DevicePath.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QtEndian>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

Q_LOGGING_CATEGORY(lcPlayCounts, "quaverly.database.playcounts")

namespace quaverly::database {
namespace {

constexpr int kMinEntry = 12;
constexpr int kSkipEntry = 28;    // skip count (20) and last skipped (24)
constexpr int kMaxEntry = 0x1000; // far above any device's entries; larger is damage
constexpr qint64 kMacEpochToUnix = 2082844800;
constexpr auto kLockRetry = std::chrono::milliseconds(20);

QByteArray littleEndian32(quint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

bool readFully(int fd, qint64 offset, char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t got = ::pread(fd, data, static_cast<size_t>(size), offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        offset += got;
        size -= got;
    }
    return true;
}

/// Closes its descriptor (and so drops its lock) when it goes out of scope.
struct Descriptor
{
    int fd = -1;
    explicit Descriptor(int d)
        : fd(d)
    {
    }
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

} // namespace

/// One locked update: the file opened by its real path inside the iPod,
/// held under an exclusive lock until the update goes out of scope.
class mdlPlayCountEditor::Update
{
public:
    explicit Update(const mdlPlayCountEditor& editor)
    {
        if (editor.m_outside) {
            m_error = PlayCountError::OutsideIpod;
            return;
        }
        const device::DeviceGuard guard(editor.m_root);
        QString real;
        const device::FileRefusal refusal = guard.checkFile(editor.m_path, &real);
        if (refusal != device::FileRefusal::None) {
            m_error = refusal == device::FileRefusal::Outside ? PlayCountError::OutsideIpod
                                                              : PlayCountError::WriteFailed;
            return;
        }
        // ReadWrite never truncates; the bytes are written in place.
        m_file.fd = ::open(QFile::encodeName(real).constData(),
                           O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        struct stat info = {};
        if (m_file.fd < 0 || ::fstat(m_file.fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            m_error = PlayCountError::WriteFailed;
            return;
        }
        m_error = lock(editor.m_lockTimeoutMs);
    }

    [[nodiscard]] PlayCountError error() const { return m_error; }
    /// The file's size now, under the lock (it may have been replaced since it was opened).
    [[nodiscard]] qint64 size() const
    {
        struct stat info = {};
        return ::fstat(m_file.fd, &info) == 0 ? info.st_size : -1;
    }
    [[nodiscard]] bool read(qint64 offset, char* data, qint64 bytes) const
    {
        return readFully(m_file.fd, offset, data, bytes);
    }
    [[nodiscard]] bool write(qint64 offset, const QByteArray& bytes) const
    {
        for (qint64 done = 0; done < bytes.size();) {
            const ssize_t put = ::pwrite(m_file.fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done),
                                         offset + done);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            done += put;
        }
        return true;
    }
    /// Closes the file; answers false when the close reports a late write error.
    [[nodiscard]] bool finish()
    {
        const int fd = std::exchange(m_file.fd, -1);
        return ::close(fd) == 0;
    }

private:
    PlayCountError lock(int timeoutMs) const
    {
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            if (::flock(m_file.fd, LOCK_EX | LOCK_NB) == 0)
                return PlayCountError::None;
            if (errno == EINTR)
                continue;
            if (errno != EWOULDBLOCK) {
                // A file system without locks: update as before, unguarded.
                qCDebug(lcPlayCounts) << "the Play Counts file cannot be locked here:" << qt_error_string(errno);
                return PlayCountError::None;
            }
            if (waited.elapsed() >= timeoutMs)
                return PlayCountError::Locked;
            std::this_thread::sleep_for(kLockRetry);
        }
    }

    Descriptor m_file { -1 };
    PlayCountError m_error = PlayCountError::None;
};

void mdlPlayCountEditor::OpenPlayCounts(const QString& folder, const QString& iPodRoot)
{
    openPlayCountsFile(device::DevicePath(folder).existing(QStringLiteral("Play Counts")),
                       iPodRoot.isEmpty() ? folder : iPodRoot);
}

void mdlPlayCountEditor::openPlayCountsFile(const QString& path, const QString& iPodRoot)
{
    m_path.clear();
    m_root = iPodRoot.isEmpty() && !path.isEmpty() ? QFileInfo(path).absolutePath() : iPodRoot;
    m_entrySize = -1;
    m_entryCount = 0;
    m_fileSize = 0;
    m_outside = false;
    if (path.isEmpty())
        return;
    const device::DeviceGuard guard(m_root);
    const device::OpenedFile opened = device::openRegularFile(path, &guard);
    if (opened.refusal == device::FileRefusal::Outside) {
        qCDebug(lcPlayCounts) << "the Play Counts file leads outside the iPod; it is not used:" << path;
        m_path = path;
        m_outside = true;
        return;
    }
    if (!opened.ok())
        return;
    const Descriptor file(opened.fd);
    QByteArray head(16, Qt::Uninitialized);
    if (!readFully(file.fd, 0, head.data(), head.size()) || !head.startsWith("mhdp"))
        return;
    const qint32 entrySize = qFromLittleEndian<qint32>(head.constData() + 8);
    if (entrySize < kMinEntry || entrySize > kMaxEntry)
        return;
    struct stat info = {};
    if (::fstat(file.fd, &info) != 0)
        return;
    m_path = path;
    m_entrySize = entrySize;
    m_entryCount = std::max<qint32>(0, qFromLittleEndian<qint32>(head.constData() + 12));
    m_fileSize = info.st_size;
}

bool mdlPlayCountEditor::entryUsable(int index) const
{
    return m_entrySize >= kMinEntry && index >= 0 && index < m_entryCount
        && entryOffset(index) + m_entrySize <= m_fileSize;
}

PlayCountError mdlPlayCountEditor::writeAt(qint64 offset, const QByteArray& bytes) const
{
    Update update(*this);
    if (update.error() != PlayCountError::None)
        return update.error();
    // The file may have been replaced by a shorter one since it was opened (the
    // iPod synced elsewhere): writing past its end would grow it.
    if (update.size() < offset + bytes.size() || !update.write(offset, bytes))
        return PlayCountError::WriteFailed;
    return update.finish() ? PlayCountError::None : PlayCountError::WriteFailed;
}

PlayCountError mdlPlayCountEditor::IncrementPlayCount(int index)
{
    if (m_outside)
        return PlayCountError::OutsideIpod;
    if (m_entrySize < kMinEntry)
        return PlayCountError::NoFile;
    if (!entryUsable(index))
        return PlayCountError::BadIndex;
    // Read and write under one lock, so that two programs counting at once both count.
    Update update(*this);
    if (update.error() != PlayCountError::None)
        return update.error();
    char old[4];
    if (update.size() < entryOffset(index) + 4 || !update.read(entryOffset(index), old, 4))
        return PlayCountError::WriteFailed;
    const quint32 count = qFromLittleEndian<quint32>(old);
    if (!update.write(entryOffset(index), littleEndian32(count + 1)))
        return PlayCountError::WriteFailed;
    return update.finish() ? PlayCountError::None : PlayCountError::WriteFailed;
}

PlayCountError mdlPlayCountEditor::StampLastPlayed(int index, const QDateTime& now)
{
    if (m_outside)
        return PlayCountError::OutsideIpod;
    if (m_entrySize < kMinEntry)
        return PlayCountError::NoFile;
    if (!entryUsable(index))
        return PlayCountError::BadIndex;
    if (m_entrySize < 16)
        return PlayCountError::NotSupported;
    const qint64 seconds = macTime(now);
    if (seconds < 0)
        return PlayCountError::BadValue;
    return writeAt(entryOffset(index) + 4, littleEndian32(static_cast<quint32>(seconds)));
}

int mdlPlayCountEditor::GetRating(int index, int databaseStars) const
{
    if (m_entrySize < 16 || !entryUsable(index))
        return databaseStars;
    const device::DeviceGuard guard(m_root);
    const device::OpenedFile opened = device::openRegularFile(m_path, &guard);
    const Descriptor file(opened.fd);
    char raw[4];
    if (!opened.ok() || !readFully(file.fd, entryOffset(index) + 12, raw, 4))
        return databaseStars;
    const qint64 value = qFromLittleEndian<quint32>(raw);
    const int stars = value > 255 ? 5 : starsFromRawRating(static_cast<int>(value));
    return stars != 0 ? stars : databaseStars;
}

int mdlPlayCountEditor::GetRating(int index, const Library& library) const
{
    const int databaseStars = index >= 0 && index < library.TrackCount()
        ? library.Tracks[static_cast<size_t>(index)].Rating
        : 0;
    return GetRating(index, databaseStars);
}

QByteArray mdlPlayCountEditor::readAll() const
{
    const device::DeviceGuard guard(m_root);
    const device::OpenedFile opened = device::openRegularFile(m_path, &guard);
    if (!opened.ok())
        return {};
    QFile file;
    if (!file.open(opened.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(opened.fd);
        return {};
    }
    return file.readAll();
}

std::vector<int> mdlPlayCountEditor::getAllRatings(const Library& library) const
{
    std::vector<int> ratings;
    ratings.reserve(library.Tracks.size());
    for (const TrackRecord& track : library.Tracks)
        ratings.push_back(track.Rating);
    if (m_entrySize < 16)
        return ratings;
    const QByteArray bytes = readAll();
    for (int i = 0; i < library.TrackCount(); ++i) {
        if (!entryUsable(i) || entryOffset(i) + 16 > bytes.size())
            break;
        const qint64 value = qFromLittleEndian<quint32>(bytes.constData() + entryOffset(i) + 12);
        const int stars = value > 255 ? 5 : starsFromRawRating(static_cast<int>(value));
        if (stars != 0)
            ratings[static_cast<size_t>(i)] = stars;
    }
    return ratings;
}

std::vector<PlayStats> mdlPlayCountEditor::getAllPlayStats(const Library& library) const
{
    std::vector<PlayStats> stats;
    stats.reserve(library.Tracks.size());
    for (const TrackRecord& track : library.Tracks)
        stats.push_back({ track.PlayCount, track.SkipCount, track.LastPlayed });
    if (m_entrySize < kMinEntry)
        return stats;
    const QByteArray bytes = readAll();
    const bool hasSkips = m_entrySize >= kSkipEntry;
    for (int i = 0; i < library.TrackCount(); ++i) {
        if (!entryUsable(i) || entryOffset(i) + m_entrySize > bytes.size())
            break;
        const char* entry = bytes.constData() + entryOffset(i);
        PlayStats& s = stats[static_cast<size_t>(i)];
        s.playCount += qFromLittleEndian<quint32>(entry);
        if (const quint32 lastPlayed = qFromLittleEndian<quint32>(entry + 4); lastPlayed != 0)
            s.lastPlayed = lastPlayed;
        if (hasSkips)
            s.skipCount += qFromLittleEndian<quint32>(entry + 20);
    }
    return stats;
}

QString mdlPlayCountEditor::macTimeText(quint32 seconds)
{
    if (seconds == 0)
        return {};
    const QDateTime wall = QDateTime::fromSecsSinceEpoch(qint64(seconds) - kMacEpochToUnix, Qt::UTC);
    return wall.date().toString(Qt::ISODate) + u'T' + wall.time().toString(Qt::ISODate);
}

qint64 mdlPlayCountEditor::macTimeToUnix(quint32 seconds)
{
    if (seconds == 0)
        return 0;
    const QDateTime wall = QDateTime::fromSecsSinceEpoch(qint64(seconds) - kMacEpochToUnix, Qt::UTC);
    return QDateTime(wall.date(), wall.time(), Qt::LocalTime).toSecsSinceEpoch();
}

PlayCountError mdlPlayCountEditor::SetRating(int index, int stars)
{
    if (m_outside)
        return PlayCountError::OutsideIpod;
    if (m_entrySize < kMinEntry)
        return PlayCountError::NoFile;
    if (m_entrySize < 16)
        return PlayCountError::NotSupported;
    if (!entryUsable(index))
        return PlayCountError::BadIndex;
    if (stars < 0 || stars > 5)
        return PlayCountError::BadValue;
    // Only the low 16 bits are written; the upper half of the field is left as it is.
    QByteArray bytes(2, Qt::Uninitialized);
    qToLittleEndian(static_cast<quint16>(stars * 20), bytes.data());
    return writeAt(entryOffset(index) + 12, bytes);
}

PlayCountMessage mdlPlayCountEditor::ShowRatingUnsupported() const
{
    if (m_entrySize >= kMinEntry && m_entrySize < 16) {
        return { QStringLiteral("Your iPod does not support this"),
                 QStringLiteral("Sorry but the feature you want to use, rating songs on the iPod, is not supported "
                                "through the firmware you have. You need firmware 2.0+ and a 3G iPod for this to "
                                "work.") };
    }
    return { QStringLiteral("File Not Found"),
             QStringLiteral("Your Play Counts file could not be found. This indicates that you need to listen to at "
                            "least one song on your iPod before using the program so that Quaverly can recognise the "
                            "type of iPod.") };
}

QString mdlPlayCountEditor::updateFailureText(PlayCountError error) const
{
    const QString file = QDir::toNativeSeparators(m_path);
    switch (error) {
    case PlayCountError::Locked:
        return QStringLiteral("The Play Counts file %1 is being changed by another program (another Quaverly?) and "
                              "stayed locked for %2 seconds; nothing was written. Try again in a moment.")
            .arg(file)
            .arg(m_lockTimeoutMs / 1000.0);
    case PlayCountError::OutsideIpod:
        return QStringLiteral("The Play Counts file %1 leads outside the iPod (it is a link, or lies in a linked "
                              "folder); Quaverly does not write there, so nothing was written.")
            .arg(file);
    case PlayCountError::WriteFailed:
        return QStringLiteral("The Play Counts file %1 could not be written (is the iPod read-only or unplugged?).")
            .arg(file);
    case PlayCountError::None:
    case PlayCountError::NoFile:
    case PlayCountError::NotSupported:
    case PlayCountError::BadIndex:
    case PlayCountError::BadValue:
        break;
    }
    return {};
}

qint64 mdlPlayCountEditor::macTime(const QDateTime& time)
{
    if (!time.isValid())
        return -1;
    const qint64 seconds = time.toSecsSinceEpoch() + time.offsetFromUtc() + kMacEpochToUnix;
    if (seconds < 0 || seconds > 0xffffffffLL)
        return -1;
    return seconds;
}

} // namespace quaverly::database
