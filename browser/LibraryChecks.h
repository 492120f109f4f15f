#pragma once
#include <QString>

#include <functional>
#include <vector>

namespace quaverly::database {
class Library;
}

namespace quaverly::browser {

/// Called now and then with the tracks done so far; answer false to cancel.
using CheckProgressFn = std::function<bool(int done, int total)>;

enum class CheckError { None, Cancelled };

/// One line of the duplicate report, repeated `repeat` times in a row.
struct DuplicateLine
{
    int trackIndex = -1;
    int repeat = 1;
};

/// Songs present more than once (same title, artist and album ignoring letter
/// case). In library order, each copy is listed once per later copy: a song
/// present three times lists its first copy twice and its second copy once;
/// the last copy is not listed.
struct DuplicateReport
{
    std::vector<DuplicateLine> lines;
    qint64 foundCount = 0; // lines counted with their repeats
    CheckError error = CheckError::None;
    /// The track indexes with the repeats spelt out, in report order.
    [[nodiscard]] std::vector<int> entries() const;
};

/// Library songs whose file is not on the iPod, in library order.
struct MissingReport
{
    std::vector<int> missing;
    CheckError error = CheckError::None;
};

[[nodiscard]] DuplicateReport ScanForDuplicates(const database::Library& library, const CheckProgressFn& progress = {});

/// A song is present when its path names a file under the iPod root, matched
/// ignoring letter case (hidden and system files count). A song without a
/// path, or whose path climbs out of the root, is missing. Reads each folder
/// once, so it sees the disk as it is now.
[[nodiscard]] MissingReport ScanForMissing(const database::Library& library, const QString& iPodRoot,
                                           const CheckProgressFn& progress = {});

/// The report text: for each track, CR LF + artist + " - " + title.
[[nodiscard]] QString ReportText(const database::Library& library, const std::vector<int>& trackIndexes);
[[nodiscard]] QString ReportText(const database::Library& library, const DuplicateReport& report);

enum class WriteError { None, NoRoot, CannotWrite, OutsideIpod };
struct WriteResult
{
    WriteError error = WriteError::None;
    QString path;      // the file written (or attempted)
    QString errorText; // the system's reason, for the message
};

/// Writes "duplicates.txt" in the iPod root: the report text then CR LF, in
/// UTF-8, replacing any earlier file (of any letter case) in one step: the
/// text goes to a new file beside it, renamed over it on the iPod. A
/// duplicates.txt that leads outside the iPod (a link) is refused with
/// OutsideIpod and left alone. On failure the earlier file is left as it was,
/// and the message shown must say that the list could not be saved (with
/// errorText) instead of claiming it was.
[[nodiscard]] WriteResult WriteDuplicatesFile(const QString& iPodRoot, const QString& reportText);

} // namespace quaverly::browser
