#pragma once
#include <QString>

namespace quaverly::database {

/// One song of the library, as read from the iPod's database.
struct TrackRecord
{
    QString Album;
    QString Artist; // "No Artist" when the database has an empty artist; empty when it has none
    QString Genre;  // "No Genre" when the database has an empty genre; empty when it has none
    QString Path;   // relative to the iPod root, '/'-separated, starting with '/'
    QString Title;
    QString FileType; // the kind text ("MPEG audio file"), may be empty or localised
    qint32 UIN = 0;   // the database's unique id of the track
    qint32 TrackNumber = 0;
    qint32 Length = 0;   // playing time in milliseconds
    qint64 FileSize = 0; // bytes of the file on the disk at load time; 0 when missing
    bool InSource = false;
    qint16 Rating = 0; // stars 0 to 5 from the database
    // Further details the database may hold; empty or 0 when it does not.
    // Read for copies with tags and for plays exported to scrobblers.
    QString AlbumArtist;
    QString Composer;
    QString Comment;
    qint32 Year = 0;
    qint16 TotalTracks = 0; // tracks on the album
    qint16 DiscNumber = 0;
    qint16 TotalDiscs = 0;
};

} // namespace quaverly::database
