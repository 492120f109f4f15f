#include "browser/LibraryChecks.h"

#include "browser/BrowserLog.h"
#include "database/Library.h"
#include "device/DeviceGuard.h"
#include "device/DevicePath.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

#include <unordered_map>
#include <unordered_set>

namespace quaverly::browser {
namespace {

constexpr int kProgressStep = 1024;

// A hash that is equal for texts equal ignoring letter case, made without
// allocating: most titles are met once, so folding copies would dominate.
size_t caseInsensitiveHash(const QString& text, size_t seed)
{
    size_t hash = seed;
    const qsizetype length = text.size();
    const char16_t* units = reinterpret_cast<const char16_t*>(text.utf16());
    for (qsizetype i = 0; i < length; ++i) {
        char32_t unit = units[i];
        if (unit < 0x80) {
            if (unit >= u'A' && unit <= u'Z')
                unit += 0x20;
        } else if (QChar::isHighSurrogate(unit) && i + 1 < length && QChar::isLowSurrogate(units[i + 1])) {
            unit = QChar::toCaseFolded(QChar::surrogateToUcs4(char16_t(unit), units[++i]));
        } else {
            unit = QChar::toCaseFolded(unit);
        }
        hash = (hash ^ unit) * 0x100000001b3ULL;
    }
    return hash ^ static_cast<size_t>(length);
}

// Spreads every bit of a hash over all others (the finaliser of MurmurHash3),
// so any part of it can pick a slot.
quint64 mixed(quint64 hash)
{
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdULL;
    hash ^= hash >> 33;
    hash *= 0xc4ceb9fe1a85ec53ULL;
    return hash ^ (hash >> 33);
}

bool sameSong(const database::TrackRecord& a, const database::TrackRecord& b)
{
    return a.Title.compare(b.Title, Qt::CaseInsensitive) == 0 && a.Artist.compare(b.Artist, Qt::CaseInsensitive) == 0
        && a.Album.compare(b.Album, Qt::CaseInsensitive) == 0;
}

qsizetype lastSeparator(const QString& path)
{
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        const QChar c = path[i];
        if (c == u'/' || c == u'\\' || c == u':')
            return i;
    }
    return -1;
}

struct TextHash
{
    using is_transparent = void;
    size_t operator()(QStringView text) const { return qHash(text); }
};
using NameSet = std::unordered_set<QString, TextHash, std::equal_to<>>;

// `text` case-folded into `out`, reusing its storage; song names are nearly
// always ASCII, folded here without the general Unicode folding.
void foldInto(QStringView text, QString& out)
{
    out.resize(text.size());
    QChar* data = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x80) {
            out = text.toString().toCaseFolded();
            return;
        }
        data[i] = QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
    }
}

// The folded names of the files (hidden and system ones too) in a folder of
// the iPod, or nullopt when the folder is not there.
std::optional<NameSet> listFiles(const device::DevicePath& device, const QString& folder)
{
    const QString native = folder.isEmpty() ? device.root() : device.existing(folder);
    if (native.isEmpty() || !QFileInfo(native).isDir())
        return std::nullopt;
    NameSet names;
    QString folded;
    QDirIterator it(native, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        foldInto(it.fileName(), folded);
        names.insert(folded);
    }
    return names;
}

bool keepGoing(const CheckProgressFn& progress, int done, int total)
{
    return !progress || progress(done, total);
}

} // namespace

std::vector<int> DuplicateReport::entries() const
{
    std::vector<int> result;
    for (const DuplicateLine& line : lines)
        result.insert(result.end(), static_cast<size_t>(line.repeat), line.trackIndex);
    return result;
}

std::vector<int> DuplicateReport::copiesOf(const DuplicateLine& line) const
{
    if (line.copies <= 0 || line.firstCopy < 0)
        return {};
    const auto first = groupCopies.begin() + line.firstCopy;
    return std::vector<int>(first, first + line.copies);
}

