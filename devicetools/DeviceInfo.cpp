#include "devicetools/DeviceInfo.h"

#include "device/DeviceGuard.h"
#include "device/DevicePath.h"
#include "devicetools/DeviceLog.h"

#include <QFile>
#include <QHash>
#include <QStorageInfo>
#include <QXmlStreamReader>

#include <cfenv>
#include <cmath>
#include <unistd.h>

namespace quaverly::devicetools {
namespace {

constexpr double kGiga = 1024.0 * 1024.0 * 1024.0;
// A SysInfo file is a few hundred bytes; anything far larger is not one.
constexpr qint64 kMaxInfoFileBytes = 4 * 1024 * 1024;

QByteArray readDeviceFile(const QString& iPodRoot, const QString& relative)
{
    if (iPodRoot.isEmpty())
        return {};
    const QString path = device::DevicePath(iPodRoot).existing(relative);
    // Only a regular file: a FIFO in its place would wait for a writer forever.
    const device::OpenedFile opened = path.isEmpty() ? device::OpenedFile {} : device::openRegularFile(path);
    QFile file;
    if (!opened.ok())
        return {};
    if (!file.open(opened.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(opened.fd);
        return {};
    }
    return file.read(kMaxInfoFileBytes);
}

// The top-level scalar values of a property list: key -> text.
QHash<QString, QString> topLevelValues(const QByteArray& plist)
{
    QHash<QString, QString> values;
    QXmlStreamReader xml(plist);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("plist"))
        return values;
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("dict"))
        return values;
    QString key;
    while (xml.readNextStartElement()) {
        const auto tag = xml.name();
        if (tag == QLatin1String("key")) {
            key = xml.readElementText().trimmed();
        } else if (tag == QLatin1String("string") || tag == QLatin1String("integer") || tag == QLatin1String("real")) {
            values.insert(key, xml.readElementText().trimmed());
        } else if (tag == QLatin1String("true") || tag == QLatin1String("false")) {
            values.insert(key, tag.toString());
            xml.skipCurrentElement();
        } else {
            xml.skipCurrentElement(); // dict, array, data: not shown
        }
    }
    if (xml.hasError())
        qCDebug(lcDevice) << "SysInfoExtended:" << xml.errorString();
    return values;
}

} // namespace

QStringList splitSysinfo(const QByteArray& contents)
{
    if (contents.isEmpty())
        return {};
    QString text = QString::fromUtf8(contents);
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }
    return lines;
}

QStringList readSysinfo(const QString& iPodRoot)
{
    return splitSysinfo(readDeviceFile(iPodRoot, QStringLiteral("iPod_Control/Device/SysInfo")));
}

QStringList sysInfoExtendedLines(const QByteArray& plist)
{
    struct Fact
    {
        const char* key;
        const char* caption;
    };
    static constexpr Fact kFacts[] = {
        { "ModelNumStr", "Model Number" },        { "FamilyID", "Model Family" },  { "SerialNumber", "Serial Number" },
        { "VisibleBuildID", "Firmware Version" }, { "BuildID", "Firmware Build" }, { "BuildVersion", "Firmware Build" },
    };
    const QHash<QString, QString> values = topLevelValues(plist);
    QStringList lines;
    for (const Fact& fact : kFacts) {
        const QString value = values.value(QLatin1String(fact.key));
        if (!value.isEmpty())
            lines.append(QLatin1String(fact.caption) + QLatin1String(": ") + value);
    }
    return lines;
}

QStringList readSysInfoExtended(const QString& iPodRoot)
{
    return sysInfoExtendedLines(readDeviceFile(iPodRoot, QStringLiteral("iPod_Control/Device/SysInfoExtended")));
}

std::optional<DiskSpace> diskSpaceOf(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QStorageInfo storage(path);
    if (!storage.isValid() || !storage.isReady() || storage.bytesTotal() <= 0)
        return std::nullopt;
    return DiskSpace { storage.bytesAvailable(), storage.bytesTotal() };
}

double FreeBytesOnDisk(const QString& path)
{
    const auto space = diskSpaceOf(path);
    return space ? static_cast<double>(space->freeBytes) : -1.0;
}

double FreeKiloBytesOnDisk(const QString& path)
{
    const double bytes = FreeBytesOnDisk(path);
    return bytes < 0 ? -1.0 : bytes / 1024.0;
}

QString FreeGigaBytesOnDisk(const QString& path)
{
    const double kiloBytes = FreeKiloBytesOnDisk(path);
    return kiloBytes < 0 ? QString() : formatGigaBytes(kiloBytes / 1024.0 / 1024.0);
}

QString formatGigaBytes(double gigaBytes)
{
    const qint64 tenths = std::llround(std::fabs(gigaBytes) * 10.0);
    QString whole = QString::number(tenths / 10);
    for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
        whole.insert(at, QLatin1Char(','));
    if (gigaBytes < 0 && tenths != 0)
        whole.prepend(QLatin1Char('-'));
    if (tenths % 10 == 0)
        return whole;
    return whole + QLatin1Char('.') + QString::number(tenths % 10);
}

double roundedGigaBytes(qint64 bytes)
{
    // nearbyint rounds halves to even in the default rounding mode.
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double tenths = std::nearbyint(static_cast<double>(bytes) / kGiga * 10.0);
    std::fesetround(previous);
    return tenths / 10.0;
}

QString spaceText(const std::optional<DiskSpace>& space)
{
    if (!space)
        return QStringLiteral("Space On iPod: unknown");
    const auto plain = [](qint64 bytes) { return QString::number(roundedGigaBytes(bytes), 'g', 15); };
    return QStringLiteral("Space On iPod: ") + plain(space->freeBytes) + QStringLiteral("GB out of ")
        + plain(space->totalBytes) + QStringLiteral("GB");
}

} // namespace quaverly::devicetools
