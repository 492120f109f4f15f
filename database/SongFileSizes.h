#pragma once
#include <QHashFunctions>
#include <QString>
#include <QStringList>

#include <unordered_map>

namespace quaverly::database {

/// Sizes of song files for a whole library in one pass: each folder named by
/// a song path is resolved once (letter case ignored, through DevicePath) and
/// listed once with the sizes of its files; each song is then one lookup.
class SongFileSizes
{
public:
    explicit SongFileSizes(QString iPodRoot);

    /// Lists the folders of all `paths` at once, spread over the machine's
    /// cores (an iPod's songs sit in up to 50 folders of about 1,000 files;
    /// the time goes into one stat per file). Optional: fileSize() lists a
    /// folder it has not seen on first use.
    void prefetch(const QStringList& paths);

    /// The size of the file at `path` (relative to the root, '/'-separated),
    /// or -1 when it does not exist.
    [[nodiscard]] qint64 fileSize(QStringView path);

private:
    struct TextHash
    {
        using is_transparent = void;
        size_t operator()(QStringView text) const { return qHash(text); }
    };
    using Listing = std::unordered_map<QString, qint64, TextHash, std::equal_to<>>; // case-folded name -> size
    const Listing& listing(QStringView folder);
    [[nodiscard]] QString nativeFolder(const QString& folder) const;

    QString m_root;
    std::unordered_map<QString, Listing, TextHash, std::equal_to<>> m_listings; // folder as stored -> its files
    QString m_folded;                                                           // reused for the case-folded file name
};

} // namespace quaverly::database
