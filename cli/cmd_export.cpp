#include "cli/CliLibrary.h"
#include "cli/CliSelection.h"
#include "cli/CliSupport.h"
#include "export/ExtractCore.h"
#include "export/M3uWriter.h"
#include "export/SongExtractor.h"
#include "settings/Preferences.h"
#include "settings/mdlOptions.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>

#include <csignal>
#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

namespace quaverly::cli {
namespace {

using exporting::ExtractPlan;
using exporting::ExtractProgress;
using exporting::ExtractReport;

// Set by Ctrl-C or SIGTERM; the copy stops cleanly at the next chunk. A
// signal handler can only reach a flag with static storage.
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void onInterrupt(int)
{
    g_interrupted = 1;
}

// Without SA_RESTART a call blocked on a slow device returns (EINTR) and the
// run ends at once; the handler runs once, so a second signal ends the
// program even if something still blocks.
void catchInterrupts()
{
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

// The parser with ROOT and the selection options; answers an exit status when done already.
std::optional<int> parseWithRoot(QCommandLineParser& parser, const QStringList& args)
{
    parser.addPositionalArgument(QStringLiteral("ROOT"), QStringLiteral("The iPod folder or its iTunesDB."));
    addSelectionOptions(parser);
    if (const auto status = parseArguments(parser, args))
        return status;
    if (parser.positionalArguments().size() != 1)
        return usage(QStringLiteral("Give exactly one ROOT."));
    return std::nullopt;
}

void writeOut(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

QString megabytes(qint64 bytes)
{
    return QString::number(static_cast<double>(bytes) / 1e6, 'f', 1) + QStringLiteral(" MB");
}

QString clock(qint64 seconds)
{
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

int terminalColumns()
{
    winsize size {};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20)
        return size.ws_col;
    return 80;
}

/// One line redrawn in place: bar, songs, bytes, rate, time left, song.
class ProgressLine
{
public:
    explicit ProgressLine(bool enabled)
        : m_enabled(enabled)
        , m_columns(terminalColumns())
    {
        m_clock.start();
    }
    void show(const ExtractProgress& progress)
    {
        if (!m_enabled || (m_shown.isValid() && m_shown.elapsed() < 100 && progress.songsDone < progress.songsTotal))
            return;
        m_shown.start();
        // Bytes and songs weigh equally: with many small files the cost per file dominates.
        const double bytesPart = progress.bytesTotal > 0 ? double(progress.bytesDone) / double(progress.bytesTotal)
                                                         : 1.0;
        const double songsPart = progress.songsTotal > 0 ? double(progress.songsDone) / double(progress.songsTotal)
                                                         : 1.0;
        const double part = (bytesPart + songsPart) / 2.0;
        const double seconds = double(m_clock.elapsed()) / 1000.0;
        const double rate = seconds > 0.2 ? double(progress.bytesDone) / seconds : 0.0;
        const QString left = part > 0.001 && seconds > 0.2 ? clock(qint64(seconds * (1.0 - part) / part))
                                                           : QStringLiteral("-:--");
        constexpr int kBar = 20;
        const int filled = std::clamp(int(part * kBar), 0, kBar);
        QString line = QStringLiteral("[%1%2] %3/%4 songs  %5 of %6  %7/s  %8 left  %9")
                           .arg(QString(filled, QLatin1Char('#')), QString(kBar - filled, QLatin1Char('.')))
                           .arg(progress.songsDone)
                           .arg(progress.songsTotal)
                           .arg(megabytes(progress.bytesDone), megabytes(progress.bytesTotal), megabytes(qint64(rate)),
                                left, progress.currentSong);
        writeOut("\r\033[K" + line.left(m_columns - 1).toUtf8());
    }
    void finish()
    {
        if (m_enabled)
            writeOut("\r\033[K");
    }

private:
    bool m_enabled;
    int m_columns;
    QElapsedTimer m_clock;
    QElapsedTimer m_shown;
};

int printPlan(const ExtractPlan& plan, bool json)
{
    QJsonArray array;
    for (const exporting::ExtractJob& job : plan.jobs) {
        QJsonObject object { { QStringLiteral("index"), job.trackIndex },
                             { QStringLiteral("source"), job.source },
                             { QStringLiteral("destination"), job.destination } };
        if (job.error != exporting::ExtractError::None)
            object.insert(QStringLiteral("error"), exporting::describeError(job.error));
        if (json)
            array.append(object);
        else if (job.error == exporting::ExtractError::None)
            printLine(job.source + QStringLiteral(" -> ") + job.destination);
        else
            printLine(
                QStringLiteral("(%1) -> %2: %3").arg(job.song, job.destination, exporting::describeError(job.error)));
    }
    if (json)
        printJson(QJsonDocument(array));
    return kExitOk;
}

void printReport(const ExtractReport& report, qint64 elapsedMs, bool json)
{
    if (json) {
        QJsonArray failures;
        for (const exporting::ExtractFailure& failure : report.failures) {
            failures.append(QJsonObject {
                { QStringLiteral("index"), failure.trackIndex },
                { QStringLiteral("song"), failure.song },
                { QStringLiteral("destination"), failure.destination },
                { QStringLiteral("reason"), exporting::describeError(failure.error, failure.systemError) } });
        }
        QJsonArray untagged;
        for (const exporting::UntaggedSong& song : report.untagged)
            untagged.append(QJsonObject { { QStringLiteral("song"), song.song },
                                          { QStringLiteral("destination"), song.destination },
                                          { QStringLiteral("reason"), media::describeTagError(song.error) } });
        const exporting::CoverReport& covers = report.covers;
        printJson(QJsonDocument(QJsonObject {
            { QStringLiteral("total"), report.total },
            { QStringLiteral("copied"), report.copied },
            { QStringLiteral("skipped"), report.skipped },
            { QStringLiteral("failed"), int(report.failures.size()) },
            { QStringLiteral("cancelled"), report.cancelled },
            { QStringLiteral("bytes"), report.bytesCopied },
            { QStringLiteral("failures"), failures },
            { QStringLiteral("tagged"), report.tagged },
            { QStringLiteral("untagged"), untagged },
            { QStringLiteral("covers"),
              QJsonObject { { QStringLiteral("written"), covers.written },
                            { QStringLiteral("kept"), covers.kept },
                            { QStringLiteral("without_art"), covers.withoutArt },
                            { QStringLiteral("failed"), QJsonArray::fromStringList(covers.failed) } } } }));
        return;
    }
    printLine(QStringLiteral("Copied %1 of %2 songs (%3) in %4.")
                  .arg(report.copied)
                  .arg(report.total)
                  .arg(megabytes(report.bytesCopied), clock(elapsedMs / 1000)));
    if (report.skipped > 0)
        printLine(QStringLiteral("Skipped %1 songs: cancelled.").arg(report.skipped));
    if (!report.failures.empty())
        printLine(QStringLiteral("Failed %1 songs:").arg(report.failures.size()));
    for (const QString& line : exporting::failureLines(report))
        printLine(QStringLiteral("  ") + line);
    if (report.tagged > 0)
        printLine(QStringLiteral("Tagged %1 copies.").arg(report.tagged));
    for (const QString& line : exporting::tagAndCoverLines(report))
        printLine(line);
}

int runExtract(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Copies the selected songs (default: all) off the iPod into a folder tree named by a template."));
    const QCommandLineOption to(QStringLiteral("to"), QStringLiteral("The folder to extract to."),
                                QStringLiteral("DIR"));
    const QCommandLineOption nameTemplate(
        QStringLiteral("template"), QStringLiteral("The file name template (default: the one stored on the iPod)."),
        QStringLiteral("T"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"), QStringLiteral("Print the plan, copy nothing."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Print JSON."));
    const QCommandLineOption tags(QStringLiteral("tags"),
                                  QStringLiteral("Write the iPod's song details (title, artist, album, album artist, "
                                                 "genre, composer, year, track and disc numbers, rating, comment) "
                                                 "into each copy. The songs on the iPod are only read."));
    const QCommandLineOption covers(QStringLiteral("covers"),
                                    QStringLiteral("Save each album's cover as cover.jpg (or .png, as stored) in "
                                                   "its folder of the copy; an existing cover file is kept."));
    parser.addOptions({ to, nameTemplate, dryRun, json, tags, covers });
    if (const auto status = parseWithRoot(parser, args))
        return *status;
    if (parser.value(to).trimmed().isEmpty())
        return usage(QStringLiteral("Give the folder to extract to with --to DIR."));
    const auto loaded = loadLibraryForCli(parser.positionalArguments().constFirst());
    if (!loaded)
        return kExitFailure;
    const database::Library& library = loaded->library;
    QString error;
    const auto rows = resolveSelection(library, parser, &error);
    if (!rows)
        return fail(error);
    const QString templateText = parser.isSet(nameTemplate)
        ? parser.value(nameTemplate)
        : settings::mdlOptions(library.iPodRoot).get(settings::prefs::kExtractTemplate);

    if (exporting::targetInsideIpod(library.iPodRoot, parser.value(to))) {
        return fail(QStringLiteral("The folder %1 is on the iPod (%2): songs copied there would land among the iPod's "
                                   "own files. Choose a folder outside the iPod; nothing was copied.")
                        .arg(parser.value(to), QDir::toNativeSeparators(library.iPodRoot)));
    }
    exporting::ExtractOptions options;
    options.writeTags = parser.isSet(tags);
    options.writeCovers = parser.isSet(covers);
    if (options.writeTags)
        options.ratings = loaded->playCounts.getAllRatings(library);
    const ExtractPlan plan = exporting::SongExtractor(library).makePlan(*rows, parser.value(to), templateText, options);
    if (parser.isSet(dryRun))
        return printPlan(plan, parser.isSet(json));

    ProgressLine line(!parser.isSet(json) && ::isatty(STDOUT_FILENO));
    catchInterrupts();
    QElapsedTimer elapsed;
    elapsed.start();
    const ExtractReport report = exporting::SongExtractor::run(plan, [&](const ExtractProgress& progress) {
        line.show(progress);
        return g_interrupted == 0;
    });
    line.finish();
    printReport(report, elapsed.elapsed(), parser.isSet(json));
    return report.allCopied() ? kExitOk : kExitFailure;
}

int runM3u(const QStringList& args)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes an extended M3U playlist (UTF-8, #EXTINF names) of the selected songs, in song-list order."));
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("Write to FILE instead of stdout."),
                                 QStringLiteral("FILE"));
    parser.addOption(out);
    if (const auto status = parseWithRoot(parser, args))
        return *status;
    const auto loaded = loadLibraryForCli(parser.positionalArguments().constFirst());
    if (!loaded)
        return kExitFailure;
    QString error;
    const auto rows = resolveSelection(loaded->library, parser, &error);
    if (!rows)
        return fail(error);
    const QByteArray content = exporting::m3uContent(loaded->library, *rows);
    if (!parser.isSet(out)) {
        writeOut(content);
        return kExitOk;
    }
    if (!exporting::M3uWriter::writeFile(parser.value(out), content))
        return fail(QStringLiteral("Cannot write ") + parser.value(out));
    return kExitOk;
}

} // namespace

void registerExportCommands(Registry& registry)
{
    registry.push_back(
        { QStringLiteral("extract"), QStringLiteral("Copy songs off the iPod into named folders."), runExtract });
    registry.push_back({ QStringLiteral("m3u"), QStringLiteral("Write an M3U playlist of songs."), runM3u });
}

} // namespace quaverly::cli
