#pragma once
#include <QByteArray>

#include <optional>

namespace quaverly::database {

/// The database of an iTunesCDB (newer nanos): the uncompressed header
/// followed by the inflated zlib stream that holds the data sets. A file whose
/// compressed flag (header byte 0xa8) is not set is answered as it stands.
/// nullopt when the header is not an iPod database header, the stream is
/// damaged, or it inflates to more than 64 times its size (plus 16 MiB).
[[nodiscard]] std::optional<QByteArray> inflateITunesCDB(const QByteArray& file);

} // namespace quaverly::database
