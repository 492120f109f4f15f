#include "device/IpodDiscovery.h"

#include "device/DevicePath.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>

#include <algorithm>

namespace quaverly::device {
namespace {

bool isPseudoFileSystem(const QByteArray& type)
{
    static const QSet<QByteArray> pseudo {
        "proc",        "sysfs",   "devpts",      "devtmpfs",        "cgroup",     "cgroup2",  "securityfs",
        "pstore",      "debugfs", "tracefs",     "mqueue",          "hugetlbfs",  "configfs", "fusectl",
        "binfmt_misc", "autofs",  "bpf",         "efivarfs",        "rpc_pipefs", "nsfs",     "ramfs",
        "squashfs",    "overlay", "fuse.portal", "fuse.gvfsd-fuse",
    };
    return pseudo.contains(type);
}

QString rootOfDatabase(const QString& dbPath)
{
    // root/iPod_Control/iTunes/iTunesDB: three folders up from the file.
    QDir dir = QFileInfo(dbPath).absoluteDir();
    dir.cdUp();
    dir.cdUp();
    return dir.absolutePath();
}

} // namespace

bool IsIpod(const QString& root)
{
    if (root.isEmpty())
        return false;
    const QString path = DevicePath(root).existing(QLatin1String(kITunesDBPath));
    return !path.isEmpty() && QFileInfo(path).isFile();
}

std::vector<QString> scanCandidates()
{
    std::vector<QString> roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || isPseudoFileSystem(volume.fileSystemType()))
            continue;
        roots.push_back(volume.rootPath());
    }
    std::sort(roots.begin(), roots.end());
    roots.erase(std::unique(roots.begin(), roots.end()), roots.end());
    return roots;
}

QString StartScan(const std::vector<QString>& roots)
{
    const auto hit = std::find_if(roots.rbegin(), roots.rend(), [](const QString& root) { return IsIpod(root); });
    return hit == roots.rend() ? QString() : *hit;
}

std::optional<FindResult> StartFindiPod(const QString& commandLine, const std::vector<QString>& roots)
{
    if (commandLine.contains(QLatin1String("itunesdb"), Qt::CaseInsensitive) && QFileInfo(commandLine).isFile()) {
        const QString dbPath = QFileInfo(commandLine).absoluteFilePath();
        return FindResult { rootOfDatabase(dbPath), dbPath, false };
    }
    if (!commandLine.trimmed().isEmpty() && IsIpod(commandLine)) {
        const QString root = QDir::cleanPath(QFileInfo(commandLine).absoluteFilePath());
        return FindResult { root, DevicePath(root).existing(QLatin1String(kITunesDBPath)), false };
    }
    const QString root = StartScan(roots);
    if (root.isEmpty())
        return std::nullopt;
    return FindResult { root, DevicePath(root).existing(QLatin1String(kITunesDBPath)), true };
}

QString PadTwoDigits(qint64 number)
{
    QString text = QString::number(number);
    if (text.trimmed().size() == 1)
        text.prepend(QLatin1Char('0'));
    return text;
}

} // namespace quaverly::device
