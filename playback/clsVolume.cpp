#include "playback/clsVolume.h"

#include <algorithm>
#include <bit>

namespace quaverly::playback {

namespace {

int indexOf(VolumeLine line)
{
    return std::countr_zero(static_cast<unsigned>(line));
}

} // namespace

clsVolume::clsVolume(std::unique_ptr<MixerDevice> mixer)
    : m_mixer(mixer != nullptr ? std::move(mixer) : std::make_unique<NullMixer>())
{
    m_open = m_mixer->open();
    if (!m_open)
        return;
    findLine(indexOf(VolumeLine::Wave), MixerLine::Speakers);
    findLine(indexOf(VolumeLine::Micro), MixerLine::Microphone);
    findLine(indexOf(VolumeLine::WaveIn), MixerLine::WaveOut);
    findLine(indexOf(VolumeLine::LineIn), MixerLine::Line);
    if (!VolumeAvailable(static_cast<int>(VolumeLine::LineIn)))
        findLine(indexOf(VolumeLine::LineIn), MixerLine::Auxiliary);
    findLine(indexOf(VolumeLine::CD), MixerLine::CompactDisc);
    findLine(indexOf(VolumeLine::MIDI), MixerLine::Synthesizer);
}

clsVolume::~clsVolume() = default;

void clsVolume::findLine(int index, MixerLine mixerLine)
{
    const auto volume = m_mixer->findControl(mixerLine, MixerControlType::Volume);
    if (!volume)
        return;
    Slot& s = m_slots[static_cast<size_t>(index)];
    s.volume = *volume;
    m_volumeMask |= 1 << index;
    if (const auto mute = m_mixer->findControl(mixerLine, MixerControlType::Mute)) {
        s.mute = *mute;
        m_muteMask |= 1 << index;
    }
}

const clsVolume::Slot& clsVolume::slot(VolumeLine line) const
{
    return m_slots[static_cast<size_t>(indexOf(line))];
}

qint32 clsVolume::volume(VolumeLine line) const
{
    if (!VolumeAvailable(static_cast<int>(line)))
        return 0;
    return m_mixer->readValue(slot(line).volume).value_or(0);
}

void clsVolume::setVolume(VolumeLine line, qint32 value)
{
    if (!VolumeAvailable(static_cast<int>(line)))
        return;
    const MixerControl& control = slot(line).volume;
    value = std::min(std::max(value, control.minimum), control.maximum);
    m_mixer->writeValue(control, value);
}

qint32 clsVolume::mute(VolumeLine line) const
{
    if (!MuteAvailable(static_cast<int>(line)))
        return 0;
    return m_mixer->readValue(slot(line).mute).value_or(0);
}

void clsVolume::setMute(VolumeLine line, qint32 value)
{
    if (MuteAvailable(static_cast<int>(line)))
        m_mixer->writeValue(slot(line).mute, value);
}

} // namespace quaverly::playback
