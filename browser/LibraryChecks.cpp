#include "browser/LibraryChecks.h"

#include "browser/BrowserLog.h"
#include "database/Library.h"
#include "device/DeviceGuard.h"
#include "device/DevicePath.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>

#include <unordered_map>

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

// The folded names of the files (hidden and system ones too) in a folder of
// the iPod, or nullopt when the folder is not there.
std::optional<QSet<QString>> listFiles(const device::DevicePath& device, const QString& folder)
{
    const QString native = folder.isEmpty() ? device.root() : device.existing(folder);
    if (native.isEmpty() || !QFileInfo(native).isDir())
        return std::nullopt;
    QSet<QString> names;
    QDirIterator it(native, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        names.insert(it.fileName().toCaseFolded());
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

DuplicateReport ScanForDuplicates(const database::Library& library, const CheckProgressFn& progress)
{
    // Copies of one song, numbered 0..k-1 in library order: copy m meets
    // k-1-m later copies not yet listed, so it is listed k-1-m times.
    DuplicateReport report;
    const int count = library.TrackCount();
    // Songs by hash; each bucket holds (first track of a song, song number).
    std::unordered_map<size_t, std::vector<std::pair<int, int>>> songsOfHash;
    songsOfHash.reserve(static_cast<size_t>(count));
    std::vector<int> songOfTrack(static_cast<size_t>(count));
    std::vector<int> copies;
    for (int i = 0; i < count; ++i) {
        if (i % kProgressStep == 0 && !keepGoing(progress, i, count)) {
            report.error = CheckError::Cancelled;
            return report;
        }
        const database::TrackRecord& track = library.Tracks[static_cast<size_t>(i)];
        const size_t hash = caseInsensitiveHash(
            track.Album, caseInsensitiveHash(track.Artist, caseInsensitiveHash(track.Title, 0xcbf29ce484222325ULL)));
        auto& bucket = songsOfHash[hash];
        int song = -1;
        for (const auto& [first, number] : bucket) {
            if (sameSong(library.Tracks[static_cast<size_t>(first)], track)) {
                song = number;
                break;
            }
        }
        if (song < 0) {
            song = static_cast<int>(copies.size());
            copies.push_back(0);
            bucket.emplace_back(i, song);
        }
        songOfTrack[static_cast<size_t>(i)] = song;
        ++copies[static_cast<size_t>(song)];
    }
    std::vector<int> seen(copies.size(), 0);
    for (int i = 0; i < count; ++i) {
        const int song = songOfTrack[static_cast<size_t>(i)];
        const int later = copies[static_cast<size_t>(song)] - 1 - seen[static_cast<size_t>(song)]++;
        if (later > 0) {
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
    QHash<QString, std::optional<QSet<QString>>> filesOfFolder; // folder as stored -> folded file names
    const int count = library.TrackCount();
    for (int i = 0; i < count; ++i) {
        if (i % kProgressStep == 0 && !keepGoing(progress, i, count)) {
            report.error = CheckError::Cancelled;
            return report;
        }
        const QString& path = library.Tracks[static_cast<size_t>(i)].Path;
        const qsizetype slash = lastSeparator(path);
        const QString folder = path.left(slash + 1);
        auto it = filesOfFolder.find(folder);
        if (it == filesOfFolder.end())
            it = filesOfFolder.insert(folder, listFiles(device, folder));
        const QStringView name = QStringView(path).sliced(slash + 1);
        if (!*it || name.isEmpty() || !(*it)->contains(name.toString().toCaseFolded()))
            report.missing.push_back(i);
    }
    return report;
}

QString ReportText(const database::Library& library, const std::vector<int>& trackIndexes)
{
    QString text;
    for (int index : trackIndexes) {
        if (index < 0 || index >= library.TrackCount())
            continue;
        const database::TrackRecord& track = library.Tracks[static_cast<size_t>(index)];
        text += u"\r\n" + track.Artist + u" - " + track.Title;
    }
    return text;
}

QString ReportText(const database::Library& library, const DuplicateReport& report)
{
    return ReportText(library, report.entries());
}

WriteResult WriteDuplicatesFile(const QString& iPodRoot, const QString& reportText)
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
    if (!file.open(QIODevice::WriteOnly) || file.write((reportText + u"\r\n").toUtf8()) < 0 || !file.commit()) {
        result.error = WriteError::CannotWrite;
        result.errorText = file.errorString();
        qCWarning(lcBrowser) << "cannot write" << *target << result.errorText;
    }
    return result;
}

} // namespace quaverly::browser
