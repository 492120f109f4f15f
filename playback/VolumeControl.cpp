#include "playback/VolumeControl.h"

#include "playback/AudioEngine.h"
#include "playback/clsVolume.h"
#include "settings/Preferences.h"
#include "settings/mdlOptions.h"

#include <cmath>

namespace quaverly::playback {
namespace prefs = settings::prefs;

VolumeControl::VolumeControl(AudioEngine& engine, settings::mdlOptions& options, MixerFactory makeMixer)
    : m_engine(engine)
    , m_options(options)
    , m_makeMixer(std::move(makeMixer))
{
    m_playerPercent = m_storedPercent = m_options.get(prefs::kVolume);
}

VolumeControl::~VolumeControl() = default;

void VolumeControl::settle()
{
    if (m_source != Source::Undecided)
        return;
    std::unique_ptr<clsVolume> mixer = m_makeMixer ? m_makeMixer() : nullptr;
    const int wave = static_cast<int>(VolumeLine::Wave);
    if (mixer != nullptr && mixer->mixerFound() && mixer->VolumeAvailable(wave)
        && mixer->MaxWaveVolume() > mixer->MinWaveVolume()) {
        m_mixer = std::move(mixer);
        m_source = Source::SystemMixer;
        m_engine.setVolume(100); // the master output alone sets the level
    } else {
        m_source = Source::PlayerVolume;
        m_engine.setVolume(m_playerPercent);
    }
}

double VolumeControl::fraction() const
{
    if (m_source != Source::SystemMixer)
        return m_playerPercent / 100.0;
    const double low = m_mixer->MinWaveVolume();
    const double span = double(m_mixer->MaxWaveVolume()) - low;
    return qBound(0.0, (m_mixer->WaveVolume() - low) / span, 1.0);
}

void VolumeControl::setFraction(double fraction)
{
    settle();
    fraction = qBound(0.0, fraction, 1.0);
    if (m_source == Source::SystemMixer) {
        const double low = m_mixer->MinWaveVolume();
        const double high = m_mixer->MaxWaveVolume();
        m_mixer->setWaveVolume(static_cast<qint32>(std::lround(low + fraction * (high - low))));
        return;
    }
    m_playerPercent = static_cast<int>(std::lround(fraction * 100.0));
    m_engine.setVolume(m_playerPercent);
}

void VolumeControl::store()
{
    if (m_source != Source::PlayerVolume || m_playerPercent == m_storedPercent)
        return;
    if (m_options.set(prefs::kVolume, m_playerPercent))
        m_storedPercent = m_playerPercent;
}

} // namespace quaverly::playback
