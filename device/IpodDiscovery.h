#pragma once
#include <QString>

#include <optional>
#include <vector>

namespace quaverly::device {

/// The database file every iPod has, relative to its root.
inline constexpr const char* kITunesDBPath = "iPod_Control/iTunes/iTunesDB";

/// True when a file exists at root + iPod_Control/iTunes/iTunesDB (any case).
/// An unreadable root answers false.
[[nodiscard]] bool IsIpod(const QString& root);

/// The mount points worth asking, sorted ascending by path (so that visiting
/// from the last keeps the rule that later drives win). Pseudo file systems
/// (proc, sysfs, cgroups ...) are left out.
[[nodiscard]] std::vector<QString> scanCandidates();

/// Visits `roots` from the last to the first and answers the first that holds
/// an iPod, or an empty text when none does.
[[nodiscard]] QString StartScan(const std::vector<QString>& roots);

struct FindResult
{
    QString iPodRoot; // mount point of the iPod, no trailing '/' (except "/")
    QString dbPath;   // the iTunesDB to load
    bool fromScan = false;
};

/// Decides the iPod from the command line (all arguments joined by blanks):
/// 1. a text containing "iTunesDB" (any case) that names an existing file: the
///    root is three folders up (root/iPod_Control/iTunes/iTunesDB);
/// 2. any other text that is not blank: when the folder is an iPod, it is the root;
/// 3. otherwise (or when 2 fails) scan `roots`.
/// nullopt when no iPod was found.
[[nodiscard]] std::optional<FindResult> StartFindiPod(const QString& commandLine, const std::vector<QString>& roots);

/// The number in decimal with a "0" in front when it has one character.
[[nodiscard]] QString PadTwoDigits(qint64 number);

} // namespace quaverly::device
