#include "database/PlayCountEntries.h"

#include "database/mdlPlayCountEditor.h"

#include <QFile>
#include <QtEndian>

namespace quaverly::database {
namespace {

constexpr int kMinEntry = 12;
constexpr int kMaxEntry = 0x1000;

} // namespace

PlayCountSnapshot readPlayCountEntries(const QString& path)
{
    PlayCountSnapshot snapshot;
    QFile file(path);
    if (path.isEmpty() || !file.exists()) {
        snapshot.error = PlayCountsReadError::NotFound;
        return snapshot;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        snapshot.error = PlayCountsReadError::Unreadable;
        return snapshot;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        snapshot.error = PlayCountsReadError::Unreadable;
        return snapshot;
    }
    const qint64 header = mdlPlayCountEditor::kHeaderBytes;
    if (bytes.size() < header || !bytes.startsWith("mhdp")) {
        snapshot.error = PlayCountsReadError::NotPlayCounts;
        return snapshot;
    }
    const qint32 entrySize = qFromLittleEndian<qint32>(bytes.constData() + 8);
    if (entrySize < kMinEntry || entrySize > kMaxEntry) {
        snapshot.error = PlayCountsReadError::NotPlayCounts;
        return snapshot;
    }
    snapshot.entrySize = entrySize;
    const qint64 claimed = std::max<qint32>(0, qFromLittleEndian<qint32>(bytes.constData() + 12));
    snapshot.claimedEntries = claimed;
    const qint64 present = (bytes.size() - header) / entrySize;
    const qint64 count = std::min(claimed, present);
    snapshot.entries.reserve(static_cast<size_t>(count));
    for (qint64 i = 0; i < count; ++i) {
        const char* entry = bytes.constData() + header + i * entrySize;
        snapshot.entries.push_back({ qFromLittleEndian<quint32>(entry), qFromLittleEndian<quint32>(entry + 4) });
    }
    return snapshot;
}

} // namespace quaverly::database
