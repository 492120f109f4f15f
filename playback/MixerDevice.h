#pragma once
#include <QtGlobal>

#include <optional>

namespace quaverly::playback {

/// The mixer lines the volume control knows, by what they carry.
enum class MixerLine {
    Speakers, // the master output
    Microphone,
    WaveOut, // what programs play
    Line,
    Auxiliary,
    CompactDisc,
    Synthesizer,
};

enum class MixerControlType { Volume, Mute };

/// One control found on a line: an id for later reads and writes, and its
/// bounds (volume controls; a mute control is 1 muted, 0 not).
struct MixerControl
{
    int id = -1;
    qint32 minimum = 0;
    qint32 maximum = 0;
};

/// The system mixer as the volume control needs it: open, find one control
/// of a type on a line, read and write its value for all channels at once.
/// Closing is the destructor's work.
class MixerDevice
{
public:
    virtual ~MixerDevice() = default;
    /// False when there is no mixer to open.
    [[nodiscard]] virtual bool open() = 0;
    [[nodiscard]] virtual std::optional<MixerControl> findControl(MixerLine line, MixerControlType type) = 0;
    [[nodiscard]] virtual std::optional<qint32> readValue(const MixerControl& control) = 0;
    virtual bool writeValue(const MixerControl& control, qint32 value) = 0;
};

/// No mixer at all: open() fails.
class NullMixer final : public MixerDevice
{
public:
    [[nodiscard]] bool open() override { return false; }
    [[nodiscard]] std::optional<MixerControl> findControl(MixerLine, MixerControlType) override { return {}; }
    [[nodiscard]] std::optional<qint32> readValue(const MixerControl&) override { return {}; }
    bool writeValue(const MixerControl&, qint32) override { return false; }
};

} // namespace quaverly::playback
