#include "browser/LibraryChecks.h"
#include "browser/SongColumns.h"
#include "cli/CliLibrary.h"
#include "cli/CliSelection.h"
#include "cli/CliSupport.h"
#include "cli/output/JsonWriter.h"

#include <cstdio>

namespace quaverly::cli {
namespace {

using database::Library;
using database::TrackRecord;

const TrackRecord& trackOf(const Library& library, int index)
{
    return library.Tracks[static_cast<size_t>(index)];
}

// A song row; members in key order, as the listing has always had them. The rating is the one the Rating
// column shows: Play Counts' over the database's.
void writeSong(JsonWriter& json, const Library& library, int index, int stars)
{
    const TrackRecord& track = trackOf(library, index);
    json.beginObject();
    json.member("album", track.Album);
    json.member("artist", track.Artist);
    json.member("genre", track.Genre);
    json.member("index", index);
    json.member("length_ms", track.Length);
    json.member("path", track.Path);
    json.member("rating", stars);
    json.member("size", track.FileSize);
    json.member("title", track.Title);
    json.member("track_number", track.TrackNumber);
    json.member("type", track.FileType);
    json.member("uin", track.UIN);
    json.endObject();
}

// One entry of a check's report: artist, index, title (and path).
void writeReportEntry(JsonWriter& json, const Library& library, int index, bool withPath)
{
    const TrackRecord& track = trackOf(library, index);
    json.beginObject();
    json.member("artist", track.Artist);
    json.member("index", index);
    if (withPath)
        json.member("path", track.Path);
    json.member("title", track.Title);
    json.endObject();
}

// A group line of the duplicate report: its first copy, how many copies
// there are and the index of every copy.
void writeDuplicateGroup(JsonWriter& json, const Library& library, const browser::DuplicateReport& report,
                         const browser::DuplicateLine& line)
{
    const TrackRecord& track = trackOf(library, line.trackIndex);
    json.beginObject();
    json.member("artist", track.Artist);
    json.member("copies", line.copies);
    json.member("index", line.trackIndex);
    json.key("indexes");
    json.beginArray();
    for (const int copy : report.copiesOf(line))
        json.value(copy);
    json.endArray();
    json.member("title", track.Title);
    json.endObject();
}

// Report lines as text: CR LF before each line, CR LF at the end.
void writeReportLine(OutputStream& out, const QString& line)
{
    out.write("\r\n");
    out.writeText(line);
}

// The parser with ROOT and --json; answers an exit status when done already.
std::optional<int> parseWithRoot(QCommandLineParser& parser, const QStringList& args, const QCommandLineOption& json)
{
    parser.addPositionalArgument(QStringLiteral("ROOT"), QStringLiteral("The iPod folder or its iTunesDB."));
    parser.addOption(json);
    if (const auto status = parseArguments(parser, args))
        return status;
    if (parser.positionalArguments().size() != 1)
        return usage(QStringLiteral("Give exactly one ROOT."));
    return std::nullopt;
}

int runSongs(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Lists the song rows the browser shows for a selection."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    addSelectionOptions(parser);
    if (const auto status = parseWithRoot(parser, args, json))
        return *status;
    const auto loaded = loadLibraryForCli(parser.positionalArguments().constFirst());
    if (!loaded)
        return kExitFailure;
    const Library& library = loaded->library;
    QString error;
    const auto rows = resolveSelection(library, parser, &error);
    if (!rows)
        return fail(error);
    const std::vector<int> ratings = loaded->playCounts.getAllRatings(library);
    OutputStream out(stdout);
    if (parser.isSet(json)) {
        JsonWriter writer(out);
        writer.beginArray();
        for (int index : *rows)
            writeSong(writer, library, index, browser::shownRating(library, ratings, index));
        writer.endArray();
        return finishOutput(out);
    }
    // The cells of columns 1 to 11, tab-separated.
    for (int index : *rows) {
        const TrackRecord& track = trackOf(library, index);
        for (int c = 1; c < browser::kColumnCount; ++c) {
            if (c > 1)
                out.put('\t');
            out.writeText(browser::songCell(track, static_cast<browser::Column>(c), false,
                                            browser::shownRating(library, ratings, index)));
        }
        out.put('\n');
    }
    return finishOutput(out);
}

int runDuplicates(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Lists songs present more than once (same title, artist, album). A song present more than "
                       "%1 times is listed once, with its number of copies.")
            .arg(browser::kMaxListedCopies));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    const QCommandLineOption write(QStringLiteral("write"), QStringLiteral("Also write duplicates.txt on the iPod."));
    parser.addOption(write);
    if (const auto status = parseWithRoot(parser, args, json))
        return *status;
    const auto loaded = loadLibraryForCli(parser.positionalArguments().constFirst());
    if (!loaded)
        return kExitFailure;
    const Library& library = loaded->library;
    const browser::DuplicateReport report = browser::ScanForDuplicates(library);
    if (parser.isSet(write) && report.foundCount > 0) {
        const browser::WriteResult written = browser::writeDuplicatesFile(library.iPodRoot, library, report);
        if (written.error == browser::WriteError::NoRoot)
            return fail(QStringLiteral("No iPod folder to write duplicates.txt in."));
        if (written.error != browser::WriteError::None)
            return fail(QStringLiteral("Cannot write %1: %2").arg(written.path, written.errorText));
    }
    OutputStream out(stdout);
    if (parser.isSet(json)) {
        JsonWriter writer(out);
        writer.beginArray();
        for (const browser::DuplicateLine& line : report.lines) {
            if (line.copies > 0) {
                writeDuplicateGroup(writer, library, report, line);
                continue;
            }
            for (int r = 0; r < line.repeat; ++r)
                writeReportEntry(writer, library, line.trackIndex, false);
        }
        writer.endArray();
    } else if (report.foundCount > 0) {
        for (const browser::DuplicateLine& line : report.lines) {
            const QString text = browser::reportLine(library, line);
            for (int r = 0; r < line.repeat; ++r)
                writeReportLine(out, text);
        }
        out.write("\r\n");
    }
    return finishOutput(out);
}

int runMissing(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Lists library songs whose file is not on the iPod."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    if (const auto status = parseWithRoot(parser, args, json))
        return *status;
    const auto loaded = loadLibraryForCli(parser.positionalArguments().constFirst());
    if (!loaded)
        return kExitFailure;
    const Library& library = loaded->library;
    const browser::MissingReport report = browser::ScanForMissing(library, library.iPodRoot);
    OutputStream out(stdout);
    if (parser.isSet(json)) {
        JsonWriter writer(out);
        writer.beginArray();
        for (int index : report.missing)
            writeReportEntry(writer, library, index, true);
        writer.endArray();
    } else if (!report.missing.empty()) {
        for (int index : report.missing)
            writeReportLine(out, browser::reportLine(library, index));
        out.write("\r\n");
    }
    return finishOutput(out);
}

} // namespace

void registerBrowserCommands(Registry& registry)
{
    registry.push_back(
        { QStringLiteral("songs"), QStringLiteral("List the song rows of a browser selection."), runSongs });
    registry.push_back(
        { QStringLiteral("duplicates"), QStringLiteral("List (and save) the duplicate songs."), runDuplicates });
    registry.push_back({ QStringLiteral("missing"), QStringLiteral("List songs whose file is missing."), runMissing });
}

} // namespace quaverly::cli
