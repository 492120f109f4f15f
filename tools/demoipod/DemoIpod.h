#pragma once
#include <QString>

#include <vector>

namespace quaverly::tools {

/// The largest generated library makeDemoIpod makes (its database alone is
/// then about 1.8 GB).
inline constexpr int kMaxDemoTracks = 1000000;

struct DemoOptions
{
    /// 0: the hand-made demo library (a few dozen songs); N > 0: a generated
    /// library of N tracks and 20 playlists for benchmarks.
    int tracks = 0;
    /// Write the song files (short WAV tones). Without them every song is missing.
    bool audio = true;
};

/// `count` distinct song file names in the iPod's style: random capital
/// letters, four of them while that leaves plenty to choose from (up to
/// 228,488 names), more for larger libraries. The same count and seed give
/// the same names.
[[nodiscard]] std::vector<QString> scrambledNames(int count, unsigned seed);

/// Makes a complete iPod folder at `dir`: iPod_Control/iTunes/iTunesDB,
/// Play Counts, OTGPlaylistInfo, iPod_Control/Device/SysInfo and the songs in
/// iPod_Control/Music/Fxx/ under scrambled four-letter names; in the demo
/// library the songs of most albums carry a cover (ID3v2 in the WAV). The same
/// options always give the same library. Answers false with `error` set when
/// something cannot be written or more than kMaxDemoTracks tracks are asked for.
bool makeDemoIpod(const QString& dir, const DemoOptions& options, QString* error);

} // namespace quaverly::tools
