#pragma once
// A folder laid out like an iPod's music area, and a library over it, for the
// export tests. Files get pseudo-random content so copies can be compared.
#include "database/Library.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace quaverly::exporting::test {

struct FakeIpod
{
    QTemporaryDir root;
    database::Library library;

    FakeIpod() { library.iPodRoot = root.path(); }

    /// Adds a track whose file lies at `onDisk` (relative to the root) with
    /// `bytes` bytes; the library names it `path`, which may differ in case.
    /// Answers the native path of the file, or empty when it could not be made.
    QString addTrack(const QString& path, const QString& onDisk, qint64 bytes, const QString& title,
                     const QString& artist, const QString& album = {}, const QString& genre = {}, int track = 0)
    {
        database::TrackRecord record;
        record.Path = path;
        record.Title = title;
        record.Artist = artist;
        record.Album = album;
        record.Genre = genre;
        record.TrackNumber = track;
        record.FileSize = bytes;
        record.UIN = static_cast<qint32>(library.Tracks.size()) + 100;
        library.Tracks.push_back(record);
        if (onDisk.isEmpty())
            return {};
        const QString file = root.filePath(onDisk);
        if (!QDir().mkpath(QFileInfo(file).path()))
            return {};
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly))
            return {};
        QRandomGenerator generator(static_cast<quint32>(library.Tracks.size()));
        QByteArray block(64 * 1024, Qt::Uninitialized);
        for (qint64 left = bytes; left > 0; left -= block.size()) {
            generator.fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
            out.write(block.constData(), std::min<qint64>(left, block.size()));
        }
        return out.error() == QFile::NoError ? file : QString();
    }
};

inline QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// Every file below `folder`, relative, sorted; hidden ones included.
inline QStringList filesBelow(const QString& folder)
{
    QStringList found;
    QDir base(folder);
    const auto walk = [&](const auto& self, const QString& dir) -> void {
        const QFileInfoList entries = QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QFileInfo& entry : entries) {
            if (entry.isDir())
                self(self, entry.filePath());
            else
                found.append(base.relativeFilePath(entry.filePath()));
        }
    };
    walk(walk, folder);
    found.sort();
    return found;
}

} // namespace quaverly::exporting::test
