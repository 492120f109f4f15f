#pragma once
#include <QString>
#include <QtGlobal>

namespace quaverly::playback {

/// Which player a song goes to, by its file name and its kind text (the
/// track's file-type text from the database, such as "MPEG audio file").
///
/// The second player takes video, protected and Audible files: a kind text
/// that contains "video" or "Protected" (any letter case), a name ending in
/// ".m4p", ".m4v", ".mp4" or ".mov" (any letter case), or an Audible book's
/// name ending in ".aa" exactly (iTunes writes it in lower case; ".AA" goes by
/// its kind text alone). The extensions count on their own because kind texts
/// are translated or missing on many databases. Everything else goes to the
/// audio player.
[[nodiscard]] bool usesSecondPlayer(const QString& path, const QString& kind);

/// Where the second player shows the picture of a video.
enum class VideoRoute {
    Embedded,  // drawn into a window of the program (X11 lets mpv draw into it)
    OwnWindow, // mpv opens a window of its own (Wayland gives no foreign windows)
    AudioOnly, // no display (offscreen, framebuffer): the sound plays, no picture
};

/// The route for the windowing platform `platform` (Qt's platform name:
/// "xcb", "wayland", "wayland-egl", "offscreen"...).
[[nodiscard]] VideoRoute chooseVideoRoute(const QString& platform);

/// True for a protected (DRM) song: a kind text containing "Protected" (any
/// case) or a ".m4p" name. Such songs cannot be decoded here.
[[nodiscard]] bool isCopyProtected(const QString& path, const QString& kind);

/// False for a path no player may open: empty, or an existing entry that is
/// not a regular file (a folder, a device, or a FIFO, which would keep the
/// player waiting for a writer forever). A missing file passes: the player
/// then reports it missing.
[[nodiscard]] bool isPlayableFile(const QString& path);

/// Milliseconds of a time given in units of a time scale (units per second):
/// |units / scale × 1000|, rounded to the nearest, ties to even. 0 for a
/// scale of 0 or less.
[[nodiscard]] qint64 timeUnitsToMs(double units, double scale);

} // namespace quaverly::playback
