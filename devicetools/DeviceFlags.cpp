#include "devicetools/DeviceFlags.h"

#include "device/DeviceGuard.h"
#include "device/DevicePath.h"
#include "devicetools/DeviceLog.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quaverly::devicetools {
namespace {

const QString kDeviceFolder = QStringLiteral("iPod_Control/Device");
const QString kTxt = QStringLiteral(".txt");

QString deviceFolder(const QString& iPodRoot)
{
    if (iPodRoot.isEmpty())
        return {};
    const QString dir = device::DevicePath(iPodRoot).existing(kDeviceFolder);
    return QFileInfo(dir).isDir() ? dir : QString();
}

void fail(FlagReport& report, FlagError error, const QString& fileName)
{
    if (report.firstError == FlagError::None)
        report.firstError = error;
    report.failedFiles.append(fileName);
    qCWarning(lcDevice) << "Could not change flag file" << fileName << static_cast<int>(error);
}

/// The Device folder and the guard that keeps every change inside the iPod.
struct FlagFolder
{
    device::DevicePath dir;
    const device::DeviceGuard& guard;
};

// Deletes `name` in the folder when it exists (any letter case); a missing file is no failure.
void removeIfThere(const FlagFolder& folder, const QString& name, FlagReport& report)
{
    const QString path = folder.dir.existing(name);
    if (path.isEmpty())
        return;
    const QString entry = folder.guard.entryInside(path);
    if (entry.isEmpty())
        fail(report, FlagError::OutsideIpod, name);
    else if (!QFile::remove(entry))
        fail(report, FlagError::DeleteFailed, name);
}

void turnOff(const FlagFolder& folder, const QString& name, FlagReport& report)
{
    removeIfThere(folder, name + kTxt, report);
    removeIfThere(folder, name, report);
}

// Creates the empty file `path` (or empties the regular file there) without
// waiting on a FIFO. A link there is replaced by the file, so that no other
// file of the iPod is emptied through it.
bool createEmpty(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    constexpr int kFlags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = ::open(name.constData(), kFlags, 0666);
    if (fd < 0 && errno == ELOOP && ::unlink(name.constData()) == 0)
        fd = ::open(name.constData(), kFlags, 0666);
    if (fd < 0)
        return false;
    struct stat info = {};
    const bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::ftruncate(fd, 0) == 0;
    return ::close(fd) == 0 && ok;
}

void turnOn(const FlagFolder& folder, const QString& name, FlagReport& report)
{
    if (QFileInfo(folder.dir.existing(name)).isFile())
        return; // already on
    const QString txtPath = folder.dir.resolve(name + kTxt).value_or(QString());
    const QString target = folder.dir.resolve(name).value_or(QString());
    const QString txtEntry = folder.guard.entryInside(txtPath);
    const QString targetEntry = folder.guard.entryInside(target);
    if (folder.guard.inside(txtPath).isEmpty() || txtEntry.isEmpty() || targetEntry.isEmpty()) {
        fail(report, FlagError::OutsideIpod, targetEntry.isEmpty() ? name : name + kTxt);
        return;
    }
    if (!createEmpty(txtEntry)) {
        fail(report, FlagError::CreateFailed, name + kTxt);
        return;
    }
    if (!QFile::rename(txtEntry, targetEntry))
        fail(report, FlagError::RenameFailed, name);
}

} // namespace

int flagIndex(const QString& name)
{
    for (std::size_t i = 0; i < kFlagFiles.size(); ++i) {
        const QString file = QLatin1String(kFlagFiles[i].fileName);
        if (name.compare(file, Qt::CaseInsensitive) == 0 || name.compare(file.mid(1), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String(kFlagFiles[i].checkBox), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

std::array<bool, kFlagCount> loadFlags(const QString& iPodRoot)
{
    std::array<bool, kFlagCount> on {};
    const QString folder = deviceFolder(iPodRoot);
    if (folder.isEmpty())
        return on;
    const device::DevicePath dir(folder);
    for (std::size_t i = 0; i < kFlagFiles.size(); ++i)
        on[i] = QFileInfo(dir.existing(QLatin1String(kFlagFiles[i].fileName))).isFile();
    return on;
}

FlagReport applyFlags(const QString& iPodRoot, const FlagStates& states)
{
    FlagReport report;
    const QString folder = deviceFolder(iPodRoot);
    const device::DeviceGuard guard(iPodRoot);
    const bool outside = !folder.isEmpty() && guard.inside(folder).isEmpty();
    for (std::size_t i = 0; i < kFlagFiles.size(); ++i) {
        const QString name = QLatin1String(kFlagFiles[i].fileName);
        if (states[i] == FlagState::Leave)
            continue;
        if (outside) {
            fail(report, FlagError::OutsideIpod, name);
            continue;
        }
        if (folder.isEmpty()) {
            // Nothing to delete where there is no folder; a flag to set cannot be.
            if (states[i] == FlagState::On)
                fail(report, FlagError::NoDeviceFolder, name);
            continue;
        }
        const FlagFolder flags { device::DevicePath(folder), guard };
        if (states[i] == FlagState::On)
            turnOn(flags, name, report);
        else
            turnOff(flags, name, report);
    }
    return report;
}

FlagReport resetFlags(const QString& iPodRoot)
{
    FlagStates allOff;
    allOff.fill(FlagState::Off);
    return applyFlags(iPodRoot, allOff);
}

} // namespace quaverly::devicetools
