// Listings of the library (tracks, playlists, info) and the Play Counts
// updates (rate, count-play).
#include "cli/CliLibrary.h"
#include "cli/CliSupport.h"
#include "cli/output/JsonWriter.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonObject>

#include <utility>
#include <vector>

namespace quaverly::cli {
namespace {

using database::LoadResult;
using database::PlayCountError;

const QString kIndexHelp = QStringLiteral(
    "The track's index in database order as the tracks command lists it, from 0.");

// Parses the common "[--json] ROOT ..." shape; answers an exit status when done.
// `extraArguments` are (name, description) pairs of the positional arguments after ROOT.
std::optional<int> parseRootCommand(QCommandLineParser& parser, const QStringList& args, const QString& description,
                                    const std::vector<std::pair<QString, QString>>& extraArguments = {})
{
    parser.setApplicationDescription(description);
    parser.addPositionalArgument(QStringLiteral("ROOT"), QStringLiteral("An iPod folder or the path of its iTunesDB."));
    QStringList names;
    for (const auto& [name, text] : extraArguments) {
        parser.addPositionalArgument(name, text);
        names.append(name);
    }
    if (const auto status = parseArguments(parser, args))
        return status;
    if (parser.positionalArguments().size() != 1 + names.size())
        return usage(QStringLiteral("Expected: %1 ROOT %2").arg(args.value(0), names.join(QLatin1Char(' '))));
    return std::nullopt;
}

// One track; members in key order, as the listing has always had them.
void writeTrack(JsonWriter& json, const database::TrackRecord& t, int index, int deviceRating,
                const database::PlayStats& plays)
{
    using database::mdlPlayCountEditor;
    json.beginObject();
    json.member("album", t.Album);
    json.member("artist", t.Artist);
    json.member("device_rating", deviceRating);
    json.member("genre", t.Genre);
    json.member("index", index);
    json.key("last_played");
    if (plays.lastPlayed != 0)
        json.value(mdlPlayCountEditor::macTimeText(plays.lastPlayed));
    else
        json.null();
    json.key("last_played_unix");
    if (plays.lastPlayed != 0)
        json.value(mdlPlayCountEditor::macTimeToUnix(plays.lastPlayed));
    else
        json.null();
    json.member("length_ms", t.Length);
    json.member("path", t.Path);
    json.member("play_count", plays.playCount);
    json.member("rating", t.Rating);
    json.member("size", t.FileSize);
    json.member("skip_count", plays.skipCount);
    json.member("title", t.Title);
    json.member("track_number", t.TrackNumber);
    json.member("type", t.FileType);
    json.member("uin", t.UIN);
    json.endObject();
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
    const database::Library& library = loaded->library;
    const std::vector<int> ratings = loaded->playCounts.getAllRatings(library);
    const std::vector<database::PlayStats> plays = loaded->playCounts.getAllPlayStats(library);
    OutputStream out(stdout);
    JsonWriter json(out);
    json.beginArray();
    for (int i = 0; i < library.TrackCount(); ++i) {
        const auto at = static_cast<size_t>(i);
        writeTrack(json, library.Tracks[at], i, ratings[at], plays[at]);
    }
    json.endArray();
    return finishOutput(out);
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
    OutputStream out(stdout);
    JsonWriter json(out);
    json.beginArray();
    for (const database::clsPlayList& list : loaded->library.Playlists) {
        json.beginObject();
        json.member("name", list.Name);
        json.key("uins");
        json.beginArray();
        for (const qint32 uin : list.UINList)
            json.value(uin);
        json.endArray();
        json.endObject();
    }
    json.endArray();
    return finishOutput(out);
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
                             { QStringLiteral("play_counts_entries"), loaded->playCounts.entryCount() },
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
            .arg(loaded.playCounts.entryCount());
    case PlayCountError::BadValue:
        return QStringLiteral("The value is outside what the Play Counts file can hold; nothing was written.");
    case PlayCountError::WriteFailed:
    case PlayCountError::Locked:
    case PlayCountError::OutsideIpod:
        return loaded.playCounts.updateFailureText(error);
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
    if (const auto status = parseRootCommand(
            parser, args, QStringLiteral("Stores a rating (0 to 5 stars) in Play Counts."),
            { { QStringLiteral("INDEX"), kIndexHelp },
              { QStringLiteral("STARS"), QStringLiteral("The rating, 0 to 5 stars.") } }))
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
                                             { { QStringLiteral("INDEX"), kIndexHelp } }))
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
