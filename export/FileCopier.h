#pragma once
#include <QString>

#include <functional>
#include <vector>

namespace quaverly::exporting {

/// Why a song was not copied.
enum class ExtractError {
    None,
    InvalidTrack,      // the index names no track of the library
    SourceMissing,     // the song's file is not on the iPod
    SourceUnreadable,  // the file could not be opened or read
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
    [[nodiscard]] bool ok() const { return error == ExtractError::None; }
};

/// Copies files safely: the data goes to a hidden temporary file in the
/// destination's folder, which is renamed over the destination only when
/// complete. A failed or cancelled copy removes its temporary file and leaves
/// an existing destination untouched; a completed one replaces it.
/// Uses copy_file_range where the kernel allows it, else a buffer that is
/// allocated once per copier, so memory does not grow with the files.
/// Not thread-safe: use one copier per thread.
class FileCopier
{
public:
    /// Copies `source` to `destination` (native paths), making the missing
    /// folders of the destination first. `progress` runs after each chunk,
    /// `finish` on the finished temporary copy, so the destination never
    /// shows a copy that `finish` has not seen.
    [[nodiscard]] CopyResult CopyFile(const QString& source, const QString& destination,
                                      const ByteProgressFn& progress = {}, const FinishFn& finish = {});

    /// Makes `folder` and its missing parents; answers 0 or an errno.
    [[nodiscard]] static int MakeFolders(const QString& folder);

    /// The prefix of this copier's temporary files.
    static constexpr const char* kTempPrefix = ".quaverly-";

private:
    CopyResult copyContents(int in, int out, const ByteProgressFn& progress);
    CopyResult copyWithBuffer(int in, int out, qint64 done, const ByteProgressFn& progress);

    std::vector<char> m_buffer;
    bool m_kernelCopy = true; // cleared once copy_file_range proves unusable between these file systems
};

} // namespace quaverly::exporting
