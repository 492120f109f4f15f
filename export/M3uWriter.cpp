#include "export/M3uWriter.h"

#include "database/Library.h"
#include "device/DeviceGuard.h"
#include "device/DevicePath.h"
#include "export/ExtractCore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

namespace quaverly::exporting {

namespace {

/// A tag as one line of the playlist: line breaks and other control characters become blanks.
QString oneLine(const QString& text)
{
    QString line = text;
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    }
    return line.simplified();
}

/// "#EXTINF:seconds,Artist - Title": what players show for the song instead of
/// its scrambled file name. -1 seconds when the length is not known.
QByteArray extinf(const database::TrackRecord& track, const QString& native)
{
    const qint64 seconds = track.Length > 0 ? (qint64(track.Length) + 500) / 1000 : -1;
    const QString artist = oneLine(track.Artist);
    QString title = oneLine(track.Title);
    if (title.isEmpty())
        title = QFileInfo(native).completeBaseName();
    const QString shown = artist.isEmpty() ? title : artist + QStringLiteral(" - ") + title;
    return "#EXTINF:" + QByteArray::number(seconds) + ',' + shown.toUtf8() + '\n';
}

} // namespace

QByteArray m3uContent(const database::Library& library, const std::vector<int>& trackIndexes)
{
    device::CachedDevicePath cached(library.iPodRoot);
    const device::DevicePath device(library.iPodRoot);
    const device::DeviceGuard guard(library.iPodRoot);
    QByteArray content = "#EXTM3U\n";
    for (const int index : trackIndexes) {
        if (index < 0 || index >= library.TrackCount())
            continue;
        const database::TrackRecord& track = library.Tracks[static_cast<size_t>(index)];
        const QString& path = track.Path;
        QString native = cached.existing(path);
        if (native.isEmpty()) // a missing file keeps its line, spelled as far as the disk knows it
            native = device.resolve(path).value_or(QString());
        // A player opens what the list names: never a file reached through a link out of the iPod, nor a FIFO.
        const device::FileRefusal refusal = native.isEmpty() ? device::FileRefusal::Outside : guard.checkFile(native);
        const bool refused = refusal != device::FileRefusal::None && refusal != device::FileRefusal::Missing;
        if (refused || native.contains(QLatin1Char('\n')) || native.contains(QLatin1Char('\r'))) {
            qCWarning(lcExport) << "left out of the playlist:" << path;
            continue;
        }
        content += extinf(track, native);
        content += native.toUtf8();
        content += '\n';
    }
    return content;
}

M3uWriter::M3uWriter(QString folder)
    : m_folder(folder.isEmpty() ? QDir::tempPath() : std::move(folder))
{
}

M3uWriter::~M3uWriter()
{
    for (const QString& file : std::as_const(m_files))
        QFile::remove(file);
}

QString M3uWriter::writeTemporary(const QByteArray& content)
{
    QTemporaryFile file(m_folder + QStringLiteral("/iTunesDBTemp-XXXXXX.m3u"));
    if (!file.open() || file.write(content) != content.size() || !file.flush()) {
        qCWarning(lcExport) << "could not write a playlist in" << m_folder << file.errorString();
        return {};
    }
    file.setAutoRemove(false);
    m_files.append(file.fileName());
    return file.fileName();
}

bool M3uWriter::writeFile(const QString& path, const QByteArray& content)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return false;
    return file.commit();
}

} // namespace quaverly::exporting
