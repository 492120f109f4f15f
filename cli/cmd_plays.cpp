// scrobble-log: the plays the iPod recorded since its last sync, written for
// scrobblers (a ".scrobbler.log" or a ListenBrainz import).
#include "cli/CliLibrary.h"
#include "cli/CliSupport.h"
#include "export/PlayExporter.h"

#include <cstdio>

namespace quaverly::cli {
namespace {

using exporting::PlayExportError;

int runScrobbleLog(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the plays the iPod recorded since its last sync (its Play Counts file, including the plays Quaverly "
        "counted) for uploading to Last.fm or ListenBrainz. Each export is recorded on the iPod, so the next one "
        "writes only the plays that are new since; the iPod's database files are never changed. The report goes "
        "to stderr when the log goes to stdout."));
    parser.addPositionalArgument(QStringLiteral("ROOT"), QStringLiteral("The iPod folder or its iTunesDB."));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("audioscrobbler (a .scrobbler.log, the default) or listenbrainz "
                                                   "(the JSON of a ListenBrainz import)."),
                                    QStringLiteral("FORMAT"), QStringLiteral("audioscrobbler"));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("Write to FILE instead of stdout."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption offset(
        QStringLiteral("utc-offset"),
        QStringLiteral("The iPod clock's offset from UTC (+HH:MM or -HH:MM), or \"local\" for this computer's time "
                       "zone: times are converted to UTC (#TZ/UTC). Without it they are written as the iPod "
                       "recorded them (#TZ/UNKNOWN)."),
        QStringLiteral("OFFSET"));
    const QCommandLineOption all(QStringLiteral("all"),
                                 QStringLiteral("Write every play again, not only those new since the last export."));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"),
                                    QStringLiteral("Write the log but do not record the export on the iPod."));
    parser.addOptions({ format, out, offset, all, dryRun });
    if (const auto status = parseArguments(parser, args))
        return *status;
    if (parser.positionalArguments().size() != 1)
        return usage(QStringLiteral("Give exactly one ROOT."));
    exporting::PlayExportRequest request;
    const auto chosenFormat = exporting::parsePlayLogFormat(parser.value(format));
    if (!chosenFormat)
        return usage(QStringLiteral("--format is audioscrobbler or listenbrainz, not ") + parser.value(format));
    request.format = *chosenFormat;
    if (parser.isSet(offset)) {
        const auto clock = exporting::parseUtcOffset(parser.value(offset));
        if (!clock)
            return usage(QStringLiteral("--utc-offset is +HH:MM, -HH:MM or local, not ") + parser.value(offset));
        request.clock = *clock;
    }
    request.all = parser.isSet(all);

    const auto loaded = loadLibraryForCli(parser.positionalArguments().constFirst());
    if (!loaded)
        return kExitFailure;
    request.iPodRoot = loaded->library.iPodRoot;
    request.databaseFile = loaded->databaseFile;
    const exporting::PreparedPlayExport prepared = exporting::preparePlayExport(loaded->library, request);
    if (prepared.error != PlayExportError::None)
        return fail(prepared.errorText);

    const bool toStdout = !parser.isSet(out) || parser.value(out) == QLatin1String("-");
    if (toStdout) {
        const QByteArray& content = prepared.content;
        if (std::fwrite(content.constData(), 1, size_t(content.size()), stdout) != size_t(content.size())
            || std::fflush(stdout) != 0)
            return fail(QStringLiteral("The log could not be written to stdout."));
    } else {
        QString error;
        if (exporting::writePlayLog(parser.value(out), request.iPodRoot, prepared.content, &error)
            != PlayExportError::None)
            return fail(error);
    }
    const auto report = toStdout ? printError : printLine;
    for (const QString& line : exporting::playExportReport(prepared))
        report(line);
    if (parser.isSet(dryRun)) {
        report(QStringLiteral("Not recorded on the iPod (--dry-run): the next export writes these plays again."));
        return kExitOk;
    }
    const QString notRecorded = exporting::recordPlayExport(prepared);
    if (!notRecorded.isEmpty())
        printError(QStringLiteral("The export could not be recorded on the iPod (%1): the next export writes these "
                                  "plays again.")
                       .arg(notRecorded));
    return kExitOk;
}

} // namespace

void registerPlaysCommands(Registry& registry)
{
    registry.push_back({ QStringLiteral("scrobble-log"),
                         QStringLiteral("Write the iPod's plays for Last.fm or ListenBrainz."), runScrobbleLog });
}

} // namespace quaverly::cli
