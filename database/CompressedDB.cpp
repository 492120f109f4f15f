#include "database/CompressedDB.h"

#include <QtEndian>

#include <zlib.h>

#include <algorithm>

namespace quaverly::database {
namespace {

constexpr qsizetype kFlagOffset = 0xa8;
// Real databases compress 4:1 to 17:1. A stream that inflates far beyond that
// is damaged or hostile, and must not be allowed to take all the memory.
constexpr qsizetype kMaxRatio = 64;
constexpr qsizetype kSlackBytes = 16 << 20;

std::optional<QByteArray> inflateStream(const char* data, qsizetype size)
{
    const qsizetype limit = size * kMaxRatio + kSlackBytes;
    z_stream stream {};
    if (inflateInit(&stream) != Z_OK)
        return std::nullopt;
    QByteArray out;
    out.resize(std::max<qsizetype>(size * 4, 1 << 16));
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    stream.avail_in = static_cast<uInt>(size);
    int status = Z_OK;
    while (status == Z_OK) {
        if (static_cast<qsizetype>(stream.total_out) == out.size()) {
            if (out.size() >= limit)
                break;
            out.resize(std::min(out.size() * 2, limit));
        }
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + stream.total_out);
        stream.avail_out = static_cast<uInt>(out.size() - static_cast<qsizetype>(stream.total_out));
        status = inflate(&stream, Z_NO_FLUSH);
    }
    const qsizetype produced = static_cast<qsizetype>(stream.total_out);
    inflateEnd(&stream);
    if (status != Z_STREAM_END)
        return std::nullopt;
    out.resize(produced);
    return out;
}

} // namespace

std::optional<QByteArray> inflateITunesCDB(const QByteArray& file)
{
    if (file.size() < 12 || !file.startsWith("mhbd"))
        return std::nullopt;
    const qint64 headerLength = qFromLittleEndian<qint32>(file.constData() + 4);
    if (headerLength < 12 || headerLength > file.size())
        return std::nullopt;
    if (headerLength <= kFlagOffset || file.at(kFlagOffset) != 1)
        return file;
    auto body = inflateStream(file.constData() + headerLength, file.size() - headerLength);
    if (!body)
        return std::nullopt;
    QByteArray whole = file.left(headerLength);
    whole[kFlagOffset] = 0;
    whole += *body;
    return whole;
}

} // namespace quaverly::database
