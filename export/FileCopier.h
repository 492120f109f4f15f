#pragma once
#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace quaverly::device {
class DeviceGuard;
}

namespace quaverly::exporting {

/// Why a song was not copied.
enum class ExtractError {
    None,
    InvalidTrack,      // the index names no track of the library
    SourceMissing,     // the song's file is not on the iPod
    SourceUnreadable,  // the file could not be opened or read
    SourceNotRegular,  // the song's path names a folder, FIFO or device, which is never opened
    SourceOutsideIpod, // the song's path leads out of the iPod through a link
    TargetInsideIpod,  // the destination lies on the iPod itself
    FolderNotCreated,  // a folder of the destination could not be made
    TargetNotWritable, // the destination folder refuses new files
    DiskFull,          // the target ran out of space
    CopyFailed,        // any other failure while writing or renaming
    Cancelled,         // the user stopped the run during this file
};

/// Answers true to go on, false to cancel. `bytesDone` counts the bytes of
/// the current file copied so far.
using ByteProgressFn = std::function<bool(qint64 bytesDone)>;

/// Runs on the complete temporary copy (its native path) just before it is
/// renamed into place, for changes to the copy itself such as its tags.
using FinishFn = std::function<void(const QString& temporaryPath)>;

struct CopyResult
{
    ExtractError error = ExtractError::None;
    int systemError = 0; // errno of the failing call, 0 when none
    qint64 bytes = 0;    // bytes copied
    QString destination; // the file written: the destination asked for, or the free name taken instead
    [[nodiscard]] bool ok() const { return error == ExtractError::None; }
};

/// Copies files safely: the data goes to a hidden temporary file in the
/// destination's folder, which is renamed to the destination only when
/// complete. A file that already has the destination's name is never
/// replaced: the copy takes the next free name instead (" (2)", " (3)" ...).
/// A failed or cancelled copy removes its temporary file. Temporary files
/// that a killed copy left behind are removed the first time a copier writes
/// into their folder (only this copier's own names, and only files no running
/// copy holds: each copy keeps a lock on its temporary file).
/// Only regular files are read, opened so that a FIFO or device never blocks.
/// Uses copy_file_range where the kernel allows it, else a buffer that is
/// allocated once per copier, so memory does not grow with the files.
/// Not thread-safe: use one copier per thread.
class FileCopier
{
public:
    FileCopier();
    ~FileCopier();
    FileCopier(const FileCopier&) = delete;
    FileCopier& operator=(const FileCopier&) = delete;

    /// The destination to try when the name of the one asked for is taken:
    /// attempt 1, 2, ... Without one, " (2)", " (3)" ... go before the extension.
    using AlternativeNameFn = std::function<QString(int attempt)>;

    /// With an iPod root, songs are read only when their real path (links
    /// followed) lies inside it, and nothing is written inside it.
    void setDeviceRoot(const QString& iPodRoot);

    /// Copies `source` to `destination` (native paths), making the missing
    /// folders of the destination first. `progress` runs after each chunk,
    /// `finish` on the finished temporary copy, so the destination never
    /// shows a copy that `finish` has not seen.
    [[nodiscard]] CopyResult CopyFile(const QString& source, const QString& destination,
                                      const ByteProgressFn& progress = {}, const AlternativeNameFn& alternative = {},
                                      const FinishFn& finish = {});

    /// Makes `folder` and its missing parents; answers 0 or an errno.
    [[nodiscard]] static int makeFolders(const QString& folder);

    /// The prefix and suffix of this copier's temporary files (".quaverly-1f3a.part").
    static constexpr const char* kTempPrefix = ".quaverly-";
    static constexpr const char* kTempSuffix = ".part";
    /// True for a name this copier gives its temporary files.
    [[nodiscard]] static bool isTemporaryName(const QByteArray& name);

private:
    CopyResult copyContents(int in, int out, const ByteProgressFn& progress);
    CopyResult copyWithBuffer(int in, int out, qint64 done, const ByteProgressFn& progress);
    [[nodiscard]] bool folderOnIpod(const QByteArray& folder);
    void sweepOnce(const QByteArray& folder);

    std::vector<char> m_buffer;
    std::unique_ptr<device::DeviceGuard> m_guard;
    QSet<QByteArray> m_sweptFolders;
    QSet<QByteArray> m_checkedFolders; // destination folders known to lie off the iPod
    bool m_kernelCopy = true;          // cleared once copy_file_range proves unusable between these file systems
};

} // namespace quaverly::exporting
