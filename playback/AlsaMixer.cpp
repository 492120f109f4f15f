#include "playback/AlsaMixer.h"

#include "playback/AudioBackend.h"
#include "playback/MpvBackend.h"

#include <alsa/asoundlib.h>

#include <limits>
#include <vector>

namespace quaverly::playback {

namespace {

void silentAlsaErrors(const char*, int, const char*, int, const char*, ...)
{
}

/// Keeps alsa-lib's error printing off while it lives.
struct QuietAlsa
{
    QuietAlsa() { snd_lib_error_set_handler(&silentAlsaErrors); }
    ~QuietAlsa() { snd_lib_error_set_handler(nullptr); }
    QuietAlsa(const QuietAlsa&) = delete;
    QuietAlsa& operator=(const QuietAlsa&) = delete;
};

std::vector<const char*> elementNames(MixerLine line)
{
    switch (line) {
    case MixerLine::Speakers:
        return { "Master" };
    case MixerLine::Microphone:
        return { "Mic" };
    case MixerLine::WaveOut:
        return { "PCM" };
    case MixerLine::Line:
        return { "Line" };
    case MixerLine::Auxiliary:
        return { "Aux" };
    case MixerLine::CompactDisc:
        return { "CD" };
    case MixerLine::Synthesizer:
        return { "Synth", "MIDI" };
    }
    return {};
}

qint32 toInt32(long value)
{
    return static_cast<qint32>(
        std::clamp<long>(value, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

bool hasControl(snd_mixer_elem_t* elem, MixerControlType type)
{
    return type == MixerControlType::Volume ? snd_mixer_selem_has_playback_volume(elem) != 0
                                            : snd_mixer_selem_has_playback_switch(elem) != 0;
}

} // namespace

struct AlsaMixer::Impl
{
    QByteArray card;
    snd_mixer_t* mixer = nullptr;
    struct Found
    {
        snd_mixer_elem_t* elem;
        MixerControlType type;
    };
    std::vector<Found> controls; // index = MixerControl::id

    snd_mixer_elem_t* find(MixerLine line, MixerControlType type) const
    {
        for (const char* name : elementNames(line)) {
            for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer); e != nullptr; e = snd_mixer_elem_next(e)) {
                if (snd_mixer_selem_is_active(e) && qstrcmp(snd_mixer_selem_get_name(e), name) == 0
                    && hasControl(e, type))
                    return e;
            }
        }
        if (line != MixerLine::Speakers || type != MixerControlType::Volume)
            return nullptr;
        for (snd_mixer_elem_t* e = snd_mixer_first_elem(mixer); e != nullptr; e = snd_mixer_elem_next(e)) {
            if (snd_mixer_selem_is_active(e) && hasControl(e, type))
                return e;
        }
        return nullptr;
    }
};

AlsaMixer::AlsaMixer(QByteArray card)
    : d(std::make_unique<Impl>())
{
    d->card = std::move(card);
}

AlsaMixer::~AlsaMixer()
{
    if (d->mixer != nullptr)
        snd_mixer_close(d->mixer);
}

bool AlsaMixer::open()
{
    if (d->mixer != nullptr)
        return true;
    QuietAlsa quiet;
    snd_mixer_t* mixer = nullptr;
    if (snd_mixer_open(&mixer, 0) < 0)
        return false;
    if (snd_mixer_attach(mixer, d->card.constData()) < 0 || snd_mixer_selem_register(mixer, nullptr, nullptr) < 0
        || snd_mixer_load(mixer) < 0) {
        snd_mixer_close(mixer);
        qCInfo(lcPlayback) << "no ALSA mixer on" << d->card;
        return false;
    }
    d->mixer = mixer;
    return true;
}

std::optional<MixerControl> AlsaMixer::findControl(MixerLine line, MixerControlType type)
{
    if (d->mixer == nullptr)
        return {};
    snd_mixer_elem_t* elem = d->find(line, type);
    if (elem == nullptr)
        return {};
    MixerControl control;
    control.id = static_cast<int>(d->controls.size());
    if (type == MixerControlType::Volume) {
        long minimum = 0;
        long maximum = 0;
        snd_mixer_selem_get_playback_volume_range(elem, &minimum, &maximum);
        control.minimum = toInt32(minimum);
        control.maximum = toInt32(maximum);
    } else {
        control.maximum = 1;
    }
    d->controls.push_back({ elem, type });
    return control;
}

std::optional<qint32> AlsaMixer::readValue(const MixerControl& control)
{
    if (d->mixer == nullptr || control.id < 0 || control.id >= static_cast<int>(d->controls.size()))
        return {};
    snd_mixer_handle_events(d->mixer); // take in changes made by other programs
    const Impl::Found& found = d->controls[static_cast<size_t>(control.id)];
    if (found.type == MixerControlType::Volume) {
        long value = 0;
        if (snd_mixer_selem_get_playback_volume(found.elem, SND_MIXER_SCHN_FRONT_LEFT, &value) < 0)
            return {};
        return toInt32(value);
    }
    int on = 1;
    if (snd_mixer_selem_get_playback_switch(found.elem, SND_MIXER_SCHN_FRONT_LEFT, &on) < 0)
        return {};
    return on != 0 ? 0 : 1;
}

bool AlsaMixer::writeValue(const MixerControl& control, qint32 value)
{
    if (d->mixer == nullptr || control.id < 0 || control.id >= static_cast<int>(d->controls.size()))
        return false;
    const Impl::Found& found = d->controls[static_cast<size_t>(control.id)];
    if (found.type == MixerControlType::Volume)
        return snd_mixer_selem_set_playback_volume_all(found.elem, value) >= 0;
    return snd_mixer_selem_set_playback_switch_all(found.elem, value != 0 ? 0 : 1) >= 0;
}

std::unique_ptr<MixerDevice> makeSystemMixer()
{
    if (audioOutFromEnvironment() == QLatin1String("null"))
        return std::make_unique<NullMixer>();
    return std::make_unique<AlsaMixer>();
}

} // namespace quaverly::playback
