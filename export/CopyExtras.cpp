#include "export/CopyExtras.h"

#include "database/TrackRecord.h"
#include "media/EmbeddedArt.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>

namespace quaverly::exporting {
namespace {

QString realText(const QString& text, QLatin1String standIn)
{
    return text == standIn ? QString() : text;
}

bool hasCover(const QDir& folder)
{
    for (const char* name : kCoverNames) {
        if (QFileInfo::exists(folder.filePath(QLatin1String(name))))
            return true;
    }
    return false;
}

/// The folders that received songs, in plan order, each with its songs.
std::vector<std::pair<QString, std::vector<const ExtractJob*>>>
albumFolders(const std::vector<const ExtractJob*>& copied)
{
    std::vector<std::pair<QString, std::vector<const ExtractJob*>>> folders;
    QHash<QString, size_t> seen;
    for (const ExtractJob* job : copied) {
        const qsizetype slash = job->destination.lastIndexOf(u'/');
        if (slash <= 0)
            continue; // straight into the target folder: no album folder
        const QString folder = job->destination.left(slash);
        const auto it = seen.constFind(folder);
        if (it == seen.constEnd()) {
            seen.insert(folder, folders.size());
            folders.push_back({ folder, { job } });
        } else {
            folders[*it].second.push_back(job);
        }
    }
    return folders;
}

} // namespace

media::SongTags tagsForTrack(const database::TrackRecord& track, int stars)
{
    media::SongTags tags;
    tags.title = track.Title;
    tags.artist = realText(track.Artist, QLatin1String("No Artist"));
    tags.album = track.Album;
    tags.albumArtist = track.albumArtist();
    tags.genre = realText(track.Genre, QLatin1String("No Genre"));
    tags.composer = track.composer();
    tags.comment = track.comment();
    tags.year = track.Year;
    tags.trackNumber = track.TrackNumber;
    tags.totalTracks = track.TotalTracks;
    tags.discNumber = track.DiscNumber;
    tags.totalDiscs = track.TotalDiscs;
    tags.stars = stars;
    return tags;
}

CoverReport writeAlbumCovers(const ExtractPlan& plan, const std::vector<const ExtractJob*>& copied,
                             const std::function<bool(const QString&)>& progress)
{
    CoverReport report;
    const QDir target(plan.targetDir);
    for (const auto& [folder, jobs] : albumFolders(copied)) {
        if (progress && !progress(folder))
            break;
        const QDir album(target.filePath(folder));
        if (hasCover(album)) {
            ++report.kept;
            continue;
        }
        media::CoverImage cover;
        for (const ExtractJob* job : jobs) {
            cover = media::readEmbeddedArt(job->source).cover;
            if (!cover.isEmpty())
                break;
        }
        if (cover.isEmpty()) {
            ++report.withoutArt;
            continue;
        }
        QSaveFile file(album.filePath(QStringLiteral("cover.") + cover.extension()));
        if (file.open(QIODevice::WriteOnly) && file.write(cover.data) == cover.data.size() && file.commit())
            ++report.written;
        else
            report.failed.append(QDir::toNativeSeparators(folder) + QStringLiteral(": ") + file.errorString());
    }
    return report;
}

} // namespace quaverly::exporting
