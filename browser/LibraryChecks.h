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

/// A song present more than this many times is listed once, as a group.
inline constexpr int kMaxListedCopies = 3;

/// One line of the duplicate report, repeated `repeat` times in a row; or,
/// when `copies` is set, the one line of a song present `copies` times.
struct DuplicateLine
{
    int trackIndex = -1;
    int repeat = 1;
    int copies = 0;     // a group line: how many copies the song has (0 for an ordinary line)
    int firstCopy = -1; // a group line: where its copies start in DuplicateReport::groupCopies
};

/// Songs present more than once (same title, artist and album ignoring letter
/// case), in library order. A song present two or three times lists each
/// copy once per later copy (its first copy twice and its second copy once
/// when it is there three times; the last copy is not listed). A song present
/// more often is listed once, as a group line at its first copy, so the
/// report never has more lines than the library has tracks: listed pair by
/// pair, 30,000 untagged tracks would make 450 million lines.
struct DuplicateReport
{
    std::vector<DuplicateLine> lines;
    /// The track indexes of the copies of every group, in library order;
    /// each group line names its slice.
    std::vector<int> groupCopies;
    qint64 foundCount = 0; // report lines, a repeated line counted each time
    CheckError error = CheckError::None;
    /// The track indexes of the report's lines with the repeats spelt out.
    [[nodiscard]] std::vector<int> entries() const;
    /// The copies of a group line (empty for an ordinary line).
    [[nodiscard]] std::vector<int> copiesOf(const DuplicateLine& line) const;
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
[[nodiscard]] QString reportText(const database::Library& library, const std::vector<int>& trackIndexes);
[[nodiscard]] QString reportText(const database::Library& library, const DuplicateReport& report);
/// One line of a report without its CR LF: artist + " - " + title, and for
/// a group line " (N copies)" after it.
[[nodiscard]] QString reportLine(const database::Library& library, int trackIndex);
[[nodiscard]] QString reportLine(const database::Library& library, const DuplicateLine& line);

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
[[nodiscard]] WriteResult writeDuplicatesFile(const QString& iPodRoot, const QString& reportText);
/// The same, writing the report line by line as it is formatted.
[[nodiscard]] WriteResult writeDuplicatesFile(const QString& iPodRoot, const database::Library& library,
                                              const DuplicateReport& report);

} // namespace quaverly::browser
