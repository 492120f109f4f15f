#include "fuzz/FuzzScratch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace quaverly::fuzz {

QString scratchFolder()
{
    // One folder for the whole run: the fuzzers call the bodies millions of times.
    static const QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/quaverly-fuzz-XXXXXX"));
    return folder.isValid() ? folder.path() : QString();
}

QString writeScratchFile(const QString& name, const QByteArray& bytes)
{
    const QString folder = scratchFolder();
    if (folder.isEmpty())
        return {};
    QString path = folder + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

} // namespace quaverly::fuzz
