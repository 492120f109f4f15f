#include "tools/demoipod/DemoIpod.h"

#include "tools/demoipod/DemoArt.h"
#include "tools/demoipod/WavTone.h"
#include "tools/testwriter/ITunesDBWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <cmath>
#include <iterator>
#include <numeric>
#include <random>

namespace quaverly::tools {
namespace {

struct DemoSong
{
    const char16_t* title;
    const char16_t* artist;
    const char16_t* album;
    const char16_t* genre;
    int stars;
};

// A small library over several genres, with non-Latin names, an empty
// artist, and one song stored twice (the duplicate the checks should find).
const DemoSong kSongs[] = {
    { u"Open Road", u"The Wayfarers", u"Highway Lines", u"Rock", 4 },
    { u"Gravel and Chrome", u"The Wayfarers", u"Highway Lines", u"Rock", 3 },
    { u"Mile Marker 9", u"The Wayfarers", u"Highway Lines", u"Rock", 0 },
    { u"Static Hearts", u"Neon Harbour", u"Signal Fires", u"Rock", 5 },
    { u"Lighthouse", u"Neon Harbour", u"Signal Fires", u"Rock", 0 },
    { u"Blue Hour", u"Marta Quell Trio", u"Late Set", u"Jazz", 4 },
    { u"Smoke Rings", u"Marta Quell Trio", u"Late Set", u"Jazz", 0 },
    { u"Half Past Two", u"Marta Quell Trio", u"Late Set", u"Jazz", 2 },
    { u"Café Society", u"Les Étoiles Filantes", u"Rive Gauche", u"Jazz", 5 },
    { u"Señorita Lluvia", u"Les Étoiles Filantes", u"Rive Gauche", u"Jazz", 0 },
    { u"Pulse Width", u"Circuit Garden", u"Modular", u"Electronic", 3 },
    { u"Night Drive 🚗", u"Circuit Garden", u"Modular", u"Electronic", 4 },
    { u"Low Pass", u"Circuit Garden", u"Modular", u"Electronic", 0 },
    { u"Arpeggio for Kat", u"Circuit Garden", u"Modular", u"Electronic", 1 },
    { u"Prelude in Glass", u"Aurelia Strings", u"Small Hours", u"Classical", 5 },
    { u"Adagio for a Window", u"Aurelia Strings", u"Small Hours", u"Classical", 0 },
    { u"Rondo", u"Aurelia Strings", u"Small Hours", u"Classical", 3 },
    { u"夜明けの歌", u"青い猫", u"東京の夜", u"J-Pop", 4 },
    { u"さくら色の風", u"青い猫", u"東京の夜", u"J-Pop", 0 },
    { u"星空ドライブ", u"青い猫", u"東京の夜", u"J-Pop", 5 },
    { u"Белые ночи", u"Северный ветер", u"Невский проспект", u"Folk", 4 },
    { u"Песня реки", u"Северный ветер", u"Невский проспект", u"Folk", 0 },
    { u"Θάλασσα", u"Κύματα", u"Αιγαίο", u"Folk", 3 },
    { u"바람의 노래", u"서울 밴드", u"첫눈", u"J-Pop", 0 },
    { u"月光", u"林小雨", u"城市之夜", u"Ambient", 4 },
    { u"Drift", u"Slow Tides", u"Shorelines", u"Ambient", 0 },
    { u"Fog Bank", u"Slow Tides", u"Shorelines", u"Ambient", 2 },
    { u"Undertow", u"Slow Tides", u"Shorelines", u"Ambient", 0 },
    { u"Campfire Reel", u"Hollow Pines", u"Woodsmoke", u"Folk", 3 },
    { u"Two Rivers", u"Hollow Pines", u"Woodsmoke", u"Folk", 0 },
    { u"Field Recording 1", u"", u"Sketches", u"Ambient", 0 },
    { u"Open Road", u"The Wayfarers", u"Highway Lines", u"Rock", 0 }, // stored twice
    { u"Untitled Jam", u"Neon Harbour", u"", u"", 0 },
    { u"Reprise (Live)", u"Marta Quell Trio", u"Late Set", u"Jazz", 0 },
    { u"Coda", u"Aurelia Strings", u"Small Hours", u"Classical", 0 },
    { u"Ende", u"Die Wanderer", u"Straßenlieder", u"Rock", 0 },
};

// Albums whose songs carry a cover (each its own picture); the others have
// none, so the placeholder shows as well.
const char16_t* const kAlbumsWithArt[] = { u"Highway Lines", u"Signal Fires", u"Late Set", u"Rive Gauche",
                                           u"Modular",       u"Small Hours",  u"東京の夜", u"Невский проспект",
                                           u"城市之夜",      u"Shorelines" };

/// 1-based number of the album's cover, 0 for none.
int coverOf(const QString& album)
{
    for (int i = 0; i < int(std::size(kAlbumsWithArt)); ++i) {
        if (album == QString::fromUtf16(kAlbumsWithArt[i]))
            return i + 1;
    }
    return 0;
}

constexpr quint32 kMacTime2024 = 3786912000u; // 2024-01-01
constexpr int kFolders = 20;

struct Built
{
    WriterDatabase database;
    std::vector<QString> relativePaths; // "iPod_Control/Music/F03/ABCD.wav"
    std::vector<int> durationsMs;
    std::vector<int> covers; // per track: coverOf() its album
    std::vector<PlayCountEntry> playCounts;
    std::vector<qint32> onTheGo;
};

void addTrack(Built& built, WriterTrack track, int durationMs, int folders, const QString& name)
{
    const int folder = static_cast<int>(built.relativePaths.size()) % folders;
    const QString folderName = QStringLiteral("F%1").arg(folder, 2, 10, QLatin1Char('0'));
    const QString file = name + u".wav";
    built.relativePaths.push_back(u"iPod_Control/Music/" + folderName + u'/' + file);
    track.location = u":iPod_Control:Music:" + folderName + u':' + file;
    track.fileType = QStringLiteral("WAV audio file");
    track.lengthMs = durationMs;
    track.uin = 100 + static_cast<qint32>(built.durationsMs.size());
    built.durationsMs.push_back(durationMs);
    built.database.tracks.push_back(std::move(track));
}

WriterPlaylist playlistOf(const QString& name, quint64 id, const Built& built, const std::vector<int>& indexes)
{
    WriterPlaylist list { name, id, false, {} };
    for (const int i : indexes)
        list.members.push_back({ built.database.tracks[static_cast<size_t>(i)].uin, {} });
    return list;
}

Built buildDemo()
{
    Built built;
    const std::vector<QString> names = scrambledNames(static_cast<int>(std::size(kSongs)), 20061);
    std::vector<int> all, roadTrip, lateNight, favourites, world;
    int index = 0;
    for (const DemoSong& song : kSongs) {
        WriterTrack track;
        track.title = QString::fromUtf16(song.title);
        track.artist = QString::fromUtf16(song.artist);
        track.album = QString::fromUtf16(song.album);
        track.genre = QString::fromUtf16(song.genre);
        track.trackNumber = index % 5 + 1;
        track.ratingRaw = static_cast<quint8>(song.stars * 20);
        const int cover = coverOf(track.album.value_or(QString()));
        track.year = cover > 0 ? 1996 + cover * 2 : 0;
        built.covers.push_back(cover);
        addTrack(built, std::move(track), 2500 + (index * 700) % 4000, kFolders, names[static_cast<size_t>(index)]);
        const QString genre = QString::fromUtf16(song.genre);
        all.push_back(index);
        if (genre == u"Rock" || genre == u"Folk")
            roadTrip.push_back(index);
        if (genre == u"Jazz" || genre == u"Ambient")
            lateNight.push_back(index);
        if (song.stars >= 4)
            favourites.push_back(index);
        if (QString::fromUtf16(song.title).toLatin1() != QString::fromUtf16(song.title).toUtf8())
            world.push_back(index);
        built.playCounts.push_back({ static_cast<quint32>(index % 3), index % 3 ? kMacTime2024 + 86400u * index : 0u,
                                     static_cast<quint32>(song.stars * 20) });
        ++index;
    }
    built.database.playlists = { playlistOf(QStringLiteral("Quaverly Demo iPod"), 0x1000, built, all),
                                 playlistOf(QStringLiteral("Road Trip"), 0x1001, built, roadTrip),
                                 playlistOf(QStringLiteral("Late Night"), 0x1002, built, lateNight),
                                 playlistOf(QStringLiteral("Favourites"), 0x1003, built, favourites),
                                 playlistOf(QStringLiteral("Around the World 🌍"), 0x1004, built, world) };
    built.onTheGo = { 3, 11, 17, 20 };
    return built;
}

Built buildLarge(int count)
{
    Built built;
    const std::vector<QString> names = scrambledNames(count, 50000);
    static const char16_t* const kGenres[] = { u"Rock",   u"Pop",        u"Jazz",    u"Classical", u"Electronic",
                                               u"Folk",   u"Hip-Hop",    u"Ambient", u"Blues",     u"Country",
                                               u"Reggae", u"Soul",       u"Metal",   u"Punk",      u"Latin",
                                               u"World",  u"Soundtrack", u"Gospel",  u"Funk",      u"Disco" };
    const int folders = 50;
    // Titles numbered in a scrambled order (a step coprime to the count
    // visits every number once), so sorting by title has work to do, as it
    // has in a real library.
    qint64 step = 7919;
    while (std::gcd(step, qint64(count)) != 1)
        step += 2;
    for (int i = 0; i < count; ++i) {
        WriterTrack track;
        const qint64 number = (i * step + 12345) % count;
        track.title = QStringLiteral("Track %1 from the long evening session").arg(number, 5, 10, QLatin1Char('0'));
        track.artist = QStringLiteral("Artist %1 and the Band").arg(i % 2000, 4, 10, QLatin1Char('0'));
        track.album = QStringLiteral("Album %1: Collected Recordings").arg(i % 4000, 4, 10, QLatin1Char('0'));
        track.genre = QString::fromUtf16(kGenres[i % 20]);
        track.extraStrings = { { 8, QStringLiteral("Ripped from the original pressing, disc %1").arg(i % 3 + 1) } };
        track.trackNumber = i % 12 + 1;
        track.ratingRaw = static_cast<quint8>((i % 6) * 20);
        addTrack(built, std::move(track), 180000 + i % 120000, folders, names[static_cast<size_t>(i)]);
        built.playCounts.push_back({ static_cast<quint32>(i % 4), 0, 0 });
    }
    std::vector<int> all(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        all[static_cast<size_t>(i)] = i;
    built.database.playlists.push_back(playlistOf(QStringLiteral("Big iPod"), 0x2000, built, all));
    for (int p = 1; p < 20; ++p) {
        std::vector<int> members;
        for (int i = p; i < count; i += 10 + p)
            members.push_back(i);
        built.database.playlists.push_back(
            playlistOf(QStringLiteral("Playlist %1").arg(p), 0x2000 + p, built, members));
    }
    for (int i = 0; i < 25 && i < count; ++i)
        built.onTheGo.push_back(i * 7 % count);
    return built;
}

const char kSysInfo[] = "BoardHwName: iPod Q98\n"
                        "pszSerialNumber: 8K6110DEMO1\n"
                        "ModelNumStr: MA147\n"
                        "FirewireGuid: 0x000A2700139E2F1D\n"
                        "HddFirmwareRev: ZD010A  \n"
                        "RegionCode: LL(0x0001)\n"
                        "visibleBuildID: 0x01128000 (1.2.1)\n"
                        "iPodFamily: 6\n"
                        "updaterFamily: 17\n"
                        "\n\n\n";

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

std::vector<QString> scrambledNames(int count, unsigned seed)
{
    // Enough letters that at most half of all names are taken, so a random
    // draw finds a free one after two tries on average.
    int letters = 4;
    for (double names = 26.0 * 26 * 26 * 26; names < 2.0 * count; names *= 26)
        ++letters;
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> letter(0, 25);
    QSet<QString> used;
    used.reserve(count);
    std::vector<QString> result;
    result.reserve(static_cast<size_t>(std::max(count, 0)));
    while (static_cast<int>(result.size()) < count) {
        QString name(letters, Qt::Uninitialized);
        for (int i = 0; i < letters; ++i)
            name[i] = QChar(u'A' + letter(random));
        if (!used.contains(name)) {
            used.insert(name);
            result.push_back(std::move(name));
        }
    }
    return result;
}

bool makeDemoIpod(const QString& dir, const DemoOptions& options, QString* error)
{
    if (options.tracks > kMaxDemoTracks)
        return fail(error, QStringLiteral("A demo iPod holds at most %1 tracks.").arg(kMaxDemoTracks));
    const Built built = options.tracks > 0 ? buildLarge(options.tracks) : buildDemo();
    const QDir root(dir);
    const QString iTunes = root.filePath(QStringLiteral("iPod_Control/iTunes/"));
    const QByteArray playCounts = writePlayCounts(0x1c, built.playCounts);
    if (!writeFileBytes(iTunes + u"iTunesDB", writeITunesDB(built.database))
        || !writeFileBytes(iTunes + u"Play Counts", playCounts)
        || !writeFileBytes(iTunes + u"OTGPlaylistInfo", writeOTGPlaylistInfo(built.onTheGo))
        || !writeFileBytes(root.filePath(QStringLiteral("iPod_Control/Device/SysInfo")), QByteArray(kSysInfo))) {
        return fail(error, QStringLiteral("Cannot write the database files under ") + dir);
    }
    for (const QString& relative : built.relativePaths) {
        const QString folder = QFileInfo(root.filePath(relative)).path();
        if (!root.mkpath(folder))
            return fail(error, QStringLiteral("Cannot make the folder ") + folder);
    }
    if (!options.audio)
        return true;
    for (size_t i = 0; i < built.relativePaths.size(); ++i) {
        const bool large = options.tracks > 0;
        const double note = 220.0 * std::pow(2.0, double(i % 24) / 12.0);
        const QByteArray wav = large ? makeWavTone(note, 100, 8000) : makeWavTone(note, built.durationsMs[i], 16000);
        const QString song = root.filePath(built.relativePaths[i]);
        if (!writeFileBytes(song, wav))
            return fail(error, QStringLiteral("Cannot write the song file ") + song);
        const int cover = i < built.covers.size() ? built.covers[i] : 0;
        const WriterTrack& track = built.database.tracks[i];
        if (cover > 0
            && !embedWavCover(song, makeCoverPng(cover), track.title.value_or(QString()),
                              track.artist.value_or(QString()), track.album.value_or(QString())))
            return fail(error, QStringLiteral("Cannot put the cover into ") + song);
    }
    return true;
}

} // namespace quaverly::tools
