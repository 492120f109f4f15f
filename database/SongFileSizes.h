#pragma once
#include <QHash>
#include <QString>

namespace quaverly::database {

/// Sizes of song files for a whole library in one pass: each folder named by
/// a song path is resolved once (letter case ignored, through DevicePath) and
/// listed once with the sizes of its files; each song is then one lookup.
class SongFileSizes
{
public:
    explicit SongFileSizes(QString iPodRoot);

    /// The size of the file at `path` (relative to the root, '/'-separated),
    /// or -1 when it does not exist.
    [[nodiscard]] qint64 fileSize(const QString& path);

private:
    using Listing = QHash<QString, qint64>; // case-folded file name -> size
    const Listing& listing(const QString& folder);

    QString m_root;
    QHash<QString, Listing> m_listings; // folder as stored -> its files
};

} // namespace quaverly::database
