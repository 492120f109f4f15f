#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace quaverly::devicetools {

/// The iPod's own description of itself: the lines of
/// iPod_Control/Device/SysInfo, each as the device wrote it. Lines may end in
/// LF or CR LF; the line end after the last line does not start another line,
/// but empty lines inside are kept. No file gives an empty list.
[[nodiscard]] QStringList readSysinfo(const QString& iPodRoot);
[[nodiscard]] QStringList splitSysinfo(const QByteArray& contents);

/// The facts worth showing from iPod_Control/Device/SysInfoExtended (an XML
/// property list written by newer devices), each as a "Name: value" line, in
/// the order model, serial number, firmware. Empty when the file is missing or
/// is no property list.
[[nodiscard]] QStringList readSysInfoExtended(const QString& iPodRoot);
[[nodiscard]] QStringList sysInfoExtendedLines(const QByteArray& plist);

/// Size of the file system that holds `path`, in bytes.
struct DiskSpace
{
    qint64 freeBytes = 0; // available to this user
    qint64 totalBytes = 0;
};
/// nullopt when the file system cannot be asked (no such path, not mounted).
[[nodiscard]] std::optional<DiskSpace> diskSpaceOf(const QString& path);

/// Free bytes on the disk that holds `path`; -1 when it cannot be asked.
[[nodiscard]] double FreeBytesOnDisk(const QString& path);
/// FreeBytesOnDisk / 1024; -1 when it cannot be asked.
[[nodiscard]] double FreeKiloBytesOnDisk(const QString& path);
/// Free gigabytes (kilobytes / 1024 / 1024) as formatGigaBytes does; empty
/// when the disk cannot be asked.
[[nodiscard]] QString FreeGigaBytesOnDisk(const QString& path);

/// A number with "," between thousands and at most one decimal ("17.3",
/// "1,234", "0.5"); a zero decimal is left out.
[[nodiscard]] QString formatGigaBytes(double gigaBytes);

/// Bytes in gigabytes (1024^3) rounded to one decimal, halves to even.
[[nodiscard]] double roundedGigaBytes(qint64 bytes);

/// "Space On iPod: 17.3GB out of 18.6GB": free and total in gigabytes rounded
/// to one decimal (halves to even), plain decimal form without a trailing ".0".
/// Without an answer from the disk: "Space On iPod: unknown".
[[nodiscard]] QString spaceText(const std::optional<DiskSpace>& space);

} // namespace quaverly::devicetools
