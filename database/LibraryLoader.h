#pragma once
#include "database/Library.h"
#include "database/mdlPlayCountEditor.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace quaverly::database {

enum class LoadError {
    None,
    NotFound,     // no database file at the path
    NotAFile,     // something else is there: a folder, a FIFO, a device (errorText says what)
    Unreadable,   // it exists but cannot be opened or read (locked, no permission, I/O error)
    NotADatabase, // it does not start with "mhbd", or its compressed body is damaged
};

/// Everything one load produced. `library` is usable whenever error is None;
/// warnings then list what was skipped or damaged, one line each.
struct LoadResult
{
    Library library;
    LoadError error = LoadError::None;
    QString errorText; // one line naming the file, when error is not None
    QStringList warnings;
    QString databaseFile; // the file actually read (iTunesCDB when the folder holds one)
    qint64 databaseSize = 0;
    bool compressed = false;
    // Details behind the warnings, for the loading window's message boxes.
    int unknownChunks = 0;     // the "Error with iTunesDB" case (unknown data)
    bool damaged = false;      // the scan stopped early; also "Error with iTunesDB"
    QStringList onTheGoErrors; // each "Error in LoadOnTheGo: ..."
    int onTheGoPlaylists = 0;
    mdlPlayCountEditor playCounts; // opened at the end of the load

    /// True when the database was damaged before anything of use could be
    /// read: no track, and damage (or only unknown data and no playlist).
    [[nodiscard]] bool nothingRead() const
    {
        return error == LoadError::None && library.TrackCount() == 0
            && (damaged || (unknownChunks > 0 && library.PlaylistCount() == 0));
    }
};

/// Status texts for the loading window ("Loading database into program...").
using LoadStatusFn = std::function<void(const QString& text)>;

/// The whole load: reads the database at `dbPath` (or the non-empty iTunesCDB
/// beside it, which newer nanos use instead), adds the On-The-Go playlists,
/// takes every song's file size from the disk under `iPodRoot` (0 when the
/// file is missing) and opens the Play Counts file. Device files are found
/// whatever their letter case. The database is only read, never copied or
/// changed. Runs synchronously and shows nothing; `cancel` may stop it early
/// (the result then holds what was read).
[[nodiscard]] LoadResult LoadiTunesDB(const QString& dbPath, const QString& iPodRoot, const LoadStatusFn& status = {},
                                      const std::atomic_bool* cancel = nullptr);

/// Takes every track's FileSize from the disk under `iPodRoot`, listing each
/// folder once (SongFileSizes). Missing files get 0.
void fillFileSizes(Library& library, const QString& iPodRoot);

/// The iPod's name for a database whose master playlist has no title: the
/// volume label when `iPodRoot` is a labelled mount point, else its last
/// folder name.
[[nodiscard]] QString fallbackIpodName(const QString& iPodRoot);

} // namespace quaverly::database
