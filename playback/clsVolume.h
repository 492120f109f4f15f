#pragma once
#include "playback/MixerDevice.h"

#include <array>
#include <memory>

namespace quaverly::playback {

/// The six lines of the volume control, with their mask bits.
enum class VolumeLine { Wave = 1, Micro = 2, WaveIn = 4, LineIn = 8, CD = 16, MIDI = 32 };

/// Reads and sets the system mixer's levels: the master output (`WaveVolume`,
/// which the main window's volume bar shows) and five source lines.
///
/// On creation it opens the mixer and looks up each line's volume control and
/// then its mute control; line-in falls back to the auxiliary source when the
/// line source has no volume control. When no mixer opens, mixerFound() is
/// false (the window then says "No mixer found!") and every read gives 0 and
/// every write does nothing. A line without a volume control has bounds 0 and
/// reads 0. Level writes are clamped: first raised to the minimum, then cut to
/// the maximum. Mute values (1 muted, 0 not) are written as given.
class clsVolume
{
public:
    explicit clsVolume(std::unique_ptr<MixerDevice> mixer);
    ~clsVolume();
    clsVolume(const clsVolume&) = delete;
    clsVolume& operator=(const clsVolume&) = delete;

    [[nodiscard]] bool mixerFound() const { return m_open; }
    /// True when the line (its mask bit) has a volume / a mute control.
    [[nodiscard]] bool VolumeAvailable(int maskBit) const { return (m_volumeMask & maskBit) != 0; }
    [[nodiscard]] bool MuteAvailable(int maskBit) const { return (m_muteMask & maskBit) != 0; }

    [[nodiscard]] qint32 volume(VolumeLine line) const;
    void setVolume(VolumeLine line, qint32 value);
    [[nodiscard]] qint32 mute(VolumeLine line) const;
    void setMute(VolumeLine line, qint32 value);
    [[nodiscard]] qint32 minVolume(VolumeLine line) const { return slot(line).volume.minimum; }
    [[nodiscard]] qint32 maxVolume(VolumeLine line) const { return slot(line).volume.maximum; }

    [[nodiscard]] qint32 WaveVolume() const { return volume(VolumeLine::Wave); }
    void setWaveVolume(qint32 value) { setVolume(VolumeLine::Wave, value); }
    [[nodiscard]] qint32 WaveMute() const { return mute(VolumeLine::Wave); }
    void setWaveMute(qint32 value) { setMute(VolumeLine::Wave, value); }
    [[nodiscard]] qint32 MinWaveVolume() const { return minVolume(VolumeLine::Wave); }
    [[nodiscard]] qint32 MaxWaveVolume() const { return maxVolume(VolumeLine::Wave); }

    [[nodiscard]] qint32 MicroVolume() const { return volume(VolumeLine::Micro); }
    void setMicroVolume(qint32 value) { setVolume(VolumeLine::Micro, value); }
    [[nodiscard]] qint32 MicroMute() const { return mute(VolumeLine::Micro); }
    void setMicroMute(qint32 value) { setMute(VolumeLine::Micro, value); }
    [[nodiscard]] qint32 MinMicVolume() const { return minVolume(VolumeLine::Micro); }
    [[nodiscard]] qint32 MaxMicVolume() const { return maxVolume(VolumeLine::Micro); }

    [[nodiscard]] qint32 WaveInVolume() const { return volume(VolumeLine::WaveIn); }
    void setWaveInVolume(qint32 value) { setVolume(VolumeLine::WaveIn, value); }
    [[nodiscard]] qint32 WaveInMute() const { return mute(VolumeLine::WaveIn); }
    void setWaveInMute(qint32 value) { setMute(VolumeLine::WaveIn, value); }
    [[nodiscard]] qint32 MinWavInVolume() const { return minVolume(VolumeLine::WaveIn); }
    [[nodiscard]] qint32 MaxWavInVolume() const { return maxVolume(VolumeLine::WaveIn); }

    [[nodiscard]] qint32 LineInVolume() const { return volume(VolumeLine::LineIn); }
    void setLineInVolume(qint32 value) { setVolume(VolumeLine::LineIn, value); }
    [[nodiscard]] qint32 LineInMute() const { return mute(VolumeLine::LineIn); }
    void setLineInMute(qint32 value) { setMute(VolumeLine::LineIn, value); }
    [[nodiscard]] qint32 MinLineInVolume() const { return minVolume(VolumeLine::LineIn); }
    [[nodiscard]] qint32 MaxLineInVolume() const { return maxVolume(VolumeLine::LineIn); }

    [[nodiscard]] qint32 CD_Volume() const { return volume(VolumeLine::CD); }
    void setCD_Volume(qint32 value) { setVolume(VolumeLine::CD, value); }
    [[nodiscard]] qint32 CD_Mute() const { return mute(VolumeLine::CD); }
    void setCD_Mute(qint32 value) { setMute(VolumeLine::CD, value); }
    [[nodiscard]] qint32 MinCDVolume() const { return minVolume(VolumeLine::CD); }
    [[nodiscard]] qint32 MaxCDVolume() const { return maxVolume(VolumeLine::CD); }

    [[nodiscard]] qint32 MIDIVolume() const { return volume(VolumeLine::MIDI); }
    void setMIDIVolume(qint32 value) { setVolume(VolumeLine::MIDI, value); }
    [[nodiscard]] qint32 MIDIMute() const { return mute(VolumeLine::MIDI); }
    void setMIDIMute(qint32 value) { setMute(VolumeLine::MIDI, value); }
    [[nodiscard]] qint32 MinMidVolume() const { return minVolume(VolumeLine::MIDI); }
    [[nodiscard]] qint32 MaxMidVolume() const { return maxVolume(VolumeLine::MIDI); }

private:
    struct Slot
    {
        MixerControl volume;
        MixerControl mute;
    };
    [[nodiscard]] const Slot& slot(VolumeLine line) const;
    void findLine(int index, MixerLine mixerLine);

    std::unique_ptr<MixerDevice> m_mixer;
    bool m_open = false;
    int m_volumeMask = 0;
    int m_muteMask = 0;
    std::array<Slot, 6> m_slots;
};

} // namespace quaverly::playback
