#pragma once
#include "database/LibraryLoader.h"

#include <QString>

#include <optional>

namespace quaverly::cli {

/// Loads the library the way Quaverly does for ROOT: an iPod root folder, or
/// the path of its iTunesDB (or iTunesCDB). Prints the load's warnings on
/// stderr, one per line. On failure prints one line naming the problem and
/// answers nullopt; a database so damaged that nothing could be read from it
/// is a failure too (after its damage warning).
[[nodiscard]] std::optional<database::LoadResult> loadLibraryForCli(const QString& rootArgument);

} // namespace quaverly::cli
