// Listings of the library (tracks, playlists, info) and the Play Counts
// updates (rate, count-play).
#include "cli/CliLibrary.h"
#include "cli/CliSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>

namespace quaverly::cli {
namespace {

using database::LoadResult;
using database::PlayCountError;

// Parses the common "[--json] ROOT ..." shape; answers an exit status when done.
std::optional<int> parseRootCommand(QCommandLineParser& parser, const QStringList& args, const QString& description,
                                    const QStringList& extraArguments = {})
{
    parser.setApplicationDescription(description);
    parser.addPositionalArgument(QStringLiteral("ROOT"), QStringLiteral("An iPod folder or the path of its iTunesDB."));
    for (const QString& name : extraArguments) {
        if (name == QLatin1String("INDEX"))
            parser.addPositionalArgument(name, QStringLiteral("The track's index in database order (0 is the first)."));
        else if (name == QLatin1String("STARS"))
            parser.addPositionalArgument(name, QStringLiteral("The rating, 0 to 5 stars."));
        else
            parser.addPositionalArgument(name, name);
    }
    if (const auto status = parseArguments(parser, args))
        return status;
    if (parser.positionalArguments().size() != 1 + extraArguments.size())
        return usage(QStringLiteral("Expected: %1 ROOT %2").arg(args.value(0), extraArguments.join(QLatin1Char(' '))));
    return std::nullopt;
}

QJsonObject trackJson(const database::Library& library, int index, int deviceRating)
{
    const database::TrackRecord& t = library.Tracks[static_cast<size_t>(index)];
    return QJsonObject { { QStringLiteral("index"), index },
                         { QStringLiteral("uin"), t.UIN },
                         { QStringLiteral("title"), t.Title },
                         { QStringLiteral("artist"), t.Artist },
                         { QStringLiteral("album"), t.Album },
                         { QStringLiteral("genre"), t.Genre },
                         { QStringLiteral("path"), t.Path },
                         { QStringLiteral("type"), t.FileType },
                         { QStringLiteral("rating"), t.Rating },
                         { QStringLiteral("device_rating"), deviceRating },
                         { QStringLiteral("length_ms"), t.Length },
                         { QStringLiteral("size"), t.FileSize },
                         { QStringLiteral("track_number"), t.TrackNumber } };
}

int runTracks(const QStringList& args)
{
    QCommandLineParser parser;
    parser.addOption(QCommandLineOption(QStringLiteral("json"), QStringLiteral("Print JSON (the default).")));
    if (const auto status = parseRootCommand(parser, args, QStringLiteral("Lists the tracks in database order.")))
        return *status;
    const auto loaded = loadLibraryForCli(parser.positionalArguments().at(0));
    if (!loaded)
        return kExitFailure;
    const std::vector<int> ratings = loaded->playCounts.GetAllRatings(loaded->library);
    QJsonArray tracks;
    for (int i = 0; i < loaded->library.TrackCount(); ++i)
        tracks.append(trackJson(loaded->library, i, ratings[static_cast<size_t>(i)]));
    printJson(QJsonDocument(tracks));
    return kExitOk;
}

int runPlaylists(const QStringList& args)
{
    QCommandLineParser parser;
    parser.addOption(QCommandLineOption(QStringLiteral("json"), QStringLiteral("Print JSON (the default).")));
    if (const auto status = parseRootCommand(parser, args, QStringLiteral("Lists the playlists, master first.")))
        return *status;
    const auto loaded = loadLibraryForCli(parser.positionalArguments().at(0));
    if (!loaded)
        return kExitFailure;
    QJsonArray playlists;
    for (const database::clsPlayList& list : loaded->library.Playlists) {
        QJsonArray uins;
        for (const qint32 uin : list.UINList)
            uins.append(uin);
        playlists.append(QJsonObject { { QStringLiteral("name"), list.Name }, { QStringLiteral("uins"), uins } });
    }
    printJson(QJsonDocument(playlists));
    return kExitOk;
}

int runInfo(const QStringList& args)
{
    QCommandLineParser parser;
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    parser.addOption(json);
    if (const auto status = parseRootCommand(parser, args, QStringLiteral("Describes the iPod's database.")))
        return *status;
    const auto loaded = loadLibraryForCli(parser.positionalArguments().at(0));
    if (!loaded)
        return kExitFailure;
    const database::Library& library = loaded->library;
    const QJsonObject info { { QStringLiteral("ipod_name"), library.iPodName },
                             { QStringLiteral("root"), QDir::toNativeSeparators(library.iPodRoot) },
                             { QStringLiteral("tracks"), library.TrackCount() },
                             { QStringLiteral("playlists"), library.PlaylistCount() },
                             { QStringLiteral("database"), QDir::toNativeSeparators(loaded->databaseFile) },
                             { QStringLiteral("database_size"), loaded->databaseSize },
                             { QStringLiteral("compressed"), loaded->compressed },
                             { QStringLiteral("play_counts_entry_size"), loaded->playCounts.EntrySize() },
                             { QStringLiteral("play_counts_entries"), loaded->playCounts.EntryCount() },
                             { QStringLiteral("on_the_go_playlists"), loaded->onTheGoPlaylists },
                             { QStringLiteral("warnings"), QJsonArray::fromStringList(loaded->warnings) } };
    if (parser.isSet(json)) {
        printJson(QJsonDocument(info));
        return kExitOk;
    }
    printLine(QStringLiteral("iPod name: ") + library.iPodName);
    printLine(QStringLiteral("Tracks: %1").arg(library.TrackCount()));
    printLine(QStringLiteral("Playlists: %1").arg(library.PlaylistCount()));
    printLine(
        QStringLiteral("Database: %1 (%2 bytes)").arg(info.value(u"database").toString()).arg(loaded->databaseSize));
    printLine(QStringLiteral("Play Counts entry size: %1").arg(loaded->playCounts.EntrySize()));
    printLine(QStringLiteral("Warnings: %1").arg(loaded->warnings.size()));
    return kExitOk;
}

QString playCountErrorText(PlayCountError error, const LoadResult& loaded, int index)
{
    switch (error) {
    case PlayCountError::None:
        return {};
    case PlayCountError::NoFile:
    case PlayCountError::NotSupported:
        return loaded.playCounts.ShowRatingUnsupported().text;
    case PlayCountError::BadIndex:
        return QStringLiteral(
                   "Track %1 has no entry in the Play Counts file (it holds %2 entries); nothing was written.")
            .arg(index)
            .arg(loaded.playCounts.EntryCount());
    case PlayCountError::BadValue:
        return QStringLiteral("The value is outside what the Play Counts file can hold; nothing was written.");
    case PlayCountError::WriteFailed:
    case PlayCountError::Locked:
    case PlayCountError::OutsideIpod:
        return loaded.playCounts.UpdateFailureText(error);
    }
    return {};
}

// Loads ROOT and checks INDEX; answers the index, or sets `status`.
std::optional<LoadResult> loadForUpdate(const QStringList& positional, int& index, int& status)
{
    bool ok = false;
    index = positional.at(1).toInt(&ok);
    if (!ok) {
        status = usage(QStringLiteral("INDEX must be a whole number: ") + positional.at(1));
        return std::nullopt;
    }
    auto loaded = loadLibraryForCli(positional.at(0));
    if (!loaded) {
        status = kExitFailure;
        return std::nullopt;
    }
    if (index < 0 || index >= loaded->library.TrackCount()) {
        status = fail(QStringLiteral("Track %1 is not in the library (it has %2 tracks); nothing was written.")
                          .arg(index)
                          .arg(loaded->library.TrackCount()));
        return std::nullopt;
    }
    return loaded;
}

int runRate(const QStringList& args)
{
    QCommandLineParser parser;
    if (const auto status = parseRootCommand(parser, args,
                                             QStringLiteral("Stores a rating (0 to 5 stars) in Play Counts."),
                                             { QStringLiteral("INDEX"), QStringLiteral("STARS") }))
        return *status;
    bool ok = false;
    const int stars = parser.positionalArguments().at(2).toInt(&ok);
    if (!ok || stars < 0 || stars > 5)
        return usage(QStringLiteral("STARS must be a whole number from 0 to 5."));
    int index = -1;
    int status = kExitOk;
    auto loaded = loadForUpdate(parser.positionalArguments(), index, status);
    if (!loaded)
        return status;
    const PlayCountError error = loaded->playCounts.SetRating(index, stars);
    if (error != PlayCountError::None)
        return fail(playCountErrorText(error, *loaded, index));
    printLine(QStringLiteral("Track %1 rated %2 stars.").arg(index).arg(stars));
    return kExitOk;
}

int runCountPlay(const QStringList& args)
{
    QCommandLineParser parser;
    if (const auto status = parseRootCommand(parser, args, QStringLiteral("Counts a finished play in Play Counts."),
                                             { QStringLiteral("INDEX") }))
        return *status;
    int index = -1;
    int status = kExitOk;
    auto loaded = loadForUpdate(parser.positionalArguments(), index, status);
    if (!loaded)
        return status;
    // Stamp first, then count, as the player does when a song has ended.
    // 12-byte entries have no last-played field to write.
    const PlayCountError stamped = loaded->playCounts.StampLastPlayed(index);
    if (stamped != PlayCountError::None && stamped != PlayCountError::NotSupported)
        return fail(playCountErrorText(stamped, *loaded, index));
    const PlayCountError counted = loaded->playCounts.IncrementPlayCount(index);
    if (counted != PlayCountError::None)
        return fail(playCountErrorText(counted, *loaded, index));
    printLine(QStringLiteral("Play of track %1 counted.").arg(index));
    return kExitOk;
}

} // namespace

void registerDatabaseCommands(Registry& registry)
{
    registry.push_back({ QStringLiteral("tracks"), QStringLiteral("List the tracks (JSON)."), runTracks });
    registry.push_back({ QStringLiteral("playlists"), QStringLiteral("List the playlists (JSON)."), runPlaylists });
    registry.push_back({ QStringLiteral("info"), QStringLiteral("Describe the iPod's database."), runInfo });
    registry.push_back({ QStringLiteral("rate"), QStringLiteral("Rate a track in Play Counts."), runRate });
    registry.push_back({ QStringLiteral("count-play"), QStringLiteral("Count a play in Play Counts."), runCountPlay });
}

} // namespace quaverly::cli
