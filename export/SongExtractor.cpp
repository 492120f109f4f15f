#include "export/SongExtractor.h"

#include "database/Library.h"
#include "device/DeviceGuard.h"
#include "device/DevicePath.h"
#include "export/CopyExtras.h"
#include "export/ExtractCore.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>

#include <sys/stat.h>
#include <tuple>

namespace quaverly::exporting {
namespace {

QString numberSuffix(int n)
{
    return n == 1 ? QString() : QStringLiteral(" (%1)").arg(n);
}

/// Gives each song of a plan its own destination. Folder names that differ
/// only in letter case are merged into the spelling seen first (a FAT target
/// would merge them anyway, and "Rock" and "rock" are one genre to a
/// listener); a file name already taken gets " (2)", " (3)" ...
class DestinationRegistry
{
public:
    explicit DestinationRegistry(QString targetDir)
        : m_targetDir(std::move(targetDir))
    {
    }

    /// The first free name and its number (1: no suffix).
    std::pair<QString, int> claim(const QString& fileName, const QString& extension)
    {
        for (int n = 1;; ++n) {
            QString destination = canonicalFolders(destinationName(fileName, extension, numberSuffix(n)));
            const QString key = destination.toCaseFolded();
            if (!m_files.contains(key) && !onDisk(destination)) {
                m_files.insert(key);
                return { destination, n };
            }
        }
    }

private:
    QString canonicalFolders(const QString& destination)
    {
        QStringList parts = destination.split(QLatin1Char('/'));
        QString folded;
        for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
            folded += parts[i].toCaseFolded() + QLatin1Char('/');
            const auto known = m_folders.constFind(folded);
            if (known != m_folders.constEnd())
                parts[i] = *known;
            else
                m_folders.insert(folded, parts[i]);
        }
        return parts.join(QLatin1Char('/'));
    }

    // Any entry counts, a link or a folder too: nothing there is replaced.
    [[nodiscard]] bool onDisk(const QString& destination) const
    {
        struct stat info = {};
        return !m_targetDir.isEmpty()
            && ::lstat(QFile::encodeName(m_targetDir + QLatin1Char('/') + destination).constData(), &info) == 0;
    }

