#pragma once
#include <QString>

namespace quaverly::tools {

struct DemoOptions
{
    /// 0: the hand-made demo library (a few dozen songs); N > 0: a generated
    /// library of N tracks and 20 playlists for benchmarks.
    int tracks = 0;
    /// Write the song files (short WAV tones). Without them every song is missing.
    bool audio = true;
};

/// Makes a complete iPod folder at `dir`: iPod_Control/iTunes/iTunesDB,
/// Play Counts, OTGPlaylistInfo, iPod_Control/Device/SysInfo and the songs in
/// iPod_Control/Music/Fxx/ under scrambled four-letter names; in the demo
/// library the songs of most albums carry a cover (ID3v2 in the WAV). The same
/// options always give the same library. Answers false with `error` set when
/// something cannot be written.
bool MakeDemoIpod(const QString& dir, const DemoOptions& options, QString* error);

} // namespace quaverly::tools
