#include "browser/LibraryChecks.h"

#include "browser/BrowserLog.h"
#include "database/Library.h"
#include "startup/DevicePath.h"

#include <QHash>
#include <QSaveFile>

#include <array>
#include <unordered_map>

namespace quaverly::browser {
namespace {

constexpr int kProgressStep = 1024;

// Numbers each text so that texts equal ignoring letter case share a number.
class CaseInsensitiveIds
{
public:
    int id(const QString& text)
    {
        int found = m_exact.value(text, -1);
        if (found >= 0)
            return found;
        const QString folded = text.toCaseFolded();
        found = m_folded.value(folded, -1);
        if (found < 0) {
            found = static_cast<int>(m_folded.size());
            m_folded.insert(folded, found);
        }
        m_exact.insert(text, found);
        return found;
    }

private:
    QHash<QString, int> m_exact;
    QHash<QString, int> m_folded;
};

using SongKey = std::array<int, 3>;
struct SongKeyHash
{
    size_t operator()(const SongKey& key) const noexcept
    {
        return qHashMulti(0, key[0], key[1], key[2]);
    }
};

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
    CaseInsensitiveIds titles;
    CaseInsensitiveIds artists;
    CaseInsensitiveIds albums;
    std::unordered_map<SongKey, int, SongKeyHash> songOfKey;
    std::vector<int> songOfTrack(static_cast<size_t>(count));
    std::vector<int> copies;
    for (int i = 0; i < count; ++i) {
        if (i % kProgressStep == 0 && !keepGoing(progress, i, 2 * count)) {
            report.error = CheckError::Cancelled;
            return report;
        }
        const database::TrackRecord& track = library.Tracks[static_cast<size_t>(i)];
        const SongKey key { titles.id(track.Title), artists.id(track.Artist), albums.id(track.Album) };
        const auto [it, added] = songOfKey.try_emplace(key, static_cast<int>(copies.size()));
        if (added)
            copies.push_back(0);
        songOfTrack[static_cast<size_t>(i)] = it->second;
        ++copies[static_cast<size_t>(it->second)];
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

MissingReport ScanForMissing(const database::Library& library, startup::CachedDevicePath& device,
                             const CheckProgressFn& progress)
{
    MissingReport report;
    const int count = library.TrackCount();
    for (int i = 0; i < count; ++i) {
        if (i % kProgressStep == 0 && !keepGoing(progress, i, count)) {
            report.error = CheckError::Cancelled;
            return report;
        }
        const QString& path = library.Tracks[static_cast<size_t>(i)].Path;
        if (path.isEmpty() || device.fileSize(path) < 0)
            report.missing.push_back(i);
    }
    return report;
}

MissingReport ScanForMissing(const database::Library& library, const QString& iPodRoot,
                             const CheckProgressFn& progress)
{
    startup::CachedDevicePath device(iPodRoot);
    return ScanForMissing(library, device, progress);
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
    const std::optional<QString> target
        = iPodRoot.isEmpty() ? std::nullopt : startup::DevicePath(iPodRoot).resolve(QStringLiteral("duplicates.txt"));
    if (!target) {
        result.error = WriteError::NoRoot;
        return result;
    }
    result.path = *target;
    QSaveFile file(*target);
    if (!file.open(QIODevice::WriteOnly) || file.write((reportText + u"\r\n").toUtf8()) < 0 || !file.commit()) {
        result.error = WriteError::CannotWrite;
        result.errorText = file.errorString();
        qCWarning(lcBrowser) << "cannot write" << *target << result.errorText;
    }
    return result;
}

} // namespace quaverly::browser
