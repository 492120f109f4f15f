#include "cli/CliLibrary.h"

#include "cli/CliSupport.h"
#include "device/DevicePath.h"
#include "device/IpodDiscovery.h"

#include <QDir>
#include <QFileInfo>

namespace quaverly::cli {
namespace {

struct Located
{
    QString root;
    QString dbPath;
};

std::optional<Located> locate(const QString& argument)
{
    const QFileInfo info(argument);
    // Anything but a folder is taken for the database itself; the loader says
    // what it is when it is no file (a FIFO, a device).
    if (info.exists() && !info.isDir()) {
        // root/iPod_Control/iTunes/iTunesDB: the root is three folders up.
        const QString dbPath = info.absoluteFilePath();
        QDir root = info.absoluteDir();
        root.cdUp();
        root.cdUp();
        return Located { QDir::cleanPath(root.absolutePath()), dbPath };
    }
    if (!info.isDir())
        return std::nullopt;
    const QString root = QDir::cleanPath(info.absoluteFilePath());
    const device::DevicePath device(root);
    QString dbPath = device.existing(QLatin1String(device::kITunesDBPath));
    if (dbPath.isEmpty())
        dbPath = device.existing(QStringLiteral("iPod_Control/iTunes/iTunesCDB"));
    if (dbPath.isEmpty())
        return std::nullopt;
    return Located { root, dbPath };
}

} // namespace

std::optional<database::LoadResult> loadLibraryForCli(const QString& rootArgument)
{
    if (rootArgument.trimmed().isEmpty()) {
        printError(QStringLiteral("No iPod folder or iTunesDB was given."));
        return std::nullopt;
    }
    const auto located = locate(rootArgument);
    if (!located) {
        printError(QFileInfo::exists(rootArgument)
                       ? QStringLiteral("%1 holds no iPod database (iPod_Control/iTunes/iTunesDB).").arg(rootArgument)
                       : QStringLiteral("%1 does not exist.").arg(rootArgument));
        return std::nullopt;
    }
    database::LoadResult result = database::LoadiTunesDB(located->dbPath, located->root);
    if (result.error != database::LoadError::None) {
        printError(result.errorText);
        return std::nullopt;
    }
    for (const QString& warning : result.warnings)
        printError(warning);
    if (result.nothingRead()) {
        printError(QStringLiteral("Nothing could be read from the iPod database %1.")
                       .arg(QDir::toNativeSeparators(result.databaseFile)));
        return std::nullopt;
    }
    return result;
}

} // namespace quaverly::cli
