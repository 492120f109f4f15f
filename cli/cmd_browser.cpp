#include "browser/LibraryChecks.h"
#include "browser/SongColumns.h"
#include "cli/CliLibrary.h"
#include "cli/CliSelection.h"
#include "cli/CliSupport.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>

namespace quaverly::cli {
namespace {

using database::Library;
using database::TrackRecord;

const TrackRecord& trackOf(const Library& library, int index)
{
    return library.Tracks[static_cast<size_t>(index)];
}

QJsonObject songJson(const Library& library, int index)
{
    const TrackRecord& track = trackOf(library, index);
    return QJsonObject {
        { QStringLiteral("index"), index },         { QStringLiteral("title"), track.Title },
        { QStringLiteral("artist"), track.Artist }, { QStringLiteral("album"), track.Album },
        { QStringLiteral("genre"), track.Genre },   { QStringLiteral("path"), track.Path },
        { QStringLiteral("type"), track.FileType }, { QStringLiteral("rating"), track.Rating },
        { QStringLiteral("uin"), track.UIN },       { QStringLiteral("length_ms"), track.Length },
        { QStringLiteral("size"), track.FileSize }, { QStringLiteral("track_number"), track.TrackNumber },
    };
}

QJsonObject reportJson(const Library& library, int index, bool withPath)
{
    const TrackRecord& track = trackOf(library, index);
    QJsonObject object { { QStringLiteral("index"), index },
                         { QStringLiteral("artist"), track.Artist },
                         { QStringLiteral("title"), track.Title } };
    if (withPath)
        object.insert(QStringLiteral("path"), track.Path);
    return object;
}

void printRaw(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
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
    if (parser.isSet(json)) {
        QJsonArray array;
        for (int index : *rows)
            array.append(songJson(library, index));
        printJson(QJsonDocument(array));
        return kExitOk;
    }
    for (int index : *rows) {
        QStringList cells;
        for (int c = 1; c < browser::kColumnCount; ++c)
            cells.append(browser::SongCell(trackOf(library, index), static_cast<browser::Column>(c), false));
        printLine(cells.join(QLatin1Char('\t')));
    }
    return kExitOk;
}

int runDuplicates(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Lists songs present more than once (same title, artist, album)."));
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
    const QString text = browser::ReportText(library, report);
    if (parser.isSet(write) && report.foundCount > 0) {
        const browser::WriteResult written = browser::WriteDuplicatesFile(library.iPodRoot, text);
        if (written.error == browser::WriteError::NoRoot)
            return fail(QStringLiteral("No iPod folder to write duplicates.txt in."));
        if (written.error != browser::WriteError::None)
            return fail(QStringLiteral("Cannot write %1: %2").arg(written.path, written.errorText));
    }
    if (parser.isSet(json)) {
        QJsonArray array;
        for (int index : report.entries())
            array.append(reportJson(library, index, false));
        printJson(QJsonDocument(array));
    } else if (report.foundCount > 0) {
        printRaw(text + u"\r\n");
    }
    return kExitOk;
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
    if (parser.isSet(json)) {
        QJsonArray array;
        for (int index : report.missing)
            array.append(reportJson(library, index, true));
        printJson(QJsonDocument(array));
    } else if (!report.missing.empty()) {
        printRaw(browser::ReportText(library, report.missing) + u"\r\n");
    }
    return kExitOk;
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
