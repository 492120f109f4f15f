#pragma once
#include <QString>

namespace quaverly::database {

/// Decodes the text of a database string chunk: UTF-8 when `utf8` is set (the
/// chunk's encoding field says 2), else UTF-16 little-endian. Invalid
/// sequences (unpaired surrogates, a trailing odd byte, bad UTF-8) become
/// U+FFFD; no character is dropped.
[[nodiscard]] QString DecodeDBString(const uchar* data, qint64 byteCount, bool utf8);

} // namespace quaverly::database
