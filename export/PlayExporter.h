#pragma once
#include "export/ExportedPlays.h"
#include "export/ScrobbleFormats.h"

#include <QString>
#include <QStringList>

namespace quaverly::database {
class Library;
}

namespace quaverly::exporting {

/// Why plays could not be exported.
enum class PlayExportError {
    None,
    PlayCountsUnreadable, // the Play Counts file exists but cannot be read
    PlayCountsDamaged,    // it is not a Play Counts file
    PlayCountsMismatch,   // its entries do not belong to this database (another track count)
    DatabaseUnreadable,   // the database file cannot be read for its fingerprint
    TargetRefused,        // the log would go inside the iPod's music and database folders
    TargetNotWritable,    // the log file could not be written
};

struct PlayExportRequest
{
    QString iPodRoot;     // where Play Counts and the state file are
    QString databaseFile; // the database the library was read from (empty: the root's iTunesDB)
    PlayLogFormat format = PlayLogFormat::Audioscrobbler;
    PlayClock clock;
    bool all = false; // every play again, not only those new since the last export
};

/// An export made ready: the text to write and what it holds. Nothing has
/// been written anywhere yet.
struct PreparedPlayExport
{
    PlayExportError error = PlayExportError::None;
    QString errorText;         // one line for the user when error is not None
    bool noPlayCounts = false; // the iPod has no Play Counts file: nothing was played since its sync
    QByteArray content;        // the log or JSON
    PlayCollection collection;
    PlayLogFormat format = PlayLogFormat::Audioscrobbler;
    PlayClock clock;
    ExportedPlays next; // the state to record once the content is safely written
    QString statePath;
};

/// Reads Play Counts (read-only), the state file and the database's
/// fingerprint, collects the plays and formats them. Writes nothing.
[[nodiscard]] PreparedPlayExport preparePlayExport(const database::Library& library, const PlayExportRequest& request);

/// Formats the collected plays anew in `format` (the content follows).
void renderPlayLog(const database::Library& library, PreparedPlayExport& prepared, PlayLogFormat format);

/// Writes the content to `path` atomically (no half-written log is ever
/// left). A path inside the iPod's iPod_Control folder is refused; the
/// iPod's root is allowed (uploaders look for ".scrobbler.log" there).
[[nodiscard]] PlayExportError writePlayLog(const QString& path, const QString& iPodRoot, const QByteArray& content,
                                           QString* errorText);

/// Records the export on the iPod; answers an empty text or the reason it failed.
[[nodiscard]] QString recordPlayExport(const PreparedPlayExport& prepared);

/// The report's lines: plays written, plays placed back, what was left out
/// and why, and how the times were written.
[[nodiscard]] QStringList playExportReport(const PreparedPlayExport& prepared);

/// True when `path` is the iPod's iPod_Control folder or inside it
/// (symbolic links followed), where songs and the database live.
[[nodiscard]] bool insideIpodControl(const QString& path, const QString& iPodRoot);

} // namespace quaverly::exporting
