#pragma once
#include <QByteArray>
#include <QList>

#include <utility>
#include <vector>

namespace quaverly::playback {

/// The spectrum's bands: eight octaves centred on 63, 125, 250, 500 Hz, 1, 2,
/// 4 and 8 kHz. Levels are RMS in dBFS; silence (or no value) reads kSilenceDb.
inline constexpr int kBandCount = 8;
inline constexpr double kSilenceDb = -120.0;

/// An FFmpeg filter graph that measures the bands and leaves what is heard
/// unchanged: a mono copy of the audio is split into the bands, merged as
/// channels 3 to 10 after the stereo pair, measured per channel with astats,
/// and panned back to the stereo pair.
[[nodiscard]] QByteArray bandFilterGraph();

/// Metadata keys and values as the graph's astats reports them.
using BandStats = std::vector<std::pair<QByteArray, QByteArray>>;

/// The eight band levels from "lavfi.astats.<channel>.RMS_level" entries;
/// other keys are ignored.
[[nodiscard]] QList<double> bandLevelsFromStats(const BandStats& stats);

} // namespace quaverly::playback
