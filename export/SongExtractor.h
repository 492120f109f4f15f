#pragma once
#include "export/FileCopier.h"
#include "media/TagWriter.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace quaverly::database {
class Library;
}

namespace quaverly::exporting {

/// One song of an extraction run, decided before anything is copied.
struct ExtractJob
{
    int trackIndex = -1; // 0-based index into Library::Tracks
    QString song;        // "artist - title", for progress and reports
    QString source;      // native path of the file on the iPod; empty when it is missing
    QString destination; // relative to the target folder, '/'-separated, with extension
    QString fileName;    // MakeFileName's result and the extension, for the next free name
    QString extension;   // when the destination is taken by the time the song is copied
    int number = 1;      // 2 when the destination ends in " (2)", and so on
    qint64 sizeBytes = 0;
    ExtractError error = ExtractError::None; // set when the song cannot be copied at all
    std::optional<media::SongTags> tags;     // written into the copy when set
};

/// What a run does besides copying.
struct ExtractOptions
{
    bool writeTags = false;   // the database's details into each copy, with TagLib
    bool writeCovers = false; // each album folder gets the album's cover (cover.jpg or .png, as stored)
    /// Stars per library track (the iPod's own ratings); empty: the database's.
    std::vector<int> ratings;
};

/// Everything a run needs; holds no reference to the library, so it can be
/// handed to a worker thread by value.
struct ExtractPlan
{
    QString targetDir; // native, without trailing separator
    QString iPodRoot;  // songs are read only inside it, and nothing is written there
    std::vector<ExtractJob> jobs;
    qint64 totalBytes = 0; // sum of the sizes of the songs found
    bool writeCovers = false;
};

/// A song that was not copied, and why.
struct ExtractFailure
{
    int trackIndex = -1;
    QString song;
    QString destination; // relative, as in ExtractJob
    ExtractError error = ExtractError::None;
    int systemError = 0; // errno, 0 when none
};

/// A song copied without its tags, and why.
struct UntaggedSong
{
    QString song;
    QString destination;
    media::TagError error = media::TagError::None;
};

/// The covers of a run that asked for them.
struct CoverReport
{
    int written = 0;    // album folders that got a cover
    int kept = 0;       // folders that had a cover file already (left as it was)
    int withoutArt = 0; // folders none of whose songs carries a picture
    QStringList failed; // folders whose cover could not be written: "folder: reason"
};

struct ExtractReport
{
    int total = 0;   // songs in the plan
    int copied = 0;  // songs now complete at their destination
    int skipped = 0; // songs not tried because the run was cancelled
    bool cancelled = false;
    qint64 bytesCopied = 0;
    std::vector<ExtractFailure> failures; // in plan order
    int tagged = 0;                       // copies that got the database's tags
    std::vector<UntaggedSong> untagged;   // copied, but TagLib could not tag them
    CoverReport covers;
    /// True only when every song of the plan was copied.
    [[nodiscard]] bool allCopied() const { return copied == total; }
};

/// Where a run stands; handed to the progress callback before each song and
/// after each chunk of a file.
struct ExtractProgress
{
    int songsDone = 0; // songs finished (copied or failed)
    int songsTotal = 0;
    qint64 bytesDone = 0;
    qint64 bytesTotal = 0;
    QString currentSong; // "artist - title" of the song being copied
};

/// Return false to cancel. Runs on the thread that runs the extraction.
using ExtractProgressFn = std::function<bool(const ExtractProgress& progress)>;

/// Copies songs off the iPod into a folder tree named by a template.
/// makePlan() only reads the library (it may run on a worker thread while the
/// library is not changed); run() works on the plan alone, synchronously. A failing song
/// is recorded and skipped, never fatal; a cancelled run keeps the songs
/// already copied and leaves no partial file.
class SongExtractor
{
public:
    explicit SongExtractor(const database::Library& library);

    /// Names every song: MakeFileName over the template, the extension of
    /// its file, and " (2)", " (3)" ... before the extension when an earlier
    /// song of the same plan took the name (compared ignoring case, as FAT
    /// targets do) or a file of that name is already in the target. Indexes
    /// are kept in order; unknown ones become failed jobs, and every song
    /// fails with TargetInsideIpod when the target folder lies on the iPod.
    /// Lists each iPod folder once, whatever the number of songs.
    /// With `options.writeTags` each job carries the tags for its copy.
    [[nodiscard]] ExtractPlan makePlan(const std::vector<int>& trackIndexes, const QString& targetDir,
                                       const QString& nameTemplate, const ExtractOptions& options = {}) const;

    /// Copies the plan's songs in order. Never replaces a file: a name taken
    /// since the plan was made passes to the next free " (n)".
    /// Tags go into each copy before it takes its name; a copy TagLib cannot
    /// tag is kept and listed. Then, when the plan asks, each album folder
    /// gets a cover (CopyExtras.h). The songs on the iPod are only read.
    [[nodiscard]] static ExtractReport run(const ExtractPlan& plan, const ExtractProgressFn& progress = {});

    /// makePlan() then run().
    [[nodiscard]] ExtractReport extract(const std::vector<int>& trackIndexes, const QString& targetDir,
                                        const QString& nameTemplate, const ExtractProgressFn& progress = {}) const;

private:
    const database::Library& m_library;
};

/// True when `targetDir`, links followed, is the iPod at `iPodRoot` or lies
/// inside it: copying there would put songs over the iPod's own files.
[[nodiscard]] bool targetInsideIpod(const QString& iPodRoot, const QString& targetDir);

/// A short English reason for a report line ("the target disk is full (No space left on device)").
[[nodiscard]] QString describeError(ExtractError error, int systemError = 0);

/// The songs that were not copied, one line each: "artist - title: reason".
/// Meant for the details of the end-of-run message and the CLI summary.
[[nodiscard]] QStringList failureLines(const ExtractReport& report);

/// What happened to tags and covers, for the same places: the copies left
/// without tags ("artist - title: copied without tags: reason") and the
/// covers' counts and failures. Empty when the run asked for neither.
[[nodiscard]] QStringList tagAndCoverLines(const ExtractReport& report);

} // namespace quaverly::exporting
