#pragma once
#include <QHash>
#include <QString>

#include <optional>

namespace quaverly::device {

/// Resolves paths on the iPod. iPods are FAT volumes and the tools that write
/// them disagree on letter case (iPod_Control, ipod_control ...), so every path
/// is matched case-insensitively, component by component, against what is on
/// the disk. `relative` may use '/', '\' or ':' as separators and may start
/// with one. No other code joins device paths by hand.
///
/// A path that would leave the root (a ".." component, a drive or an empty
/// root) is refused: resolve() answers std::nullopt.
/// For a path whose tail does not exist, the existing head is resolved and the
/// rest is appended as given, so callers can create it.
class DevicePath
{
public:
    explicit DevicePath(QString root);

    [[nodiscard]] const QString& root() const { return m_root; }

    /// The native path of `relative` under the root, or nullopt when refused.
    [[nodiscard]] std::optional<QString> resolve(const QString& relative) const;
    /// The native path when it names an existing file or folder, else empty.
    [[nodiscard]] QString existing(const QString& relative) const;
    [[nodiscard]] bool exists(const QString& relative) const { return !existing(relative).isEmpty(); }

    /// Splits a device path into its components, or nullopt when one of them
    /// would climb out of the root.
    [[nodiscard]] static std::optional<QStringList> components(const QString& relative);

private:
    QString m_root;
};

/// Like DevicePath, but remembers each folder's listing, so resolving tens of
/// thousands of song paths lists each Music folder once. Also remembers each
/// file's size. Use it for one pass (a load, a check), then drop it: it does
/// not notice later changes on the disk.
class CachedDevicePath
{
public:
    explicit CachedDevicePath(QString root);

    struct Entry
    {
        QString name; // as on the disk
        qint64 size = 0;
        bool isDir = false;
    };

    /// The native path of an existing entry, or empty.
    [[nodiscard]] QString existing(const QString& relative);
    /// The size in bytes of an existing file, or -1 when there is none.
    [[nodiscard]] qint64 fileSize(const QString& relative);

private:
    const QHash<QString, Entry>& listing(const QString& dir);
    std::optional<std::pair<QString, Entry>> find(const QString& relative);

    QString m_root;
    QHash<QString, QHash<QString, Entry>> m_listings; // native folder -> folded name -> entry
};

} // namespace quaverly::device
