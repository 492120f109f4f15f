#pragma once
#include <QDateTime>
#include <QString>

#include <vector>

namespace quaverly::database {

class Library;

/// Why a Play Counts update was not written.
enum class PlayCountError {
    None,
    NoFile,       // no usable Play Counts file (missing, not "mhdp", entry size below 12)
    NotSupported, // the entries have no field for it (12-byte entries: no rating, no last played)
    BadIndex,     // -1, or beyond the entries the file holds
    BadValue,     // stars outside 0 to 5, or a time outside the file's range
    WriteFailed,  // the file could not be opened or written (read-only or unplugged iPod)
    Locked,       // another program (a second Quaverly, the command line) kept the file locked too long
    OutsideIpod,  // the file, links followed, lies outside the iPod; nothing is written there
};

/// How often and when a track was played, all told: the database's counts
/// (up to the last sync) plus the Play Counts file's (since then).
struct PlayStats
{
    qint64 playCount = 0;
    qint64 skipCount = 0;
    quint32 lastPlayed = 0; // seconds since 1904-01-01 00:00, the iPod's local time; 0: never played
};

/// A title and text for the user.
struct PlayCountMessage
{
    QString title;
    QString text;
};

/// The iPod's Play Counts file: one entry per track in database order, which
/// the device and Quaverly update when a song has been played or rated.
/// Entries start at byte 96; the entry size (byte 8, at least 12) says what
/// they hold: play count (0), last played (4, seconds since 1904 local time,
/// written from 16-byte entries on) and rating (12, stars x 20, from 16 on).
/// Every update opens the file, writes its bytes in place and closes it, so a
/// finished play is on the iPod even if it is unplugged right after. The file
/// is never truncated or rewritten, and indexes outside its entries are
/// refused without writing anything.
///
/// Several programs may update one iPod at once (the window and the command
/// line): each read-modify-write holds an exclusive lock on the file (flock)
/// for its few bytes only, waiting up to lockTimeoutMs() for it. The file is
/// read and written only when its real path lies inside the iPod, and only
/// when it is a regular file (a FIFO never blocks the load).
class mdlPlayCountEditor
{
public:
    static constexpr qint64 kHeaderBytes = 96;
    static constexpr int kDefaultLockTimeoutMs = 5000;

    /// Looks for "Play Counts" (any letter case) in the database's folder.
    /// `iPodRoot` bounds where the file may really lie; empty: the folder.
    void OpenPlayCounts(const QString& folder, const QString& iPodRoot = {});
    /// The same for a known file path (tests, tools); empty `iPodRoot`: the file's folder.
    void openPlayCountsFile(const QString& path, const QString& iPodRoot = {});

    /// How long an update waits for another program's lock.
    [[nodiscard]] int lockTimeoutMs() const { return m_lockTimeoutMs; }
    void setLockTimeoutMs(int ms) { m_lockTimeoutMs = ms; }

    /// 12 or more for a usable file, -1 otherwise.
    [[nodiscard]] int EntrySize() const { return m_entrySize; }
    /// The number of entries (offset 12); 0 without a usable file.
    [[nodiscard]] qint64 entryCount() const { return m_entryCount; }
    [[nodiscard]] const QString& filePath() const { return m_path; }
    /// True when the file was found but leads outside the iPod (a link), so it is not used.
    [[nodiscard]] bool isOutsideIpod() const { return m_outside; }

    PlayCountError IncrementPlayCount(int index);
    /// Stamps `now` (the local clock by default) as the last-played time.
    PlayCountError StampLastPlayed(int index, const QDateTime& now = QDateTime::currentDateTime());
    /// The stored rating in stars when it is not 0, else `databaseStars`.
    [[nodiscard]] int GetRating(int index, int databaseStars) const;
    /// The same with the library's rating of the track as the fallback.
    [[nodiscard]] int GetRating(int index, const Library& library) const;
    PlayCountError SetRating(int index, int stars);
    /// GetRating for every track of the library, reading the file once.
    [[nodiscard]] std::vector<int> getAllRatings(const Library& library) const;
    /// Every track's PlayStats, reading the file once: play and skip counts
    /// added up, the last-played time of the file when it has one, else the
    /// database's. Skips are in the file from 28-byte entries on.
    [[nodiscard]] std::vector<PlayStats> getAllPlayStats(const Library& library) const;
    /// A time of the file or database (macTime) as ISO 8601 local date and
    /// time, "2024-01-02T10:00:00": the iPod's own wall clock, which keeps no
    /// time zone. Empty for 0 (never).
    [[nodiscard]] static QString macTimeText(quint32 seconds);
    /// The same moment in Unix time, reading the iPod's wall clock in this
    /// computer's time zone (the inverse of macTime). 0 for 0.
    [[nodiscard]] static qint64 macTimeToUnix(quint32 seconds);

    /// The explanation shown when ratings cannot be stored on this iPod.
    [[nodiscard]] PlayCountMessage ShowRatingUnsupported() const;
    /// The explanation of a failed update, for the errors the user can act
    /// on (Locked, OutsideIpod, WriteFailed); empty for the others.
    [[nodiscard]] QString updateFailureText(PlayCountError error) const;

    /// Seconds since 1 January 1904 00:00 by `time`'s local clock, or -1 when
    /// that does not fit the unsigned 32-bit field.
    [[nodiscard]] static qint64 macTime(const QDateTime& time);

private:
    class Update;
    [[nodiscard]] bool entryUsable(int index) const;
    [[nodiscard]] PlayCountError writeAt(qint64 offset, const QByteArray& bytes) const;
    /// The whole file, read through the guard; empty when it cannot be read.
    [[nodiscard]] QByteArray readAll() const;
    [[nodiscard]] qint64 entryOffset(int index) const { return kHeaderBytes + qint64(m_entrySize) * index; }

    QString m_path;
    QString m_root; // where the file must really lie
    int m_entrySize = -1;
    qint64 m_entryCount = 0;
    qint64 m_fileSize = 0;
    bool m_outside = false; // the file was found, but leads out of the iPod
    int m_lockTimeoutMs = kDefaultLockTimeoutMs;
};

} // namespace quaverly::database
