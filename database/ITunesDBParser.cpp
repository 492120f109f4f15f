#include "database/ITunesDBParser.h"

#include "database/ByteWindow.h"
#include "database/DbString.h"
#include "database/DebugTrace.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

namespace quaverly::database {
namespace {

constexpr quint32 tagOf(const char (&tag)[5])
{
    return static_cast<quint32>(static_cast<uchar>(tag[0])) | static_cast<quint32>(static_cast<uchar>(tag[1])) << 8
        | static_cast<quint32>(static_cast<uchar>(tag[2])) << 16
        | static_cast<quint32>(static_cast<uchar>(tag[3])) << 24;
}

constexpr quint32 kMhbd = tagOf("mhbd");
constexpr quint32 kMhsd = tagOf("mhsd");
constexpr quint32 kMhlt = tagOf("mhlt");
constexpr quint32 kMhlp = tagOf("mhlp");
constexpr quint32 kMhit = tagOf("mhit");
constexpr quint32 kMhod = tagOf("mhod");
constexpr quint32 kMhyp = tagOf("mhyp");
constexpr quint32 kMhip = tagOf("mhip");

constexpr qint64 kMinChunk = 12;     // tag, header length, third field
constexpr qint64 kTrackHead = 48;    // a track header holds at least id, rating, length and number
constexpr qint64 kTrackPlays = 92;   // ... then play count (80) and last played (88)
constexpr qint64 kTrackSkips = 164;  // ... and from iTunes 4.7 on skip count (156), last skipped
constexpr qint64 kStringHeader = 40; // a string chunk's text starts here
constexpr quint32 kPodcastGroup = 0x100;
constexpr qint64 kDamage = -1;
constexpr qint64 kUnknown = 0;

enum StringType {
    kTitle = 1,
    kLocation = 2,
    kAlbum = 3,
    kArtist = 4,
    kGenre = 5,
    kFileType = 6,
    kComment = 8,
    kComposer = 12,
    kAlbumArtist = 22,
};

// Texts that repeat across tracks share one decoded copy per pool; titles
// and locations are nearly always unique and are not pooled (-1).
constexpr int poolOf(int type)
{
    switch (type) {
    case kAlbum:
        return 0;
    case kArtist:
        return 1;
    case kGenre:
        return 2;
    case kFileType:
        return 3;
    case kComposer:
        return 4;
    case kAlbumArtist:
        return 5;
    case kComment:
        return 6;
    default:
        return -1;
    }
}
constexpr int kPools = 7;

constexpr bool isTrackString(int type)
{
    return type == kTitle || type == kLocation || poolOf(type) >= 0;
}

// Track fields past the first 48 bytes of a track header (total tracks,
// year, disc number and count) exist in every header from 0x9c bytes on.
constexpr qint64 kTrackDetailsEnd = 100;

qint16 smallField(qint32 value)
{
    return static_cast<qint16>(std::clamp<qint32>(value, 0, 0x7fff));
}

struct BytesHash
{
    using is_transparent = void;
    size_t operator()(std::string_view bytes) const { return std::hash<std::string_view> {}(bytes); }
};

// Albums, artists, genres and kinds repeat across thousands of tracks: each
// distinct text is decoded once and shared (QString is implicitly shared).
class StringPool
{
public:
    const QString& get(const uchar* data, qint64 count, bool utf8)
    {
        auto& pool = m_pools[utf8 ? 1 : 0];
        const std::string_view key(reinterpret_cast<const char*>(data), static_cast<size_t>(count));
        auto it = pool.find(key);
        if (it == pool.end())
            it = pool.emplace(std::string(key), DecodeDBString(data, count, utf8)).first;
        return it->second;
    }

private:
    std::unordered_map<std::string, QString, BytesHash, std::equal_to<>> m_pools[2];
};

// One shared copy per distinct album artist, composer and comment.
class CreditsPool
{
public:
    std::shared_ptr<const TrackCredits> intern(TrackCredits credits)
    {
        if (credits.AlbumArtist.isEmpty() && credits.Composer.isEmpty() && credits.Comment.isEmpty())
            return nullptr;
        const QString key = credits.AlbumArtist + QChar(0x1f) + credits.Composer + QChar(0x1f) + credits.Comment;
        std::shared_ptr<const TrackCredits>& shared = m_pool[key];
        if (!shared)
            shared = std::make_shared<const TrackCredits>(std::move(credits));
        return shared;
    }

private:
    QHash<QString, std::shared_ptr<const TrackCredits>> m_pool;
};

class Scanner
{
public:
    Scanner(ByteWindow& bytes, Library& library, const std::atomic_bool* cancel)
        : m_bytes(bytes)
        , m_library(library)
        , m_cancel(cancel)
        , m_size(bytes.size())
    {
    }
    ParseReport run();

private:
    enum class Mode { None, Tracks, Playlists };

