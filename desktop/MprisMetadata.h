#pragma once
#include "desktop/MediaPlayerControl.h"

#include <QString>
#include <QVariantMap>

#include <optional>

namespace quaverly::desktop {

/// The MPRIS names of the player: "org.mpris.MediaPlayer2.quaverly", and for
/// a second session on the same bus ".instance" and the process id after it.
[[nodiscard]] QString mprisServiceName(qint64 pidForSecondInstance = 0);
inline constexpr const char* kMprisObjectPath = "/org/mpris/MediaPlayer2";
/// The track id MPRIS reserves for "no track".
inline constexpr const char* kNoTrackPath = "/org/mpris/MediaPlayer2/TrackList/NoTrack";

/// The D-Bus object path that names a library track in MPRIS ("mpris:trackid"):
/// /org/quaverly/track/<index>, or the no-track path for -1.
[[nodiscard]] QString trackIdPath(int trackIndex);

/// The MPRIS metadata of a track (mpris:length in microseconds, xesam:artist
/// and xesam:genre as lists, xesam:url and mpris:artUrl as file URLs). The
/// track id goes in as its path text under "mpris:trackid"; the D-Bus layer
/// gives it the object path type. Empty texts and unknown numbers are left
/// out; no track gives only the no-track id.
[[nodiscard]] QVariantMap metadataOf(const TrackInfo& track);

[[nodiscard]] QString statusText(PlaybackStatus status);
[[nodiscard]] QString loopText(LoopStatus loop);
/// "None", "Track" or "Playlist" (exact, as MPRIS spells them); nullopt otherwise.
[[nodiscard]] std::optional<LoopStatus> loopFromText(const QString& text);

/// Where a relative seek of `offsetUs` from `positionUs` lands in a song of
/// `lengthUs`: never before 0; nullopt when it passes the end (MPRIS then
/// asks for the next song).
[[nodiscard]] std::optional<qint64> seekTargetUs(qint64 positionUs, qint64 offsetUs, qint64 lengthUs);

} // namespace quaverly::desktop
