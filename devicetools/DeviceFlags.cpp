#include "devicetools/DeviceFlags.h"

#include "devicetools/DeviceLog.h"
#include "startup/DevicePath.h"

#include <QFile>
#include <QFileInfo>

namespace quaverly::devicetools {
namespace {

const QString kDeviceFolder = QStringLiteral("iPod_Control/Device");
const QString kTxt = QStringLiteral(".txt");

QString deviceFolder(const QString& iPodRoot)
{
    if (iPodRoot.isEmpty())
        return {};
    const QString dir = startup::DevicePath(iPodRoot).existing(kDeviceFolder);
    return QFileInfo(dir).isDir() ? dir : QString();
}

void fail(FlagReport& report, FlagError error, const QString& fileName)
{
    if (report.firstError == FlagError::None)
        report.firstError = error;
    report.failedFiles.append(fileName);
    qCWarning(lcDevice) << "Could not change flag file" << fileName << static_cast<int>(error);
}

// Deletes `name` in `dir` when it exists (any letter case); a missing file is no failure.
void removeIfThere(const startup::DevicePath& dir, const QString& name, FlagReport& report)
{
    const QString path = dir.existing(name);
    if (!path.isEmpty() && !QFile::remove(path))
        fail(report, FlagError::DeleteFailed, name);
}

void turnOff(const startup::DevicePath& dir, const QString& name, FlagReport& report)
{
    removeIfThere(dir, name + kTxt, report);
    removeIfThere(dir, name, report);
}

void turnOn(const startup::DevicePath& dir, const QString& name, FlagReport& report)
{
    if (QFileInfo(dir.existing(name)).isFile())
        return; // already on
    const QString txtPath = dir.resolve(name + kTxt).value_or(QString());
    QFile txt(txtPath);
    if (txtPath.isEmpty() || !txt.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        fail(report, FlagError::CreateFailed, name + kTxt);
        return;
    }
    txt.close();
    const QString target = dir.resolve(name).value_or(QString());
    if (target.isEmpty() || !QFile::rename(txtPath, target))
        fail(report, FlagError::RenameFailed, name);
}

} // namespace

int FlagIndex(const QString& name)
{
    for (std::size_t i = 0; i < kFlagFiles.size(); ++i) {
        const QString file = QLatin1String(kFlagFiles[i].fileName);
        if (name.compare(file, Qt::CaseInsensitive) == 0 || name.compare(file.mid(1), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String(kFlagFiles[i].checkBox), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

std::array<bool, kFlagCount> LoadFlags(const QString& iPodRoot)
{
    std::array<bool, kFlagCount> on {};
    const QString folder = deviceFolder(iPodRoot);
    if (folder.isEmpty())
        return on;
    const startup::DevicePath dir(folder);
    for (std::size_t i = 0; i < kFlagFiles.size(); ++i)
        on[i] = QFileInfo(dir.existing(QLatin1String(kFlagFiles[i].fileName))).isFile();
    return on;
}

FlagReport ApplyFlags(const QString& iPodRoot, const FlagStates& states)
{
    FlagReport report;
    const QString folder = deviceFolder(iPodRoot);
    for (std::size_t i = 0; i < kFlagFiles.size(); ++i) {
        const QString name = QLatin1String(kFlagFiles[i].fileName);
        if (states[i] == FlagState::Leave)
            continue;
        if (folder.isEmpty()) {
            // Nothing to delete where there is no folder; a flag to set cannot be.
            if (states[i] == FlagState::On)
                fail(report, FlagError::NoDeviceFolder, name);
            continue;
        }
        const startup::DevicePath dir(folder);
        if (states[i] == FlagState::On)
            turnOn(dir, name, report);
        else
            turnOff(dir, name, report);
    }
    return report;
}

FlagReport ResetFlags(const QString& iPodRoot)
{
    FlagStates allOff;
    allOff.fill(FlagState::Off);
    return ApplyFlags(iPodRoot, allOff);
}

} // namespace quaverly::devicetools
