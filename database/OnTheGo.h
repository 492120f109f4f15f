#pragma once
#include <QString>
#include <QStringList>

namespace quaverly::database {

class Library;

/// What reading the On-The-Go files found.
struct OnTheGoReport
{
    int playlistsAdded = 0;
    /// One text per file that held a bad entry or could not be read, each
    /// beginning "Error in LoadOnTheGo: ".
    QStringList errors;
};

/// Adds the playlists made on the device: OTGPlaylistInfo, then
/// OTGPlaylistInfo_1, _2 ... up to the first missing number, each as a
/// playlist named "On-The-Go" after all others. Entries are indexes into
/// Tracks (database order); both UINList and IndexList are filled. An entry
/// outside the tracks, or a file that ends early, stops that file: the
/// entries before it are kept and the error is reported. `folder` is the
/// database's folder (iPod_Control/iTunes); names match in any letter case.
OnTheGoReport LoadOnTheGo(Library& library, const QString& folder);

} // namespace quaverly::database
