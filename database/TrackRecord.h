#pragma once
#include <QString>

#include <memory>

namespace quaverly::database {

/// Texts of a track that most tracks lack or share with the rest of their
/// album. The parser keeps one copy per distinct three, so a library of
/// 200,000 tracks does not pay three texts per track.
struct TrackCredits
{
    QString AlbumArtist;
    QString Composer;
    QString Comment;
};

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
    // Further details the database may hold (0 when it does not), written
    // into copies with tags.
    qint16 Year = 0;
    qint16 TotalTracks = 0; // tracks on the album
    qint16 DiscNumber = 0;
    qint16 TotalDiscs = 0;
    /// Album artist, composer, comment; null when the database has none.
    /// Shared by the tracks that have the same three (mostly an album's).
    std::shared_ptr<const TrackCredits> Credits;
    // What the database counted up to the last sync (the Play Counts file
    // holds what the iPod counted since). 0 when its track header is too
    // short to hold them.
    qint32 PlayCount = 0;
    qint32 SkipCount = 0;
    quint32 LastPlayed = 0; // seconds since 1904-01-01 00:00 in the iPod's local time; 0: never

    [[nodiscard]] const QString& albumArtist() const { return Credits ? Credits->AlbumArtist : emptyText(); }
    [[nodiscard]] const QString& composer() const { return Credits ? Credits->Composer : emptyText(); }
    [[nodiscard]] const QString& comment() const { return Credits ? Credits->Comment : emptyText(); }

private:
    static const QString& emptyText()
    {
        static const QString empty;
        return empty;
    }
};

} // namespace quaverly::database
