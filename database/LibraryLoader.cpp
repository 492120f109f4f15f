#include "database/LibraryLoader.h"

#include "database/ByteWindow.h"
#include "database/CompressedDB.h"
#include "database/DebugTrace.h"
#include "database/ITunesDBParser.h"
#include "database/OnTheGo.h"
#include "database/SongFileSizes.h"
#include "device/DevicePath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <sys/stat.h>

namespace quaverly::database {
namespace {

// The iTunesCDB in the database's folder when it holds data; such devices
// leave the iTunesDB beside it empty.
QString compressedBeside(const QString& dbPath)
{
    const QString folder = QFileInfo(dbPath).absolutePath();
    const QString cdb = device::DevicePath(folder).existing(QStringLiteral("iTunesCDB"));
    const QFileInfo info(cdb);
    return !cdb.isEmpty() && info.isFile() && info.size() > 0 ? cdb : QString();
}

// What stands at `path` instead of a regular file ("a folder", "a link to
// /dev/zero, which is a character device"); empty when nothing is there.
QString describeNonFile(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    struct stat info = {};
    if (::lstat(bytes.constData(), &info) != 0)
        return {};
    QString prefix;
    if (S_ISLNK(info.st_mode)) {
        const QString target = QFileInfo(path).symLinkTarget();
        if (::stat(bytes.constData(), &info) != 0)
            return QStringLiteral("a link to %1, which does not exist").arg(QDir::toNativeSeparators(target));
        prefix = QStringLiteral("a link to %1, which is ").arg(QDir::toNativeSeparators(target));
    }
    if (S_ISDIR(info.st_mode))
        return prefix + QStringLiteral("a folder");
    if (S_ISFIFO(info.st_mode))
        return prefix + QStringLiteral("a named pipe (FIFO)");
    if (S_ISCHR(info.st_mode))
        return prefix + QStringLiteral("a character device");
    if (S_ISBLK(info.st_mode))
        return prefix + QStringLiteral("a block device");
    if (S_ISSOCK(info.st_mode))
        return prefix + QStringLiteral("a socket");
    return prefix + QStringLiteral("a special file");
}

bool openDatabase(QFile& file, LoadResult& result)
{
    const QString name = QDir::toNativeSeparators(file.fileName());
    if (!QFileInfo(file.fileName()).isFile()) {
        // Never opened: a FIFO would wait for a writer forever, a device might never end.
        const QString found = describeNonFile(file.fileName());
        const bool missing = !QFileInfo::exists(file.fileName());
        result.error = missing ? LoadError::NotFound : LoadError::NotAFile;
        if (found.isEmpty())
            result.errorText = QStringLiteral("The iPod database %1 was not found.").arg(name);
        else if (missing)
            result.errorText = QStringLiteral("The iPod database %1 was not found: it is %2.").arg(name, found);
        else
            result.errorText = QStringLiteral("The iPod database %1 is not a file: it is %2.").arg(name, found);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        result.error = LoadError::Unreadable;
        result.errorText = QStringLiteral("The iPod database %1 cannot be read: %2").arg(name, file.errorString());
        return false;
    }
    const QByteArray magic = file.read(4);
    if (magic != "mhbd") {
        const bool failed = file.error() != QFileDevice::NoError;
        result.error = failed ? LoadError::Unreadable : LoadError::NotADatabase;
        result.errorText = failed
            ? QStringLiteral("The iPod database %1 cannot be read: %2").arg(name, file.errorString())
            : QStringLiteral("%1 is not an iPod database (it does not begin with \"mhbd\").").arg(name);
        return false;
    }
    result.databaseSize = file.size();
    return true;
}

void addParseWarnings(const ParseReport& report, LoadResult& result)
{
    result.unknownChunks = report.unknownChunks;
    result.damaged = report.damaged || report.readFailed;
    if (report.unknownChunks > 0) {
        result.warnings.append(QStringLiteral("Error with iTunesDB: unknown data in %1 place(s), the first at byte %2 "
                                              "(a newer database version, or a damaged file)")
                                   .arg(report.unknownChunks)
                                   .arg(report.firstUnknownOffset));
    }
    if (report.damaged) {
        result.warnings.append(QStringLiteral("Error with iTunesDB: the file is damaged at byte %1; only the songs "
                                              "and playlists before it were read")
                                   .arg(report.damageOffset));
    }
    if (report.readFailed) {
        result.warnings.append(QStringLiteral("Error with iTunesDB: %1 could not be read to its end; only the songs "
                                              "and playlists before the failure were read")
                                   .arg(QDir::toNativeSeparators(result.databaseFile)));
    }
}

// Reads and scans the database file; false (with the error set) when it is not one.
bool scanDatabase(QFile& file, LoadResult& result, const std::atomic_bool* cancel)
{
    ParseReport report;
    if (result.compressed) {
        const QByteArray packed = file.seek(0) ? file.readAll() : QByteArray();
        auto whole = inflateITunesCDB(packed);
        if (!whole) {
            result.error = LoadError::NotADatabase;
            result.errorText = QStringLiteral("%1 is not a readable compressed iPod database (its data is damaged).")
                                   .arg(QDir::toNativeSeparators(result.databaseFile));
            return false;
        }
        ByteWindow bytes(std::move(*whole));
        report = parseITunesDB(bytes, result.library, cancel);
    } else {
        ByteWindow bytes(file);
        report = parseITunesDB(bytes, result.library, cancel);
    }
    addParseWarnings(report, result);
    if (!report.masterHasTitle) {
        result.library.iPodName = fallbackIpodName(result.library.iPodRoot);
        if (!result.library.Playlists.empty())
            result.library.Playlists.front().Name = u":: " + result.library.iPodName + u" ::";
    }
    return true;
}

} // namespace

LoadResult LoadiTunesDB(const QString& dbPath, const QString& iPodRoot, const LoadStatusFn& status,
                        const std::atomic_bool* cancel)
{
    LoadResult result;
    result.library.iPodRoot = iPodRoot;
    const QString compressed = compressedBeside(dbPath);
    result.compressed = !compressed.isEmpty();
    result.databaseFile = result.compressed ? compressed : dbPath;
    DebugTrace(QStringLiteral("starting:"));
    {
        QFile file(result.databaseFile);
        if (!openDatabase(file, result) || !scanDatabase(file, result, cancel))
            return result;
    }
    const QString folder = QFileInfo(result.databaseFile).absolutePath();
    const OnTheGoReport onTheGo = LoadOnTheGo(result.library, folder);
    result.onTheGoPlaylists = onTheGo.playlistsAdded;
    result.onTheGoErrors = onTheGo.errors;
    result.warnings += onTheGo.errors;
    if (status)
        status(QStringLiteral("Loading database into program..."));
    if (!(cancel && cancel->load()))
        fillFileSizes(result.library, iPodRoot);
    result.playCounts.OpenPlayCounts(folder, iPodRoot);
    if (result.playCounts.isOutsideIpod())
        result.warnings.append(QStringLiteral("The Play Counts file %1 leads outside the iPod; plays and ratings are "
                                              "not written to it")
                                   .arg(QDir::toNativeSeparators(result.playCounts.filePath())));
    return result;
}

void fillFileSizes(Library& library, const QString& iPodRoot)
{
    if (iPodRoot.isEmpty())
        return;
    SongFileSizes sizes(iPodRoot);
    QStringList paths;
    paths.reserve(library.Tracks.size());
    for (const TrackRecord& track : library.Tracks)
        paths.append(track.Path);
    sizes.prefetch(paths);
    for (TrackRecord& track : library.Tracks) {
        const qint64 size = track.Path.isEmpty() ? -1 : sizes.fileSize(track.Path);
        track.FileSize = size > 0 ? size : 0;
    }
}

QString fallbackIpodName(const QString& iPodRoot)
{
    const QString root = QDir::cleanPath(QFileInfo(iPodRoot).absoluteFilePath());
    const QStorageInfo storage(root);
    if (storage.isValid() && QDir::cleanPath(storage.rootPath()) == root && !storage.name().isEmpty())
        return storage.name();
    return QFileInfo(root).fileName();
}

} // namespace quaverly::database
