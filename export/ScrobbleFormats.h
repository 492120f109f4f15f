#pragma once
#include "export/PlayCollector.h"

#include <QByteArray>
#include <QString>

namespace quaverly::exporting {

/// The two forms plays are written in.
enum class PlayLogFormat {
    Audioscrobbler, // the portable player log 1.1 (".scrobbler.log") that uploaders read
    ListenBrainz,   // the JSON document of a ListenBrainz import ("listen_type": "import")
};

/// "audioscrobbler" / "listenbrainz" (any letter case); nullopt otherwise.
[[nodiscard]] std::optional<PlayLogFormat> parsePlayLogFormat(const QString& text);

/// The log: "#AUDIOSCROBBLER/1.1", "#TZ/UTC" (or "#TZ/UNKNOWN" when the
/// clock is as found), "#CLIENT/Quaverly <version>", then one line per play,
/// tab-separated: artist, album, title, track number (empty for 0), length
/// in whole seconds, "L", Unix time, and an empty MusicBrainz id. Tabs and
/// line breaks inside a field become spaces. UTF-8, lines end with "\n".
[[nodiscard]] QByteArray audioscrobblerLog(const database::Library& library, const std::vector<ScrobblePlay>& plays,
                                           bool utc);

/// {"listen_type": "import", "payload": [{"listened_at": T, "track_metadata":
/// {"artist_name", "track_name", "release_name", "additional_info":
/// {"tracknumber", "duration_ms", "media_player": "Quaverly"}}} ...]}.
/// An empty album, a track number or length of 0 are left out. UTF-8.
[[nodiscard]] QByteArray listenBrainzJson(const database::Library& library, const std::vector<ScrobblePlay>& plays);

} // namespace quaverly::exporting
