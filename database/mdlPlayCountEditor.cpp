#include "database/mdlPlayCountEditor.h"

#include "database/ITunesDBParser.h"
#include "database/Library.h"
#include "startup/DevicePath.h"

#include <QFile>
#include <QtEndian>

namespace quaverly::database {
namespace {

constexpr int kMinEntry = 12;
constexpr int kSkipEntry = 28;    // skip count (20) and last skipped (24)
constexpr int kMaxEntry = 0x1000; // far above any device's entries; larger is damage
constexpr qint64 kMacEpochToUnix = 2082844800;

QByteArray littleEndian32(quint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToLittleEndian(value, bytes.data());
    return bytes;
}

} // namespace

void mdlPlayCountEditor::OpenPlayCounts(const QString& folder)
{
    OpenPlayCountsFile(startup::DevicePath(folder).existing(QStringLiteral("Play Counts")));
}

void mdlPlayCountEditor::OpenPlayCountsFile(const QString& path)
{
    m_path.clear();
    m_entrySize = -1;
    m_entryCount = 0;
    m_fileSize = 0;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    const QByteArray head = file.read(16);
    if (head.size() < 16 || !head.startsWith("mhdp"))
        return;
    const qint32 entrySize = qFromLittleEndian<qint32>(head.constData() + 8);
    if (entrySize < kMinEntry || entrySize > kMaxEntry)
        return;
    m_path = path;
    m_entrySize = entrySize;
    m_entryCount = std::max<qint32>(0, qFromLittleEndian<qint32>(head.constData() + 12));
    m_fileSize = file.size();
}

bool mdlPlayCountEditor::entryUsable(int index) const
{
    return m_entrySize >= kMinEntry && index >= 0 && index < m_entryCount
        && entryOffset(index) + m_entrySize <= m_fileSize;
}

PlayCountError mdlPlayCountEditor::writeAt(qint64 offset, const QByteArray& bytes) const
{
    QFile file(m_path);
    // ReadWrite never truncates; the bytes are written in place.
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return PlayCountError::WriteFailed;
    // The file may have been replaced by a shorter one since it was opened (the
    // iPod synced elsewhere): writing past its end would grow it.
    if (file.size() < offset + bytes.size())
        return PlayCountError::WriteFailed;
    if (!file.seek(offset) || file.write(bytes) != bytes.size() || !file.flush())
        return PlayCountError::WriteFailed;
    file.close();
    return file.error() == QFileDevice::NoError ? PlayCountError::None : PlayCountError::WriteFailed;
}

PlayCountError mdlPlayCountEditor::IncrementPlayCount(int index)
{
    if (m_entrySize < kMinEntry)
        return PlayCountError::NoFile;
    if (!entryUsable(index))
        return PlayCountError::BadIndex;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(entryOffset(index)))
        return PlayCountError::WriteFailed;
    const QByteArray old = file.read(4);
    if (old.size() != 4)
        return PlayCountError::WriteFailed;
    const quint32 count = qFromLittleEndian<quint32>(old.constData());
    return writeAt(entryOffset(index), littleEndian32(count + 1));
}

PlayCountError mdlPlayCountEditor::StampLastPlayed(int index, const QDateTime& now)
{
    if (m_entrySize < kMinEntry)
        return PlayCountError::NoFile;
    if (!entryUsable(index))
        return PlayCountError::BadIndex;
    if (m_entrySize < 16)
        return PlayCountError::NotSupported;
    const qint64 seconds = MacTime(now);
    if (seconds < 0)
        return PlayCountError::BadValue;
    return writeAt(entryOffset(index) + 4, littleEndian32(static_cast<quint32>(seconds)));
}

int mdlPlayCountEditor::GetRating(int index, int databaseStars) const
{
    if (m_entrySize < 16 || !entryUsable(index))
        return databaseStars;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(entryOffset(index) + 12))
        return databaseStars;
    const QByteArray raw = file.read(4);
    if (raw.size() != 4)
        return databaseStars;
    const qint64 value = qFromLittleEndian<quint32>(raw.constData());
    const int stars = value > 255 ? 5 : StarsFromRawRating(static_cast<int>(value));
    return stars != 0 ? stars : databaseStars;
}

int mdlPlayCountEditor::GetRating(int index, const Library& library) const
{
    const int databaseStars = index >= 0 && index < library.TrackCount()
        ? library.Tracks[static_cast<size_t>(index)].Rating
        : 0;
    return GetRating(index, databaseStars);
}

std::vector<int> mdlPlayCountEditor::GetAllRatings(const Library& library) const
{
    std::vector<int> ratings;
    ratings.reserve(library.Tracks.size());
    for (const TrackRecord& track : library.Tracks)
        ratings.push_back(track.Rating);
    QFile file(m_path);
    if (m_entrySize < 16 || !file.open(QIODevice::ReadOnly))
        return ratings;
    const QByteArray bytes = file.readAll();
    for (int i = 0; i < library.TrackCount(); ++i) {
        if (!entryUsable(i) || entryOffset(i) + 16 > bytes.size())
            break;
        const qint64 value = qFromLittleEndian<quint32>(bytes.constData() + entryOffset(i) + 12);
        const int stars = value > 255 ? 5 : StarsFromRawRating(static_cast<int>(value));
        if (stars != 0)
            ratings[static_cast<size_t>(i)] = stars;
    }
    return ratings;
}

std::vector<PlayStats> mdlPlayCountEditor::GetAllPlayStats(const Library& library) const
{
    std::vector<PlayStats> stats;
    stats.reserve(library.Tracks.size());
    for (const TrackRecord& track : library.Tracks)
        stats.push_back({ track.PlayCount, track.SkipCount, track.LastPlayed });
    QFile file(m_path);
    if (m_entrySize < kMinEntry || !file.open(QIODevice::ReadOnly))
        return stats;
    const QByteArray bytes = file.readAll();
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

QString mdlPlayCountEditor::MacTimeText(quint32 seconds)
{
    if (seconds == 0)
        return {};
    const QDateTime wall = QDateTime::fromSecsSinceEpoch(qint64(seconds) - kMacEpochToUnix, Qt::UTC);
    return wall.date().toString(Qt::ISODate) + u'T' + wall.time().toString(Qt::ISODate);
}

qint64 mdlPlayCountEditor::MacTimeToUnix(quint32 seconds)
{
    if (seconds == 0)
        return 0;
    const QDateTime wall = QDateTime::fromSecsSinceEpoch(qint64(seconds) - kMacEpochToUnix, Qt::UTC);
    return QDateTime(wall.date(), wall.time(), Qt::LocalTime).toSecsSinceEpoch();
}

PlayCountError mdlPlayCountEditor::SetRating(int index, int stars)
{
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

qint64 mdlPlayCountEditor::MacTime(const QDateTime& time)
{
    if (!time.isValid())
        return -1;
    const qint64 seconds = time.toSecsSinceEpoch() + time.offsetFromUtc() + kMacEpochToUnix;
    if (seconds < 0 || seconds > 0xffffffffLL)
        return -1;
    return seconds;
}

} // namespace quaverly::database
