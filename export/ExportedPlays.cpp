#include "export/ExportedPlays.h"

#include "device/DevicePath.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace quaverly::exporting {
namespace {

constexpr const char* kHeader = "# Quaverly: plays already exported for scrobbling. Deleting this file makes the next "
                                "export write every play again.";
constexpr qint64 kMaxStateBytes = 64 << 20; // far beyond any iPod's library

} // namespace

QString exportedPlaysPath(const QString& iPodRoot)
{
    if (iPodRoot.isEmpty())
        return {};
    return device::DevicePath(iPodRoot)
        .resolve(QStringLiteral("iPod_Control/iTunes/QuaverlyExportedPlays"))
        .value_or(QString());
}

ExportedPlays loadExportedPlays(const QString& path)
{
    ExportedPlays state;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > kMaxStateBytes)
        return state;
    bool versionSeen = false;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() == 2 && fields[0] == "version") {
            if (fields[1] != "1")
                return {}; // a later program's file: start afresh rather than misread it
            versionSeen = true;
        } else if (fields.size() == 2 && fields[0] == "database") {
            state.databaseFingerprint = fields[1];
        } else if (fields.size() == 3) {
            bool okIndex = false, okCount = false, okTime = false;
            const int index = fields[0].toInt(&okIndex);
            const quint32 count = fields[1].toUInt(&okCount);
            const quint32 time = fields[2].toUInt(&okTime);
            if (!okIndex || !okCount || !okTime || index < 0)
                return {};
            state.tracks[index] = { count, time };
        } else {
            return {};
        }
    }
    if (!versionSeen || file.error() != QFileDevice::NoError)
        return {};
    return state;
}

QString saveExportedPlays(const QString& path, const ExportedPlays& state)
{
    if (path.isEmpty())
        return QStringLiteral("no place for it on the iPod");
    std::vector<std::pair<int, database::PlayCountRecord>> rows(state.tracks.begin(), state.tracks.end());
    std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QByteArray text = QByteArray(kHeader) + "\nversion 1\ndatabase " + state.databaseFingerprint + '\n';
    for (const auto& [index, record] : rows)
        text += QByteArray::number(index) + ' ' + QByteArray::number(record.playCount) + ' '
            + QByteArray::number(record.lastPlayedMac) + '\n';
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return file.errorString();
    return {};
}

QByteArray databaseFingerprint(const QString& databaseFile)
{
    QFile file(databaseFile);
    if (databaseFile.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!hash.addData(&file) || file.error() != QFileDevice::NoError)
        return {};
    return hash.result().toHex();
}

} // namespace quaverly::exporting