    QString m_targetDir;
    QSet<QString> m_files;             // folded relative paths of the files taken
    QHash<QString, QString> m_folders; // folded folder path -> spelling of its last component
};

QString cleanTarget(const QString& targetDir)
{
    if (targetDir.trimmed().isEmpty())
        return {};
    QString cleaned = QDir::cleanPath(targetDir);
    if (cleaned.size() > 1 && cleaned.endsWith(QLatin1Char('/')))
        cleaned.chop(1);
    return cleaned;
}

// The job's destination with the number `n`, in the folders the plan spelled.
QString numberedDestination(const ExtractJob& job, int n)
{
    const QString name = destinationName(job.fileName, job.extension, numberSuffix(n));
    const qsizetype planned = job.destination.lastIndexOf(QLatin1Char('/'));
    return job.destination.left(planned + 1) + name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

bool targetInsideIpod(const QString& iPodRoot, const QString& targetDir)
{
    const device::DeviceGuard guard(iPodRoot);
    return !targetDir.trimmed().isEmpty() && guard.containsReal(device::DeviceGuard::realPath(targetDir));
}

SongExtractor::SongExtractor(const database::Library& library)
    : m_library(library)
{
}

ExtractPlan SongExtractor::makePlan(const std::vector<int>& trackIndexes, const QString& targetDir,
                                    const QString& nameTemplate, const ExtractOptions& options) const
{
    ExtractPlan plan;
    plan.targetDir = cleanTarget(targetDir);
    plan.writeCovers = options.writeCovers;
    plan.iPodRoot = m_library.iPodRoot;
    const bool onIpod = targetInsideIpod(m_library.iPodRoot, plan.targetDir);
    plan.jobs.reserve(trackIndexes.size());
    device::CachedDevicePath device(m_library.iPodRoot);
    DestinationRegistry destinations(onIpod ? QString() : plan.targetDir);
    for (const int index : trackIndexes) {
        ExtractJob& job = plan.jobs.emplace_back();
        job.trackIndex = index;
        if (index < 0 || index >= m_library.TrackCount()) {
            job.error = ExtractError::InvalidTrack;
            continue;
        }
        const database::TrackRecord& track = m_library.Tracks[static_cast<size_t>(index)];
        job.song = track.Artist + QStringLiteral(" - ") + track.Title;
        const QString name = MakeFileName(nameTemplate, track.Title, track.Artist, track.Album, track.Genre,
                                          trackNumberText(track.TrackNumber));
        job.fileName = name;
        job.extension = GetFormat(track.Path);
        std::tie(job.destination, job.number) = destinations.claim(name, job.extension);
        if (options.writeTags) {
            const size_t at = static_cast<size_t>(index);
            job.tags = tagsForTrack(track, at < options.ratings.size() ? options.ratings[at] : track.Rating);
        }
        job.source = device.existing(track.Path);
        job.sizeBytes = job.source.isEmpty() ? -1 : device.fileSize(track.Path);
        if (job.sizeBytes < 0) { // not there, or a folder
            job.sizeBytes = 0;
            job.error = ExtractError::SourceMissing;
        } else if (plan.targetDir.isEmpty()) {
            job.error = ExtractError::TargetNotWritable;
        } else if (onIpod) {
            job.error = ExtractError::TargetInsideIpod;
        }
        plan.totalBytes += job.sizeBytes;
    }
    return plan;
}

ExtractReport SongExtractor::run(const ExtractPlan& plan, const ExtractProgressFn& progress)
{
    ExtractReport report;
    report.total = static_cast<int>(plan.jobs.size());
    ExtractProgress state;
    state.songsTotal = report.total;
    state.bytesTotal = plan.totalBytes;
    FileCopier copier;
    copier.setDeviceRoot(plan.iPodRoot);
    std::vector<const ExtractJob*> copied;
    for (const ExtractJob& job : plan.jobs) {
        state.currentSong = job.song;
        if (progress && !progress(state)) {
            report.cancelled = true;
            break;
        }
        CopyResult result { job.error, 0, 0, {} };
        const qint64 before = state.bytesDone;
        media::TagResult tagged;
        FinishFn tagCopy;
        if (job.tags) {
            // The copy's kind comes from its final name; the temporary one ends in ".part".
            tagCopy = [&job, &tagged](const QString& temporary) {
                tagged = media::writeTags(temporary, *job.tags, GetFormat(job.destination).toLower());
            };
        }
        if (job.error == ExtractError::None) {
            result = copier.CopyFile(
                job.source, plan.targetDir + QLatin1Char('/') + job.destination,
                [&](qint64 fileBytes) {
                    state.bytesDone = before + fileBytes;
                    return !progress || progress(state);
                },
                [&](int attempt) {
                    return plan.targetDir + QLatin1Char('/') + numberedDestination(job, job.number + attempt);
                },
                tagCopy);
        }
        if (result.error == ExtractError::Cancelled) {
            report.cancelled = true;
            break;
        }
        if (result.ok()) {
            ++report.copied;
            report.bytesCopied += result.bytes;
            copied.push_back(&job);
            if (job.tags && tagged.ok())
                ++report.tagged;
            else if (job.tags)
                report.untagged.push_back({ job.song, job.destination, tagged.error });
        } else {
            report.failures.push_back({ job.trackIndex, job.song, job.destination, result.error, result.systemError });
            qCInfo(lcExport) << "not copied:" << job.song << describeError(result.error, result.systemError);
        }
        ++state.songsDone;
        state.bytesDone = before + job.sizeBytes;
    }
    report.skipped = report.total - report.copied - static_cast<int>(report.failures.size());
    if (plan.writeCovers && !report.cancelled) {
        report.covers = writeAlbumCovers(plan, copied, [&](const QString& folder) {
            state.currentSong = QStringLiteral("cover of ") + folder;
            const bool goOn = !progress || progress(state);
            report.cancelled = report.cancelled || !goOn;
            return goOn;
        });
    }
    if (!report.cancelled && progress) {
        state.currentSong.clear();
        (void)progress(state);
    }
    return report;
}

ExtractReport SongExtractor::extract(const std::vector<int>& trackIndexes, const QString& targetDir,
                                     const QString& nameTemplate, const ExtractProgressFn& progress) const
{
    return run(makePlan(trackIndexes, targetDir, nameTemplate), progress);
}

QString describeError(ExtractError error, int systemError)
{
    QString text;
    switch (error) {
    case ExtractError::None:
        return {};
    case ExtractError::InvalidTrack:
        text = QStringLiteral("no such song in the library");
        break;
    case ExtractError::SourceMissing:
        text = QStringLiteral("the song's file is not on the iPod");
        break;
    case ExtractError::SourceUnreadable:
        text = QStringLiteral("the song's file could not be read");
        break;
    case ExtractError::SourceNotRegular:
        text = QStringLiteral("the song's path on the iPod is not a regular file");
        break;
    case ExtractError::SourceOutsideIpod:
        text = QStringLiteral("the song's path leads outside the iPod (a link); it was not read");
        break;
    case ExtractError::TargetInsideIpod:
        text = QStringLiteral("the target folder lies on the iPod itself");
        break;
    case ExtractError::FolderNotCreated:
        text = QStringLiteral("the folder could not be created");
        break;
    case ExtractError::TargetNotWritable:
        text = QStringLiteral("the target folder does not accept files");
        break;
    case ExtractError::DiskFull:
        text = QStringLiteral("the target disk is full");
        break;
    case ExtractError::CopyFailed:
        text = QStringLiteral("the copy failed");
        break;
    case ExtractError::Cancelled:
        text = QStringLiteral("cancelled");
        break;
    }
    if (systemError != 0)
        text += QStringLiteral(" (") + qt_error_string(systemError) + QLatin1Char(')');
    return text;
}

QStringList tagAndCoverLines(const ExtractReport& report)
{
    QStringList lines;
    for (const UntaggedSong& song : report.untagged)
        lines.append(song.song + QStringLiteral(": copied without tags: ") + media::describeTagError(song.error));
    const CoverReport& covers = report.covers;
    if (covers.written > 0)
        lines.append(QStringLiteral("Covers saved in %1 album folders.").arg(covers.written));
    if (covers.kept > 0)
        lines.append(QStringLiteral("%1 album folders already had a cover and kept it.").arg(covers.kept));
    if (covers.withoutArt > 0)
        lines.append(
            QStringLiteral("%1 album folders got no cover: none of their songs carries one.").arg(covers.withoutArt));
    for (const QString& failed : covers.failed)
        lines.append(QStringLiteral("No cover saved in ") + failed);
    return lines;
}

QStringList failureLines(const ExtractReport& report)
{
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(report.failures.size()));
    for (const ExtractFailure& failure : report.failures) {
        const QString song = failure.song.isEmpty() ? QStringLiteral("song %1").arg(failure.trackIndex) : failure.song;
        lines.append(song + QStringLiteral(": ") + describeError(failure.error, failure.systemError));
    }
    return lines;
}

} // namespace quaverly::exporting
