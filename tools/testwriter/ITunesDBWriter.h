#pragma once
#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace quaverly::tools {

/// One track. A string left unset is not written at all (no chunk).
struct WriterTrack
{
    qint32 uin = 0;
    std::optional<QString> title;
    std::optional<QString> location; // as stored: ":iPod_Control:Music:F00:ABCD.mp3"
    std::optional<QString> album;
    std::optional<QString> artist;
    std::optional<QString> genre;
    std::optional<QString> fileType;
    std::vector<std::pair<int, QString>> extraStrings; // further string chunks (8 comment, 12 composer ...)
    quint8 ratingRaw = 0;                              // stars x 20
    qint32 lengthMs = 0;
    qint32 trackNumber = 0;
    qint32 fileSize = 0;
    qint32 totalTracks = 0; // written only into headers of 100 bytes or more, as are the three below
    qint32 year = 0;
    qint32 discNumber = 0;
    qint32 totalDiscs = 0;
    // Written where the track header is long enough: plays and last played
    // (Mac time) from 92 bytes on, skips from 164.
    quint32 playCount = 0;
    quint32 lastPlayed = 0;
    quint32 skipCount = 0;
};

/// A playlist member; a non-empty groupName makes it a podcast group header
/// (track id 0, its title chunk names the show), written only in the grouped
/// playlist section.
struct WriterMember
{
    qint32 uin = 0;
    QString groupName;
};

struct WriterPlaylist
{
    std::optional<QString> name; // unset: no title chunk
    quint64 id = 0;
    bool podcast = false;
    std::vector<WriterMember> members;
};

struct WriterDatabase
{
    std::vector<WriterTrack> tracks;
    std::vector<WriterPlaylist> playlists; // the first is the master playlist
};

/// The order of the data sets, as real writers use it.
enum class WriterLayout {
    Old,       // 1, 2 (iTunes up to 4.8)
    Libgpod,   // 1, 3, 2, 4, 8, 6, 10, 5 (libgpod 0.8)
    ITunesNew, // 4, 1, 3, 2, 5 (iTunes 9 to 12)
};

struct WriterOptions
{
    WriterLayout layout = WriterLayout::Libgpod;
    qint32 version = 0x30;
    qint32 mhbdHeader = 0xf4;
    qint32 mhsdHeader = 0x60;
    qint32 listHeader = 0x5c; // mhlt, mhlp, mhla, mhli
    qint32 mhitHeader = 0x248;
    qint32 mhypHeader = 0x6c;
    qint32 mhipHeader = 0x4c;
    bool utf8 = false;               // strings as UTF-8 (encoding field 2) instead of UTF-16LE
    bool mhipLengthIsHeader = false; // old writers: an mhip's total length equals its header length
};

/// An iTunesDB holding `database`, laid out as the options say.
[[nodiscard]] QByteArray writeITunesDB(const WriterDatabase& database, const WriterOptions& options = {});
/// The iTunesCDB form of an iTunesDB: header as is, the rest one zlib stream.
[[nodiscard]] QByteArray compressITunesDB(const QByteArray& iTunesDB);
/// An OTGPlaylistInfo file with these track indexes.
[[nodiscard]] QByteArray writeOTGPlaylistInfo(const std::vector<qint32>& indexes);

struct PlayCountEntry
{
    quint32 playCount = 0;
    quint32 lastPlayed = 0; // Mac time
    quint32 rating = 0;     // stars x 20
    quint32 skipCount = 0;  // written from 28-byte entries on
};
/// A Play Counts file of `entrySize`-byte entries (12, 16, 20, 28, 40 ...);
/// fields an entry is too small for are left out. The entry count field says
/// entries.size() unless `countField` is given.
[[nodiscard]] QByteArray writePlayCounts(int entrySize, const std::vector<PlayCountEntry>& entries,
                                         std::optional<qint32> countField = std::nullopt);

/// Writes `bytes` to `path`, creating its folders; false on failure.
bool writeFileBytes(const QString& path, const QByteArray& bytes);

} // namespace quaverly::tools
