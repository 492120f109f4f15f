#pragma once
#include "database/TrackRecord.h"

#include <QHash>
#include <QString>

#include <vector>

namespace quaverly::database {

/// A playlist: its name and its members, as UINs in playlist order and as
/// indexes into Library::Tracks. Members whose UIN matches no track are kept
/// in UINList only, so the two lists may differ in length.
struct clsPlayList
{
    std::vector<qint32> UINList;
    std::vector<int> IndexList;
    QString Name;
    qint64 id = 0; // the database's playlist id; 0 for none
};

/// The program's whole knowledge of the iPod's music: tracks in database
/// order (which is also the order of the Play Counts entries and the meaning
/// of On-The-Go indexes), playlists (the master playlist first, On-The-Go
/// last), the UIN lookup and the iPod's name. Filled once by the loader, then
/// only read. Movable, so a worker thread can build it and hand it over.
class Library
{
public:
    std::vector<TrackRecord> Tracks;
    std::vector<clsPlayList> Playlists;
    /// UIN -> index of the first track with that UIN.
    QHash<qint32, int> TrackIndexByUIN;
    QString iPodName;
    QString iPodRoot;

    [[nodiscard]] int TrackCount() const { return static_cast<int>(Tracks.size()); }
    [[nodiscard]] int PlaylistCount() const { return static_cast<int>(Playlists.size()); }

    /// Builds TrackIndexByUIN anew over all tracks; the first of equal UINs wins.
    void buildTrackIndex();
    /// The index of the track with this UIN, or -1.
    [[nodiscard]] int indexOfUIN(qint32 uin) const;
};

} // namespace quaverly::database
