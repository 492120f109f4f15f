#include "database/OnTheGo.h"

#include "database/Library.h"
#include "device/DeviceGuard.h"
#include "device/DevicePath.h"

#include <QFile>
#include <QtEndian>

#include <unistd.h>

namespace quaverly::database {
namespace {

constexpr qint64 kCountOffset = 12;
constexpr qint64 kFirstEntry = 20;

// Reads one file into a new "On-The-Go" playlist; answers the error text, or empty.
QString readOneFile(Library& library, const QString& path)
{
    clsPlayList& list = library.Playlists.emplace_back();
    list.Name = QStringLiteral("On-The-Go");
    const QString name = QFile(path).fileName().section(QLatin1Char('/'), -1);
    // Only a regular file: a FIFO would stop the load, a link to a device would never end.
    const device::OpenedFile opened = device::openRegularFile(path);
    if (!opened.ok())
        return QStringLiteral("Error in LoadOnTheGo: %1 cannot be read (%2)")
            .arg(name, device::describeRefusal(opened.refusal));
    QFile file;
    if (!file.open(opened.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(opened.fd);
        return QStringLiteral("Error in LoadOnTheGo: %1 cannot be read (%2)").arg(name, file.errorString());
    }
    const QByteArray bytes = file.readAll();
    file.close();
    if (bytes.size() < kCountOffset + 4)
        return QStringLiteral("Error in LoadOnTheGo: %1 is too short to hold an entry count").arg(name);
    const qint64 count = qFromLittleEndian<qint32>(bytes.constData() + kCountOffset);
    for (qint64 k = 0; k < count; ++k) {
        const qint64 at = kFirstEntry + 4 * k;
        if (at + 4 > bytes.size())
            return QStringLiteral("Error in LoadOnTheGo: %1 ends after %2 of its %3 entries")
                .arg(name)
                .arg(k)
                .arg(count);
        const qint32 index = qFromLittleEndian<qint32>(bytes.constData() + at);
        if (index < 0 || index >= library.TrackCount()) {
            return QStringLiteral("Error in LoadOnTheGo: entry %1 of %2 names track %3, but the library has %4 tracks")
                .arg(k + 1)
                .arg(name)
                .arg(index)
                .arg(library.TrackCount());
        }
        list.UINList.push_back(library.Tracks[static_cast<size_t>(index)].UIN);
        list.IndexList.push_back(index);
    }
    return {};
}

} // namespace

OnTheGoReport LoadOnTheGo(Library& library, const QString& folder)
{
    OnTheGoReport report;
    const device::DevicePath device(folder);
    for (int number = 0;; ++number) {
        const QString name = number == 0 ? QStringLiteral("OTGPlaylistInfo")
                                         : QStringLiteral("OTGPlaylistInfo_%1").arg(number);
        const QString path = device.existing(name);
        if (path.isEmpty())
            break;
        ++report.playlistsAdded;
        const QString error = readOneFile(library, path);
        if (!error.isEmpty())
            report.errors.append(error);
    }
    return report;
}

} // namespace quaverly::database
