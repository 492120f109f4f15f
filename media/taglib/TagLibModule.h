#pragma once
// The TagLib module: the only code that links TagLib, built as a plugin the
// programs open when they first read a cover or write tags, so commands and
// windows that never do pay nothing for TagLib at start.
#include "media/EmbeddedArt.h"
#include "media/TagWriter.h"

#include <QString>

namespace quaverly::media {

/// What the module offers. `extension` names the kind of file (lower case,
/// no dot); the picture comes as stored, with the type its tag declares.
struct TagLibApi
{
    int abiVersion = 0;
    ArtResult (*readArt)(const QString& path, const QString& extension) = nullptr;
    TagResult (*writeTags)(const QString& path, const SongTags& tags, const QString& extension) = nullptr;
};

/// Changes whenever TagLibApi or the types it passes change.
inline constexpr int kTagLibAbiVersion = 1;

/// The module's file name, and the one function it exports (C linkage).
inline constexpr const char* kTagLibModuleName = "quaverly-taglib";
inline constexpr const char* kTagLibEntryPoint = "quaverly_taglib_api";

/// Opens the module on the first call (thread-safe) and keeps it for the
/// run. It is looked for in QUAVERLY_TAGLIB_MODULE (a path), beside the
/// program, in the install's module folder (lib/quaverly, relative to the
/// program's bin), then on the library path.
/// Null when it cannot be opened; tagLibModuleError() says why.
[[nodiscard]] const TagLibApi* loadTagLibModule();
[[nodiscard]] QString tagLibModuleError();

// Inside the module.
[[nodiscard]] ArtResult readArtWithTagLib(const QString& path, const QString& extension);
[[nodiscard]] TagResult writeTagsWithTagLib(const QString& path, const SongTags& tags, const QString& extension);

} // namespace quaverly::media
