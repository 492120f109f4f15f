#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quaverly::desktop {

/// What changed between two lists of mount points.
struct MountChange
{
    QStringList added;
    QStringList removed;
    [[nodiscard]] bool isEmpty() const { return added.isEmpty() && removed.isEmpty(); }
};

/// The mount points of a /proc/self/mountinfo text (the fifth field of each
/// line, its octal escapes such as \040 undone), each once, sorted. A name
/// that is not valid in the system's encoding is left out.
[[nodiscard]] QStringList parseMountPoints(const QByteArray& mountInfo);

/// The mount points in `after` but not in `before`, and the other way round.
[[nodiscard]] MountChange diffMounts(const QStringList& before, const QStringList& after);

} // namespace quaverly::desktop
