#include "devicetools/DeviceInfo.h"
#include "fuzz/FuzzTargets.h"

#include <QByteArray>

namespace quaverly::fuzz {
namespace {

QByteArray bytesOf(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

} // namespace

// SysInfo: text lines from the device, shown as they stand.
int fuzzSysinfo(const std::uint8_t* data, std::size_t size)
{
    const QStringList lines = devicetools::splitSysinfo(bytesOf(data, size));
    FUZZ_CHECK(size == 0 || !lines.isEmpty());
    for (const QString& line : lines)
        FUZZ_CHECK(!line.contains(QLatin1Char('\n')));
    return 0;
}

// SysInfoExtended: an XML property list; only a few named facts are shown,
// one "Name: value" line each.
int fuzzSysInfoExtended(const std::uint8_t* data, std::size_t size)
{
    const QStringList lines = devicetools::sysInfoExtendedLines(bytesOf(data, size));
    FUZZ_CHECK(lines.size() <= 6);
    for (const QString& line : lines)
        FUZZ_CHECK(line.contains(QLatin1String(": ")));
    return 0;
}

} // namespace quaverly::fuzz