    qint64 handle(quint32 tag, qint64 p, qint64 headerLength, qint64 third);
    qint64 forward(qint64 p, qint64 length) const
    {
        return (length < kMinChunk || length > m_size - p) ? kDamage : length;
    }
    qint64 dataSet(qint64 p, qint64 headerLength, qint64 totalLength);
    qint64 track(qint64 p, qint64 headerLength);
    qint64 string(qint64 p, qint64 totalLength);
    qint64 playlist(qint64 p, qint64 headerLength);
    qint64 member(qint64 p, qint64 headerLength);
    void storeTrackString(int type, QString text);
    void finish();

    ByteWindow& m_bytes;
    Library& m_library;
    const std::atomic_bool* m_cancel;
    const qint64 m_size;
    ParseReport m_report;
    Mode m_mode = Mode::None;
    int m_currentTrack = -1;
    int m_currentPlaylist = -1; // -1 also while a repeated playlist is skipped
    bool m_memberSeen = false;  // titles after the first member do not name the playlist
    QSet<quint64> m_seenPlaylistIds;
    StringPool m_pools[kPools];
    CreditsPool m_credits;
    qint64 m_declaredSize = 0; // the database header's total length: the whole file
};

ParseReport Scanner::run()
{
    qint64 p = 0;
    bool inUnknown = false;
    quint32 chunks = 0;
    while (p < m_size) {
        if (m_cancel && (++chunks & 0xfff) == 0 && m_cancel->load(std::memory_order_relaxed)) {
            m_report.cancelled = true;
            break;
        }
        const uchar* head = m_bytes.at(p, kMinChunk);
        if (!head) {
            m_report.readFailed = m_bytes.readFailed();
            if (!inUnknown && !m_report.readFailed) {
                m_report.damaged = true;
                m_report.damageOffset = p;
            }
            break;
        }
        const qint64 advance = handle(ByteWindow::u32(head), p, ByteWindow::i32(head + 4), ByteWindow::i32(head + 8));
        if (advance == kDamage) {
            m_report.readFailed = m_bytes.readFailed();
            m_report.damaged = !m_report.readFailed;
            m_report.damageOffset = p;
            DebugTrace(QStringLiteral("Damaged chunk at offset %1").arg(p));
            break;
        }
        if (advance == kUnknown) {
            if (!inUnknown) {
                ++m_report.unknownChunks;
                if (m_report.firstUnknownOffset < 0)
                    m_report.firstUnknownOffset = p;
                DebugTrace(QString::fromLatin1(reinterpret_cast<const char*>(head), 4) + u"something wrong:");
            }
            inUnknown = true;
            ++p;
            continue;
        }
        inUnknown = false;
        p += advance;
    }
    // A file shorter than its header says was cut off (a copy that stopped early).
    if (!m_report.damaged && !m_report.readFailed && !m_report.cancelled && m_declaredSize > m_size) {
        m_report.damaged = true;
        m_report.damageOffset = m_size;
    }
    finish();
    return m_report;
}

qint64 Scanner::handle(quint32 tag, qint64 p, qint64 headerLength, qint64 third)
{
    switch (tag) {
    case kMhbd:
        if (p == 0)
            m_declaredSize = third;
        return forward(p, headerLength);
    case kMhsd:
        return dataSet(p, headerLength, third);
    case kMhlt:
        m_mode = Mode::Tracks;
        if (m_library.Tracks.empty() && third > 0)
            m_library.Tracks.reserve(static_cast<size_t>(std::min<qint64>(third, m_size / 156)));
        return forward(p, headerLength);
    case kMhlp:
        m_mode = Mode::Playlists;
        return forward(p, headerLength);
    case kMhit:
        return track(p, headerLength);
    case kMhod:
        return string(p, third);
    case kMhyp:
        return playlist(p, headerLength);
    case kMhip:
        return member(p, headerLength);
    default:
        return kUnknown;
    }
}

qint64 Scanner::dataSet(qint64 p, qint64 headerLength, qint64 totalLength)
{
    const uchar* head = m_bytes.at(p, 16);
    if (!head)
        return kDamage;
    const qint32 type = ByteWindow::i32(head + 12);
    // Tracks (1) and playlists (2, 3) are read; album lists, artist lists,
    // special playlists and whatever later sets hold are skipped whole.
    if (type >= 1 && type <= 3)
        return forward(p, headerLength);
    return forward(p, totalLength);
}

qint64 Scanner::track(qint64 p, qint64 headerLength)
{
    const qint64 advance = forward(p, headerLength);
    // Only what the header's own length covers is read.
    const qint64 readable = std::min(headerLength, kTrackSkips);
    const bool details = headerLength >= kTrackDetailsEnd;
    const uchar* head = advance == kDamage ? nullptr : m_bytes.at(p, std::max(readable, kTrackHead));
    if (!head)
        return kDamage;
    m_mode = Mode::Tracks;
    TrackRecord& record = m_library.Tracks.emplace_back();
    record.UIN = ByteWindow::i32(head + 16);
    record.Rating = starsFromRawRating(head[31]);
    record.Length = ByteWindow::i32(head + 40);
    record.TrackNumber = ByteWindow::i32(head + 44);
    if (details) {
        record.TotalTracks = smallField(ByteWindow::i32(head + 48));
        record.Year = static_cast<qint16>(std::clamp<qint32>(ByteWindow::i32(head + 52), 0, 9999));
        record.DiscNumber = smallField(ByteWindow::i32(head + 92));
        record.TotalDiscs = smallField(ByteWindow::i32(head + 96));
    }
    if (readable >= kTrackPlays) {
        record.PlayCount = std::max(0, ByteWindow::i32(head + 80));
        record.LastPlayed = ByteWindow::u32(head + 88);
    }
    if (readable >= kTrackSkips)
        record.SkipCount = std::max(0, ByteWindow::i32(head + 156));
    m_currentTrack = m_library.TrackCount() - 1;
    return advance;
}

qint64 Scanner::string(qint64 p, qint64 totalLength)
{
    const qint64 advance = forward(p, totalLength);
    if (advance == kDamage)
        return kDamage;
    const bool forTrack = m_mode == Mode::Tracks && m_currentTrack >= 0;
    const bool forPlaylist = m_mode == Mode::Playlists && m_currentPlaylist >= 0 && !m_memberSeen;
    if ((!forTrack && !forPlaylist) || totalLength < kStringHeader)
        return advance;
    const uchar* head = m_bytes.at(p, kStringHeader);
    if (!head)
        return kDamage;
    const qint32 type = ByteWindow::i32(head + 12);
    if ((forPlaylist && type != kTitle) || (forTrack && !isTrackString(type)))
        return advance;
    // The stored byte count is trusted only as far as the chunk reaches.
    const qint64 count = std::clamp<qint64>(ByteWindow::i32(head + 28), 0, totalLength - kStringHeader);
    const bool utf8 = ByteWindow::i32(head + 24) == 2;
    const uchar* text = m_bytes.at(p + kStringHeader, count);
    if (!text)
        return kDamage;
    const int pool = forTrack ? poolOf(type) : -1;
    QString decoded = pool >= 0 ? m_pools[pool].get(text, count, utf8) : DecodeDBString(text, count, utf8);
    if (forTrack) {
        storeTrackString(type, std::move(decoded));
    } else if (m_currentPlaylist == 0) {
        m_library.iPodName = decoded;
        m_library.Playlists.front().Name = u":: " + decoded + u" ::";
        m_report.masterHasTitle = true;
    } else {
        m_library.Playlists[static_cast<size_t>(m_currentPlaylist)].Name = std::move(decoded);
    }
    return advance;
}

void Scanner::storeTrackString(int type, QString text)
{
    TrackRecord& record = m_library.Tracks[static_cast<size_t>(m_currentTrack)];
    switch (type) {
    case kTitle:
        record.Title = std::move(text);
        break;
    case kLocation:
        record.Path = text.replace(QLatin1Char(':'), QLatin1Char('/'));
        break;
    case kAlbum:
        record.Album = std::move(text);
        break;
    case kArtist:
        record.Artist = text.isEmpty() ? QStringLiteral("No Artist") : std::move(text);
        break;
    case kGenre:
        record.Genre = text.isEmpty() ? QStringLiteral("No Genre") : std::move(text);
        break;
    case kFileType:
        record.FileType = std::move(text);
        break;
    case kComment:
    case kComposer:
    case kAlbumArtist: {
        TrackCredits credits = record.Credits ? *record.Credits : TrackCredits {};
        (type == kComment ? credits.Comment : type == kComposer ? credits.Composer : credits.AlbumArtist) = text;
        record.Credits = m_credits.intern(std::move(credits));
        break;
    }
    default:
        break;
    }
}

qint64 Scanner::playlist(qint64 p, qint64 headerLength)
{
    const qint64 advance = forward(p, headerLength);
    const uchar* head = advance == kDamage ? nullptr : m_bytes.at(p, 36);
    if (!head)
        return kDamage;
    m_mode = Mode::Playlists;
    m_memberSeen = false;
    const quint64 id = ByteWindow::u64(head + 28);
    // Newer databases hold every playlist twice (grouped podcasts, then
    // plain); the second copy must neither rename nor grow the first.
    if (id != 0 && m_seenPlaylistIds.contains(id)) {
        m_currentPlaylist = -1;
        return advance;
    }
    if (id != 0)
        m_seenPlaylistIds.insert(id);
    DebugTrace(QStringLiteral("a playlist:"));
    clsPlayList& list = m_library.Playlists.emplace_back();
    list.id = static_cast<qint64>(id);
    m_currentPlaylist = m_library.PlaylistCount() - 1;
    return advance;
}

qint64 Scanner::member(qint64 p, qint64 headerLength)
{
    const qint64 advance = forward(p, headerLength);
    const uchar* head = advance == kDamage ? nullptr : m_bytes.at(p, 28);
    if (!head)
        return kDamage;
    m_memberSeen = true;
    // A podcast group header names a show; it is not a song of the playlist.
    const bool groupHeader = (ByteWindow::u32(head + 16) & kPodcastGroup) != 0;
    if (m_mode == Mode::Playlists && m_currentPlaylist >= 0 && !groupHeader)
        m_library.Playlists[static_cast<size_t>(m_currentPlaylist)].UINList.push_back(ByteWindow::i32(head + 24));
    return advance;
}

void Scanner::finish()
{
    m_library.buildTrackIndex();
    for (clsPlayList& list : m_library.Playlists) {
        list.IndexList.clear();
        list.IndexList.reserve(list.UINList.size());
        for (const qint32 uin : list.UINList) {
            const int index = m_library.indexOfUIN(uin);
            if (index >= 0)
                list.IndexList.push_back(index);
        }
    }
}

} // namespace

qint16 starsFromRawRating(int raw)
{
    const int whole = raw / 20;
    const int rest = raw % 20;
    int stars = whole;
    if (rest > 10 || (rest == 10 && (whole % 2) != 0))
        ++stars;
    return static_cast<qint16>(std::clamp(stars, 0, 5));
}

ParseReport parseITunesDB(ByteWindow& bytes, Library& library, const std::atomic_bool* cancel)
{
    return Scanner(bytes, library, cancel).run();
}

} // namespace quaverly::database
