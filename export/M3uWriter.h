#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace quaverly::database {
class Library;
}

namespace quaverly::exporting {

/// The extended M3U text of a list of songs (track indexes, 0-based, in list
/// order), in UTF-8 with '\n' line ends: "#EXTM3U", then per song an
/// "#EXTINF:seconds,Artist - Title" line (the names players show instead of
/// the scrambled file names; -1 seconds for an unknown length) and the native
/// path of its file on the iPod, resolved as the disk spells it. A song whose
/// path leaves the iPod (by ".." or through a link), names no regular file,
/// or holds a line break is left out.
[[nodiscard]] QByteArray m3uContent(const database::Library& library, const std::vector<int>& trackIndexes);

/// Writes M3U playlists for external players. The temporary ones live in
/// the system's temporary folder and are removed when the writer is
/// destroyed (at the end of the program, for the writer the main window owns).
class M3uWriter
{
public:
    /// `folder` empty: the system's temporary folder.
    explicit M3uWriter(QString folder = {});
    ~M3uWriter();
    M3uWriter(const M3uWriter&) = delete;
    M3uWriter& operator=(const M3uWriter&) = delete;

    /// Writes `content` to a new file named "iTunesDBTemp-XXXXXX.m3u";
    /// answers its path, or empty when it could not be written.
    [[nodiscard]] QString writeTemporary(const QByteArray& content);
    /// The temporary playlists written so far and not yet removed.
    [[nodiscard]] const QStringList& files() const { return m_files; }

    /// Writes `content` to `path`, replacing the file only once complete.
    [[nodiscard]] static bool writeFile(const QString& path, const QByteArray& content);

private:
    QString m_folder;
    QStringList m_files;
};

} // namespace quaverly::exporting