DuplicateReport ScanForDuplicates(const database::Library& library, const CheckProgressFn& progress)
{
    DuplicateReport report;
    const int count = library.TrackCount();
    const auto at = [](int i) { return static_cast<size_t>(i); };
    // Every track's hash first, in one pass over the library.
    std::vector<quint64> hashes(at(count));
    for (int i = 0; i < count; ++i) {
        if (i % kProgressStep == 0 && !keepGoing(progress, i, count)) {
            report.error = CheckError::Cancelled;
            return report;
        }
        const database::TrackRecord& track = library.Tracks[at(i)];
        hashes[at(i)] = mixed(caseInsensitiveHash(
            track.Album, caseInsensitiveHash(track.Artist, caseInsensitiveHash(track.Title, 0xcbf29ce484222325ULL))));
    }
    // Songs in an open-addressing table at most half full, each slot holding
    // the upper half of its song's hash, so a probe touches one slot and
    // nothing else until the hashes agree. The slot a later track will probe
    // is fetched ahead: at 200,000 tracks the table no longer fits the cache.
    struct Slot
    {
        quint32 tag = 0;
        int song = -1;
    };
    size_t slots = 16;
    while (slots < 2 * at(count))
        slots *= 2;
    const size_t mask = slots - 1;
    std::vector<Slot> table(slots);
    std::vector<int> songFirst; // the first track of each song
    std::vector<int> copies;    // tracks per song
    std::vector<int> songOfTrack(at(count));
    constexpr int kAhead = 16;
    for (int i = 0; i < count; ++i) {
        if (i + kAhead < count)
            __builtin_prefetch(&table[hashes[at(i + kAhead)] & mask]);
        const quint64 hash = hashes[at(i)];
        const auto tag = static_cast<quint32>(hash >> 32);
        const database::TrackRecord& track = library.Tracks[at(i)];
        size_t slot = hash & mask;
        int song = -1;
        for (; table[slot].song >= 0; slot = (slot + 1) & mask) {
            const int candidate = table[slot].song;
            const int first = songFirst[at(candidate)];
            if (table[slot].tag == tag && hashes[at(first)] == hash && sameSong(library.Tracks[at(first)], track)) {
                song = candidate;
                break;
            }
        }
        if (song < 0) {
            song = static_cast<int>(copies.size());
            table[slot] = { tag, song };
            songFirst.push_back(i);
            copies.push_back(0);
        }
        songOfTrack[at(i)] = song;
        ++copies[at(song)];
    }
    // Copies of one song, numbered 0..k-1 in library order: copy m meets
    // k-1-m later copies not yet listed, so it is listed k-1-m times. A song
    // with more than kMaxListedCopies copies gets one group line instead.
    std::vector<int> seen(copies.size(), 0);
    std::vector<int> groupLine(copies.size(), -1);
    for (int i = 0; i < count; ++i) {
        const auto song = static_cast<size_t>(songOfTrack[static_cast<size_t>(i)]);
        const int k = copies[song];
        const int m = seen[song]++;
        if (k > kMaxListedCopies) {
            if (m == 0) {
                groupLine[song] = static_cast<int>(report.lines.size());
                report.lines.push_back({ i, 1, k, static_cast<int>(report.groupCopies.size()) });
                report.groupCopies.resize(report.groupCopies.size() + static_cast<size_t>(k));
                ++report.foundCount;
            }
            const DuplicateLine& line = report.lines[static_cast<size_t>(groupLine[song])];
            report.groupCopies[static_cast<size_t>(line.firstCopy + m)] = i;
        } else if (const int later = k - 1 - m; later > 0) {
            report.lines.push_back({ i, later });
            report.foundCount += later;
        }
    }
    return report;
}

MissingReport ScanForMissing(const database::Library& library, const QString& iPodRoot, const CheckProgressFn& progress)
{
    // Each folder is found (ignoring letter case) and listed once; a song is
    // present when its folded name is among the files listed there.
    MissingReport report;
    const device::DevicePath device(iPodRoot);
    // Folder as stored -> folded file names, or nullopt when it is not there.
    std::unordered_map<QString, std::optional<NameSet>, TextHash, std::equal_to<>> filesOfFolder;
    QString folded;
    const int count = library.TrackCount();
    for (int i = 0; i < count; ++i) {
        if (i % kProgressStep == 0 && !keepGoing(progress, i, count)) {
            report.error = CheckError::Cancelled;
            return report;
        }
        const QString& path = library.Tracks[static_cast<size_t>(i)].Path;
        const qsizetype slash = lastSeparator(path);
        const QStringView folder = QStringView(path).left(slash + 1);
        auto it = filesOfFolder.find(folder);
        if (it == filesOfFolder.end()) {
            const QString key = folder.toString();
            it = filesOfFolder.emplace(key, listFiles(device, key)).first;
        }
        const QStringView name = QStringView(path).sliced(slash + 1);
        bool present = false;
        if (it->second && !name.isEmpty()) {
            foldInto(name, folded);
            present = it->second->contains(QStringView(folded));
        }
        if (!present)
            report.missing.push_back(i);
    }
    return report;
}

