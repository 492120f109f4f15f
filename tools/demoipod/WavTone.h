#pragma once
#include <QByteArray>

namespace quaverly::tools {

/// A playable mono 16-bit PCM WAV file: a tone at `frequencyHz` (with a
/// softer fifth above it) lasting `durationMs`, faded in and out.
[[nodiscard]] QByteArray makeWavTone(double frequencyHz, int durationMs, int sampleRate = 22050);

} // namespace quaverly::tools
