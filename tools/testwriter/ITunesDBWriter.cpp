#include "tools/testwriter/ITunesDBWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QtEndian>

#include <zlib.h>

namespace quaverly::tools {
namespace {

// Appends chunks and patches their lengths once the children are written.
class Chunks
{
public:
    QByteArray bytes;

    qsizetype begin(const char* tag, qint32 headerLength)
    {
        const qsizetype at = bytes.size();
        bytes.append(tag, 4);
        put32(headerLength);
        bytes.append(headerLength - 8, '\0');
        return at;
    }
    void set32(qsizetype at, quint32 value) { qToLittleEndian(value, bytes.data() + at); }
    void set64(qsizetype at, quint64 value) { qToLittleEndian(value, bytes.data() + at); }
    void setTotal(qsizetype start) { set32(start + 8, static_cast<quint32>(bytes.size() - start)); }
    void put32(quint32 value)
    {
        char raw[4];
        qToLittleEndian(value, raw);
        bytes.append(raw, 4);
    }

    void string(int type, const QString& text, bool utf8)
    {
        QByteArray data;
        if (utf8) {
            data = text.toUtf8();
        } else {
            data.resize(text.size() * 2);
            qToLittleEndian<quint16>(text.utf16(), text.size(), data.data());
        }
        const qsizetype at = begin("mhod", 0x18);
        set32(at + 8, static_cast<quint32>(40 + data.size()));
        set32(at + 12, static_cast<quint32>(type));
        put32(utf8 ? 2 : 1);
        put32(static_cast<quint32>(data.size()));
        put32(1);
        put32(0);
        bytes.append(data);
    }
    void binary(int type, qint32 totalLength, quint32 field24 = 0)
    {
        const qsizetype at = begin("mhod", 0x18);
        set32(at + 8, static_cast<quint32>(totalLength));
        set32(at + 12, static_cast<quint32>(type));
        bytes.append(totalLength - 0x18, '\0');
        set32(at + 24, field24);
    }
};

void writeTrack(Chunks& out, const WriterTrack& track, const WriterOptions& options)
{
    const qsizetype at = out.begin("mhit", options.mhitHeader);
    const std::pair<int, const std::optional<QString>*> strings[] = {
        { 1, &track.title },  { 2, &track.location }, { 3, &track.album },
        { 4, &track.artist }, { 5, &track.genre },    { 6, &track.fileType },
    };
    quint32 count = 0;
    for (const auto& [type, text] : strings) {
        if (text->has_value()) {
            out.string(type, **text, options.utf8);
            ++count;
        }
    }
    for (const auto& [type, text] : track.extraStrings) {
        out.string(type, text, options.utf8);
        ++count;
    }
    out.set32(at + 12, count);
    out.set32(at + 16, static_cast<quint32>(track.uin));
    out.set32(at + 20, 1);
    out.bytes[at + 31] = static_cast<char>(track.ratingRaw);
    out.set32(at + 36, static_cast<quint32>(track.fileSize));
    out.set32(at + 40, static_cast<quint32>(track.lengthMs));
    out.set32(at + 44, static_cast<quint32>(track.trackNumber));
    if (options.mhitHeader >= 100) {
        out.set32(at + 48, static_cast<quint32>(track.totalTracks));
        out.set32(at + 52, static_cast<quint32>(track.year));
        out.set32(at + 92, static_cast<quint32>(track.discNumber));
        out.set32(at + 96, static_cast<quint32>(track.totalDiscs));
    }
    if (options.mhitHeader >= 92) {
        out.set32(at + 80, track.playCount);
        out.set32(at + 88, track.lastPlayed);
    }
    if (options.mhitHeader >= 164)
        out.set32(at + 156, track.skipCount);
    out.setTotal(at);
}

void writeMember(Chunks& out, const WriterMember& member, int position, const WriterOptions& options)
{
    const qsizetype at = out.begin("mhip", options.mhipHeader);
    out.set32(at + 12, 1);
    out.set32(at + 16, member.groupName.isEmpty() ? 0 : 0x100);
    out.set32(at + 20, static_cast<quint32>(position + 1));
    out.set32(at + 24, static_cast<quint32>(member.uin));
    if (member.groupName.isEmpty())
        out.binary(100, 0x2c, static_cast<quint32>(position));
    else
        out.string(1, member.groupName, options.utf8);
    out.set32(at + 8, static_cast<quint32>(options.mhipLengthIsHeader ? options.mhipHeader : out.bytes.size() - at));
}

void writePlaylist(Chunks& out, const WriterPlaylist& list, bool master, bool grouped, const WriterOptions& options)
{
    const qsizetype at = out.begin("mhyp", options.mhypHeader);
    quint32 strings = 1;
    if (list.name) {
        out.string(1, *list.name, options.utf8);
        ++strings;
    }
    out.binary(100, 0x288);
    int written = 0;
    for (const WriterMember& member : list.members) {
        if (!member.groupName.isEmpty() && !grouped)
            continue;
        writeMember(out, member, written++, options);
    }
    out.set32(at + 12, strings);
    out.set32(at + 16, static_cast<quint32>(written));
    out.bytes[at + 20] = master ? 1 : 0;
    out.set64(at + 28, list.id);
    if (options.mhypHeader >= 44)
        out.bytes[at + 42] = list.podcast ? 1 : 0;
    out.setTotal(at);
}

void writeAlbumsAndArtists(Chunks& out, const WriterDatabase& database, bool albums, const WriterOptions& options)
{
    QHash<QString, int> seen;
    const qsizetype list = out.begin(albums ? "mhla" : "mhli", options.listHeader);
    for (const WriterTrack& track : database.tracks) {
        const QString key = albums ? track.album.value_or(QString()) : track.artist.value_or(QString());
        if (seen.contains(key))
            continue;
        seen.insert(key, static_cast<int>(seen.size()) + 1);
        const qsizetype item = out.begin(albums ? "mhia" : "mhii", albums ? 0x58 : 0x50);
        out.set32(item + 12, albums ? 2 : 1);
        out.set32(item + 16, static_cast<quint32>(seen.size()));
        out.string(albums ? 200 : 300, key, options.utf8);
        if (albums)
            out.string(201, track.artist.value_or(QString()), options.utf8);
        out.setTotal(item);
    }
    out.set32(list + 8, static_cast<quint32>(seen.size()));
}

void writeDataSet(Chunks& out, int type, const WriterDatabase& database, const WriterOptions& options)
{
    const qsizetype at = out.begin("mhsd", options.mhsdHeader);
    out.set32(at + 12, static_cast<quint32>(type));
    if (type == 1) {
        const qsizetype list = out.begin("mhlt", options.listHeader);
        out.set32(list + 8, static_cast<quint32>(database.tracks.size()));
        for (const WriterTrack& track : database.tracks)
            writeTrack(out, track, options);
    } else if (type == 2 || type == 3) {
        const qsizetype list = out.begin("mhlp", options.listHeader);
        out.set32(list + 8, static_cast<quint32>(database.playlists.size()));
        for (size_t i = 0; i < database.playlists.size(); ++i)
            writePlaylist(out, database.playlists[i], i == 0, type == 3, options);
    } else if (type == 4 || type == 8) {
        writeAlbumsAndArtists(out, database, type == 4, options);
    } else if (type == 5) {
        out.begin("mhlp", options.listHeader);
    } else {
        out.begin("mhlt", options.listHeader);
    }
    out.setTotal(at);
}

} // namespace

QByteArray writeITunesDB(const WriterDatabase& database, const WriterOptions& options)
{
    static const std::vector<int> kOld { 1, 2 };
    static const std::vector<int> kLibgpod { 1, 3, 2, 4, 8, 6, 10, 5 };
    static const std::vector<int> kITunesNew { 4, 1, 3, 2, 5 };
    const std::vector<int>& order = options.layout == WriterLayout::Old
        ? kOld
        : (options.layout == WriterLayout::Libgpod ? kLibgpod : kITunesNew);
    Chunks out;
    out.bytes.reserve(static_cast<qsizetype>(database.tracks.size()) * (options.mhitHeader + 800) + 4096);
    const qsizetype at = out.begin("mhbd", options.mhbdHeader);
    out.set32(at + 12, 1);
    out.set32(at + 16, static_cast<quint32>(options.version));
    out.set32(at + 20, static_cast<quint32>(order.size()));
    for (const int type : order)
        writeDataSet(out, type, database, options);
    out.setTotal(at);
    return out.bytes;
}

QByteArray compressITunesDB(const QByteArray& iTunesDB)
{
    const qsizetype headerLength = qFromLittleEndian<qint32>(iTunesDB.constData() + 4);
    QByteArray header = iTunesDB.left(headerLength);
    if (headerLength > 0xa8) {
        qToLittleEndian<quint32>(2, header.data() + 12);
        header[0xa8] = 1;
    }
    uLongf packedSize = compressBound(static_cast<uLong>(iTunesDB.size() - headerLength));
    QByteArray packed(static_cast<qsizetype>(packedSize), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
              reinterpret_cast<const Bytef*>(iTunesDB.constData() + headerLength),
              static_cast<uLong>(iTunesDB.size() - headerLength), 1);
    packed.resize(static_cast<qsizetype>(packedSize));
    QByteArray whole = header + packed;
    qToLittleEndian<quint32>(static_cast<quint32>(whole.size()), whole.data() + 8);
    return whole;
}

QByteArray writeOTGPlaylistInfo(const std::vector<qint32>& indexes)
{
    Chunks out;
    out.begin("mhpo", 0x14);
    out.set32(8, 4);
    out.set32(12, static_cast<quint32>(indexes.size()));
    out.set32(16, 1);
    for (const qint32 index : indexes)
        out.put32(static_cast<quint32>(index));
    return out.bytes;
}

QByteArray writePlayCounts(int entrySize, const std::vector<PlayCountEntry>& entries, std::optional<qint32> countField)
{
    Chunks out;
    out.begin("mhdp", 0x60);
    out.set32(8, static_cast<quint32>(entrySize));
    out.set32(12, static_cast<quint32>(countField.value_or(static_cast<qint32>(entries.size()))));
    for (const PlayCountEntry& entry : entries) {
        const qsizetype at = out.bytes.size();
        out.bytes.append(entrySize, '\0');
        out.set32(at, entry.playCount);
        if (entrySize >= 8)
            out.set32(at + 4, entry.lastPlayed);
        if (entrySize >= 16)
            out.set32(at + 12, entry.rating);
        if (entrySize >= 24)
            out.set32(at + 20, entry.skipCount);
    }
    return out.bytes;
}

bool writeFileBytes(const QString& path, const QByteArray& bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush();
}

} // namespace quaverly::tools
