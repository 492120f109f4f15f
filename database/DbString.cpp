#include "database/DbString.h"

#include <QtEndian>

namespace quaverly::database {
namespace {

constexpr char16_t kReplacement = 0xfffd;

// Replaces every surrogate that is not part of a high-low pair.
void repairSurrogates(char16_t* units, qsizetype count)
{
    for (qsizetype i = 0; i < count; ++i) {
        const char16_t u = units[i];
        if (u < 0xd800 || u > 0xdfff)
            continue;
        if (u <= 0xdbff && i + 1 < count && units[i + 1] >= 0xdc00 && units[i + 1] <= 0xdfff) {
            ++i;
            continue;
        }
        units[i] = kReplacement;
    }
}

} // namespace

QString DecodeDBString(const uchar* data, qint64 byteCount, bool utf8)
{
    if (byteCount <= 0 || !data)
        return {};
    if (utf8)
        return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(byteCount));
    const qsizetype units = static_cast<qsizetype>(byteCount / 2);
    const bool oddByte = (byteCount % 2) != 0;
    QString text(units + (oddByte ? 1 : 0), Qt::Uninitialized);
    auto* out = reinterpret_cast<char16_t*>(text.data());
    qFromLittleEndian<quint16>(data, units, out);
    repairSurrogates(out, units);
    if (oddByte)
        out[units] = kReplacement;
    return text;
}

} // namespace quaverly::database
