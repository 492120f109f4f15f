#include "desktop/MountPoints.h"

#include <QFile>
#include <QSet>

#include <algorithm>

namespace quaverly::desktop {
namespace {

QString unescape(const QByteArray& field)
{
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field.at(i);
        const auto isOctal = [&field](qsizetype at) { return field.at(at) >= '0' && field.at(at) <= '7'; };
        if (c == '\\' && i + 3 < field.size() && isOctal(i + 1) && isOctal(i + 2) && isOctal(i + 3)) {
            bytes.append(static_cast<char>((field.at(i + 1) - '0') * 64 + (field.at(i + 2) - '0') * 8
                                           + (field.at(i + 3) - '0')));
            i += 3;
        } else {
            bytes.append(c);
        }
    }
    // A name that is no valid text in the system's encoding cannot be reached
    // through a QString path; it is left out rather than turned into another name.
    const QString name = QFile::decodeName(bytes);
    return QFile::encodeName(name) == bytes ? name : QString();
}

} // namespace

QStringList parseMountPoints(const QByteArray& mountInfo)
{
    QSet<QString> points;
    for (const QByteArray& line : mountInfo.split('\n')) {
        // id parent major:minor root mount-point options ...
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 5 || !fields.at(4).startsWith('/'))
            continue;
        const QString point = unescape(fields.at(4));
        if (!point.isEmpty())
            points.insert(point);
    }
    QStringList sorted(points.cbegin(), points.cend());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

MountChange diffMounts(const QStringList& before, const QStringList& after)
{
    const QSet<QString> old(before.cbegin(), before.cend());
    const QSet<QString> now(after.cbegin(), after.cend());
    MountChange change;
    for (const QString& point : after) {
        if (!old.contains(point) && !change.added.contains(point))
            change.added.append(point);
    }
    for (const QString& point : before) {
        if (!now.contains(point) && !change.removed.contains(point))
            change.removed.append(point);
    }
    return change;
}

} // namespace quaverly::desktop
