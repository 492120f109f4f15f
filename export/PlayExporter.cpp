#include "export/PlayExporter.h"

#include "database/Library.h"
#include "device/DevicePath.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace quaverly::exporting {
namespace {

PreparedPlayExport failed(PreparedPlayExport prepared, PlayExportError error, const QString& text)
{
    prepared.error = error;
    prepared.errorText = text;
    prepared.content.clear();
    return prepared;
}

QByteArray format(const database::Library& library, const PreparedPlayExport& prepared)
{
    if (prepared.format == PlayLogFormat::ListenBrainz)
        return listenBrainzJson(library, prepared.collection.plays);
    return audioscrobblerLog(library, prepared.collection.plays, prepared.clock.isUtc());
}

/// The absolute path of `path` with every existing part resolved (links
/// followed); the parts that do not exist yet are appended as given.
QString resolvedPath(const QString& path)
{
    QString head = QFileInfo(path).absoluteFilePath();
    QString tail;
    while (!head.isEmpty() && !QFileInfo::exists(head)) {
        const QFileInfo info(head);
        tail = tail.isEmpty() ? info.fileName() : info.fileName() + u'/' + tail;
        const QString parent = info.absolutePath();
        if (parent == head)
            break;
        head = parent;
    }
    const QString canonical = QFileInfo(head).canonicalFilePath();
    const QString base = canonical.isEmpty() ? head : canonical;
    return tail.isEmpty() ? base : QDir::cleanPath(base + u'/' + tail);
}

QString plural(int count, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

} // namespace

PreparedPlayExport preparePlayExport(const database::Library& library, const PlayExportRequest& request)
{
    PreparedPlayExport prepared;
    prepared.format = request.format;
    prepared.clock = request.clock;
    prepared.statePath = exportedPlaysPath(request.iPodRoot);
    const QString databaseFile = !request.databaseFile.isEmpty()
        ? request.databaseFile
        : device::DevicePath(request.iPodRoot).existing(QStringLiteral("iPod_Control/iTunes/iTunesDB"));
    const QString folder = QFileInfo(databaseFile).absolutePath();
    const QString playCountsPath = device::DevicePath(folder).existing(QStringLiteral("Play Counts"));
    if (playCountsPath.isEmpty()) {
        prepared.noPlayCounts = true;
        prepared.content = format(library, prepared);
        return prepared;
    }
    const database::PlayCountSnapshot snapshot = database::readPlayCountEntries(playCountsPath);
    switch (snapshot.error) {
    case database::PlayCountsReadError::None:
        break;
    case database::PlayCountsReadError::NotFound:
    case database::PlayCountsReadError::Unreadable:
        return failed(prepared, PlayExportError::PlayCountsUnreadable,
                      QStringLiteral("The iPod's Play Counts file could not be read."));
    case database::PlayCountsReadError::NotPlayCounts:
        return failed(prepared, PlayExportError::PlayCountsDamaged,
                      QStringLiteral("The iPod's Play Counts file is damaged (it is not a Play Counts file)."));
    }
    if (snapshot.claimedEntries != library.TrackCount())
        return failed(prepared, PlayExportError::PlayCountsMismatch,
                      QStringLiteral("The iPod's Play Counts file has %1 entries for a database of %2 songs: it "
                                     "belongs to another database, so its plays cannot be matched to songs.")
                          .arg(snapshot.claimedEntries)
                          .arg(library.TrackCount()));
    if (qint64(snapshot.entries.size()) < snapshot.claimedEntries)
        return failed(prepared, PlayExportError::PlayCountsDamaged,
                      QStringLiteral("The iPod's Play Counts file is cut short (%1 of %2 entries).")
                          .arg(snapshot.entries.size())
                          .arg(snapshot.claimedEntries));
    const QByteArray fingerprint = databaseFingerprint(databaseFile);
    if (fingerprint.isEmpty())
        return failed(prepared, PlayExportError::DatabaseUnreadable,
                      QStringLiteral("The iPod's database could not be read: ") + databaseFile);
    const ExportedPlays before = request.all ? ExportedPlays {} : loadExportedPlays(prepared.statePath);
    prepared.collection = collectPlays(library, snapshot.entries, before.countsFor(fingerprint), request.clock);
    prepared.content = format(library, prepared);
    prepared.next.databaseFingerprint = fingerprint;
    for (size_t i = 0; i < snapshot.entries.size(); ++i) {
        const database::PlayCountRecord& entry = snapshot.entries[i];
        if (entry.playCount != 0 || entry.lastPlayedMac != 0)
            prepared.next.tracks[static_cast<int>(i)] = entry;
    }
    return prepared;
}

void renderPlayLog(const database::Library& library, PreparedPlayExport& prepared, PlayLogFormat format)
{
    prepared.format = format;
    if (prepared.error == PlayExportError::None)
        prepared.content = exporting::format(library, prepared);
}

bool insideIpodControl(const QString& path, const QString& iPodRoot)
{
    if (iPodRoot.isEmpty())
        return false;
    const QString control = device::DevicePath(iPodRoot).existing(QStringLiteral("iPod_Control"));
    if (control.isEmpty())
        return false;
    const QString folder = resolvedPath(control);
    const QString target = resolvedPath(path);
    // The iPod's disk ignores letter case; so does this test.
    return target.compare(folder, Qt::CaseInsensitive) == 0 || target.startsWith(folder + u'/', Qt::CaseInsensitive);
}

PlayExportError writePlayLog(const QString& path, const QString& iPodRoot, const QByteArray& content,
                             QString* errorText)
{
    if (insideIpodControl(path, iPodRoot)) {
        if (errorText)
            *errorText = QStringLiteral("%1 is inside the iPod's iPod_Control folder, where its songs and database "
                                        "are; choose another place.")
                             .arg(QDir::toNativeSeparators(path));
        return PlayExportError::TargetRefused;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit()) {
        if (errorText)
            *errorText = QStringLiteral("%1 could not be written: %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString());
        return PlayExportError::TargetNotWritable;
    }
    return PlayExportError::None;
}

QString recordPlayExport(const PreparedPlayExport& prepared)
{
    if (prepared.error != PlayExportError::None || prepared.noPlayCounts)
        return {};
    return saveExportedPlays(prepared.statePath, prepared.next);
}

QStringList playExportReport(const PreparedPlayExport& prepared)
{
    const PlayCollection& c = prepared.collection;
    QStringList lines;
    if (prepared.noPlayCounts) {
        lines << QStringLiteral("This iPod has no Play Counts file: it has recorded no plays since its last sync.");
        return lines;
    }
    if (c.plays.empty())
        lines << QStringLiteral("No new plays since the last export.");
    else
        lines << QStringLiteral("Wrote %1 of %2.")
                     .arg(plural(int(c.plays.size()), "play", "plays"), plural(c.tracksWithPlays, "song", "songs"));
    if (c.placedBack > 0)
        lines << QStringLiteral("%1 placed back from the song's last play by the song's length each (the iPod "
                                "keeps the time of a song's last play only).")
                     .arg(plural(c.placedBack, "play was", "plays were"));
    if (c.skippedTracks > 0)
        lines << QStringLiteral("%1 without artist or title skipped (%2).")
                     .arg(plural(c.skippedTracks, "song", "songs"), plural(c.skippedPlays, "play", "plays"));
    if (c.cappedPlays > 0)
        lines << QStringLiteral("%1 over the limit of %2 per song left out (%3).")
                     .arg(plural(c.cappedPlays, "play", "plays"))
                     .arg(kMaxPlaysPerTrack)
                     .arg(plural(c.cappedTracks, "song", "songs"));
    if (c.untimedPlays > 0)
        lines << QStringLiteral("%1 without a time on the iPod left out.").arg(plural(c.untimedPlays, "play", "plays"));
    if (c.damagedEntries > 0)
        lines << QStringLiteral("%1 of the Play Counts file with an impossible count ignored.")
                     .arg(plural(c.damagedEntries, "entry", "entries"));
    if (c.alreadyExported > 0)
        lines << QStringLiteral("%1 written by an earlier export left out.")
                     .arg(plural(c.alreadyExported, "play", "plays"));
    switch (prepared.clock.mode) {
    case PlayClock::Mode::AsFound:
        lines << (prepared.format == PlayLogFormat::ListenBrainz
                      ? QStringLiteral("Times are the iPod's own clock, not UTC as ListenBrainz expects: give the "
                                       "iPod's UTC offset to convert them.")
                      : QStringLiteral("Times are the iPod's own clock (#TZ/UNKNOWN)."));
        break;
    case PlayClock::Mode::FixedOffset:
        lines << QStringLiteral("Times are UTC, converted from the iPod's clock at UTC%1.")
                     .arg(prepared.clock.describe());
        break;
    case PlayClock::Mode::LocalZone:
        lines << QStringLiteral("Times are UTC, converted from the iPod's clock with this computer's time zone.");
        break;
    }
    return lines;
}

} // namespace quaverly::exporting
