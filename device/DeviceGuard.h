#pragma once
#include <QHash>
#include <QString>

namespace quaverly::device {

/// Why a file on the iPod was not used.
enum class FileRefusal {
    None,
    Missing,    // nothing there (or a link to nothing)
    Outside,    // its real path, links followed, lies outside the iPod
    NotRegular, // a folder, FIFO, device or socket
    Unreadable, // it could not be opened
};

/// Keeps Quaverly's reads and writes inside the iPod. Links on the iPod (a
/// volume formatted on a Mac, or prepared by hand) may lead anywhere on the
/// computer; following them blindly would copy, play, overwrite or delete
/// files that are not the iPod's. The guard resolves real paths (links
/// followed, "." and ".." applied by the kernel) and compares them with the
/// real path of the iPod root, component by component.
///
/// Remembers the real path of each folder it meets, so checking tens of
/// thousands of songs resolves each folder once; not thread-safe.
class DeviceGuard
{
public:
    /// `iPodRoot` as Library::iPodRoot holds it; an empty or missing root
    /// contains nothing.
    explicit DeviceGuard(const QString& iPodRoot);

    /// The root's real path; empty when it does not exist.
    [[nodiscard]] const QString& realRoot() const { return m_realRoot; }

    /// The real path of `path`, also for a path whose tail does not exist
    /// yet: the nearest existing folder is resolved (a dangling link is
    /// followed to its target) and the rest appended. Empty when a missing
    /// component is followed by "..", or on a loop of links.
    [[nodiscard]] static QString realPath(const QString& path);

    /// True when `realPath` (already resolved) is the root or lies below it.
    [[nodiscard]] bool containsReal(const QString& realPath) const;

    /// The real path of `path` when it lies inside the iPod, else empty.
    [[nodiscard]] QString inside(const QString& path) const;

    /// For a file to be created, renamed or removed: the real path of its
    /// folder joined with its own name, when that folder lies inside the
    /// iPod, else empty. The entry itself is not followed, so removing a
    /// link removes the link, never what it points to.
    [[nodiscard]] QString entryInside(const QString& path) const;

    /// Whether `path` (a regular file) may be read: it exists, is a regular
    /// file and lies inside the iPod. Sets `realPath` when it may.
    [[nodiscard]] FileRefusal checkFile(const QString& path, QString* realPath = nullptr) const;

private:
    [[nodiscard]] QString realFolder(const QString& folder) const;

    QString m_realRoot;
    mutable QHash<QString, QString> m_folders; // folder as asked -> its real path
};

/// A file opened for reading, or why it was not.
struct OpenedFile
{
    int fd = -1; // owned by the caller; O_CLOEXEC, in blocking mode
    FileRefusal refusal = FileRefusal::None;
    int systemError = 0;
    QString realPath;
    [[nodiscard]] bool ok() const { return fd >= 0; }
};

/// Opens a regular file for reading without ever blocking on a FIFO or
/// waking a device: the type is checked first, the file is opened with
/// O_NONBLOCK and its type checked again on the open descriptor. With a
/// `guard`, only a file inside the iPod is opened (its real path is opened,
/// so a link swapped in afterwards is not followed).
[[nodiscard]] OpenedFile openRegularFile(const QString& path, const DeviceGuard* guard = nullptr);

/// The native path of a song's file to hand to a player: its path on the
/// iPod when it is a regular file inside the iPod; the path it would have
/// when it is missing (so the player reports it missing); empty when the
/// location leaves the iPod or names something that is not a file. Sets
/// `refusal` when given.
[[nodiscard]] QString songPathForPlayer(const QString& iPodRoot, const QString& location,
                                        FileRefusal* refusal = nullptr);

/// A short English reason ("it leads outside the iPod").
[[nodiscard]] QString describeRefusal(FileRefusal refusal);

/// True when the file name `bytes` survives decoding and encoding: a name
/// made of bytes that are not valid in the system's encoding (UTF-8) loses them,
/// and writing to the decoded name would create a different file.
[[nodiscard]] bool isFaithfulFileName(const QByteArray& bytes);

} // namespace quaverly::device
