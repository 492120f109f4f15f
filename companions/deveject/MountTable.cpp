#include "MountTable.h"

#include <QFile>
#include <QList>

namespace deveject {

QString unescapeField(const QByteArray& field)
{
    QByteArray plain;
    plain.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto isOctal = [&](qsizetype at) { return at < field.size() && field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && isOctal(i + 1) && isOctal(i + 2) && isOctal(i + 3)) {
            plain.append(
                static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0')));
            i += 3;
        } else {
            plain.append(field[i]);
        }
    }
    return QFile::decodeName(plain);
}

std::optional<Mount> findMount(const QByteArray& mountInfo, const QString& mountPoint)
{
    std::optional<Mount> found;
    for (const QByteArray& line : mountInfo.split('\n')) {
        // id parent major:minor root mount-point options [optional fields...] - type source super-options
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf(QByteArrayLiteral("-"));
        if (fields.size() < 5 || dash < 6 || dash + 2 >= fields.size())
            continue;
        if (unescapeField(fields[4]) != mountPoint)
            continue;
        found = Mount { mountPoint, unescapeField(fields[dash + 2]), unescapeField(fields[dash + 1]) };
    }
    return found;
}

} // namespace deveject
