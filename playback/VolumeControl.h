#pragma once
#include <functional>
#include <memory>

namespace quaverly::settings {
class mdlOptions;
}

namespace quaverly::playback {

class AudioEngine;
class clsVolume;

/// What the volume slider drives, chosen the first time it is needed
/// (settle()): the system mixer's master output (`WaveVolume` of clsVolume)
/// when the mixer opens and has one, else the players' own volume. The
/// players' volume is kept in the preferences ("Volume", 0..100, default
/// 100) and handed to the engine, which keeps it until its players start, so
/// the slider works before libmpv is loaded. The system level is never
/// stored and never changed unless the user moves the slider.
///
/// Opening the mixer loads libasound, so nothing is opened before settle()
/// (called by the first use of the slider, or when playing starts). Until
/// then fraction() answers the stored players' volume.
class VolumeControl
{
public:
    enum class Source { Undecided, SystemMixer, PlayerVolume };
    /// Opens the system mixer (null or one without a mixer: none).
    using MixerFactory = std::function<std::unique_ptr<clsVolume>()>;

    VolumeControl(AudioEngine& engine, settings::mdlOptions& options, MixerFactory makeMixer);
    ~VolumeControl();
    VolumeControl(const VolumeControl&) = delete;
    VolumeControl& operator=(const VolumeControl&) = delete;

    /// Opens the mixer and chooses the source; later calls do nothing.
    void settle();
    [[nodiscard]] Source source() const { return m_source; }
    /// The level to show, 0..1: the master output's as the mixer reads it now,
    /// or the players' volume.
    [[nodiscard]] double fraction() const;
    /// Sets the level (0..1, clamped); settles first.
    void setFraction(double fraction);
    /// Writes the players' volume into the preferences when it changed since
    /// the last write (the window calls it once the slider rests, and on close).
    void store();
    /// The system mixer, once settled with one (null otherwise).
    [[nodiscard]] const clsVolume* mixer() const { return m_mixer.get(); }

private:
    AudioEngine& m_engine;
    settings::mdlOptions& m_options;
    MixerFactory m_makeMixer;
    std::unique_ptr<clsVolume> m_mixer;
    Source m_source = Source::Undecided;
    int m_playerPercent = 100;
    int m_storedPercent = 100;
};

} // namespace quaverly::playback
