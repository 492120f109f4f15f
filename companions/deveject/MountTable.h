#pragma once
#include <QByteArray>
#include <QString>

#include <optional>

namespace deveject {

/// One mounted file system, from a line of /proc/self/mountinfo.
struct Mount
{
    QString mountPoint;
    QString source; // the block device, such as /dev/sdb1
    QString fsType;
};

/// The mount of `mountPoint` itself (not of a folder above it) in a mountinfo
/// text; when it was mounted over several times, the top one. nullopt when
/// `mountPoint` is no mount point.
[[nodiscard]] std::optional<Mount> findMount(const QByteArray& mountInfo, const QString& mountPoint);

/// Undoes the octal escapes (\040 for a blank) of a mountinfo field.
[[nodiscard]] QString unescapeField(const QByteArray& field);

} // namespace deveject