QString reportLine(const database::Library& library, int trackIndex)
{
    if (trackIndex < 0 || trackIndex >= library.TrackCount())
        return {};
    const database::TrackRecord& track = library.Tracks[static_cast<size_t>(trackIndex)];
    return track.Artist + u" - " + track.Title;
}

QString reportLine(const database::Library& library, const DuplicateLine& line)
{
    QString text = reportLine(library, line.trackIndex);
    if (line.copies > 0)
        text += QStringLiteral(" (%1 copies)").arg(line.copies);
    return text;
}

QString reportText(const database::Library& library, const std::vector<int>& trackIndexes)
{
    QString text;
    for (int index : trackIndexes) {
        if (index >= 0 && index < library.TrackCount())
            text += u"\r\n" + reportLine(library, index);
    }
    return text;
}

QString reportText(const database::Library& library, const DuplicateReport& report)
{
    QString text;
    for (const DuplicateLine& line : report.lines) {
        const QString piece = u"\r\n" + reportLine(library, line);
        for (int r = 0; r < line.repeat; ++r)
            text += piece;
    }
    return text;
}

namespace {

// Writes duplicates.txt through `body`, which answers false when a write failed.
WriteResult writeDuplicates(const QString& iPodRoot, const std::function<bool(QSaveFile& file)>& body)
{
    WriteResult result;
    const std::optional<QString> target = iPodRoot.isEmpty()
        ? std::nullopt
        : device::DevicePath(iPodRoot).resolve(QStringLiteral("duplicates.txt"));
    if (!target) {
        result.error = WriteError::NoRoot;
        return result;
    }
    result.path = *target;
    // Written where it really lies, so the replacing rename happens there too, and only on the iPod.
    const device::DeviceGuard guard(iPodRoot);
    if (guard.realRoot().isEmpty()) {
        result.error = WriteError::CannotWrite;
        result.errorText = QStringLiteral("the iPod folder %1 is not there").arg(iPodRoot);
        return result;
    }
    const QString real = guard.inside(*target);
    if (real.isEmpty()) {
        result.error = WriteError::OutsideIpod;
        result.errorText = QStringLiteral("duplicates.txt leads outside the iPod through a link and was left alone");
        qCWarning(lcBrowser) << "not written:" << result.errorText;
        return result;
    }
    QSaveFile file(real);
    if (!file.open(QIODevice::WriteOnly) || !body(file) || !file.commit()) {
        result.error = WriteError::CannotWrite;
        result.errorText = file.errorString();
        qCWarning(lcBrowser) << "cannot write" << *target << result.errorText;
    }
    return result;
}

} // namespace

WriteResult writeDuplicatesFile(const QString& iPodRoot, const QString& reportText)
{
    return writeDuplicates(iPodRoot, [&](QSaveFile& file) { return file.write((reportText + u"\r\n").toUtf8()) >= 0; });
}

WriteResult writeDuplicatesFile(const QString& iPodRoot, const database::Library& library,
                                const DuplicateReport& report)
{
    return writeDuplicates(iPodRoot, [&](QSaveFile& file) {
        constexpr qsizetype kChunkBytes = 64 * 1024;
        QByteArray chunk;
        chunk.reserve(kChunkBytes + 1024);
        for (const DuplicateLine& line : report.lines) {
            const QByteArray piece = (u"\r\n" + reportLine(library, line)).toUtf8();
            for (int r = 0; r < line.repeat; ++r)
                chunk += piece;
            if (chunk.size() >= kChunkBytes) {
                if (file.write(chunk) < 0)
                    return false;
                chunk.clear();
            }
        }
        chunk += "\r\n";
        return file.write(chunk) >= 0;
    });
}

} // namespace quaverly::browser
