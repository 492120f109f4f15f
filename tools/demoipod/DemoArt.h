#pragma once
#include <QByteArray>
#include <QString>

namespace quaverly::tools {

/// A square PNG picture of `sizePx` pixels for an album cover: a two-colour
/// gradient with rings, stripes or a sun, all chosen by `seed`, so every
/// album of the demo looks different and the same seed gives the same bytes.
[[nodiscard]] QByteArray makeCoverPng(int seed, int sizePx = 160);

/// Puts `png` as the front cover, with the song's title, artist and album,
/// into the ID3v2 chunk of the WAV file at `path` (written with TagLib).
/// Answers false when the file cannot be tagged.
bool embedWavCover(const QString& path, const QByteArray& png, const QString& title, const QString& artist,
                   const QString& album);

} // namespace quaverly::tools
