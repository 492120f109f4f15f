#pragma once
// Small libraries built in code for the browser tests.
#include "database/Library.h"
#include "database/LibraryLoader.h"

#include <QString>

#include <initializer_list>

namespace quaverly::browser::test {

struct Song
{
    QString title;
    QString artist;
    QString album;
    QString genre;
    qint32 trackNumber = 0;
    qint32 lengthMs = 200000;
    QString path = {};
};

/// Tracks get UINs 1000 + index and paths /iPod_Control/Music/F00/Tnnn.mp3
/// unless given; playlist 0 (":: Pod ::") holds every track in library order.
inline database::Library makeLibrary(std::initializer_list<Song> songs)
{
    database::Library library;
    library.iPodName = QStringLiteral("Pod");
    database::clsPlayList master;
    master.Name = QStringLiteral(":: Pod ::");
    for (const Song& song : songs) {
        database::TrackRecord track;
        const int index = library.TrackCount();
        track.Title = song.title;
        track.Artist = song.artist;
        track.Album = song.album;
        track.Genre = song.genre;
        track.TrackNumber = song.trackNumber;
        track.Length = song.lengthMs;
        track.UIN = 1000 + index;
        track.FileSize = 4000000 + index;
        track.FileType = QStringLiteral("MPEG audio file");
        track.Path = song.path.isNull() ? QStringLiteral("/iPod_Control/Music/F00/T%1.mp3").arg(index) : song.path;
        library.Tracks.push_back(track);
        master.UINList.push_back(track.UIN);
        master.IndexList.push_back(index);
    }
    library.Playlists.push_back(master);
    library.buildTrackIndex();
    return library;
}

/// Appends a playlist holding the given track indexes in that order.
inline void addPlaylist(database::Library& library, const QString& name, std::initializer_list<int> indexes)
{
    database::clsPlayList playlist;
    playlist.Name = name;
    for (int index : indexes) {
        playlist.IndexList.push_back(index);
        playlist.UINList.push_back(library.Tracks[static_cast<size_t>(index)].UIN);
    }
    library.Playlists.push_back(playlist);
}

/// Loads one of the real databases under tests/data/real (folder name); the
/// caller QVERIFYs the load.
inline database::LoadResult loadReal(const QString& folder)
{
    const QString dir = QStringLiteral(QUAVERLY_TESTDATA "/real/") + folder;
    return database::LoadiTunesDB(dir + QStringLiteral("/iTunesDB"), dir);
}

} // namespace quaverly::browser::test
