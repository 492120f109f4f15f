#include "playback/AlsaMixer.h"

#include "playback/AudioBackend.h"
#include "playback/MpvBackend.h"
#include "playback/RuntimeLibrary.h"

#include <alsa/asoundlib.h>

#include <limits>
#include <vector>

namespace quaverly::playback {

namespace {

struct AlsaApi
{
    decltype(&::snd_lib_error_set_handler) lib_error_set_handler = nullptr;
    decltype(&::snd_mixer_attach) mixer_attach = nullptr;
    decltype(&::snd_mixer_close) mixer_close = nullptr;
    decltype(&::snd_mixer_elem_next) mixer_elem_next = nullptr;
    decltype(&::snd_mixer_first_elem) mixer_first_elem = nullptr;
    decltype(&::snd_mixer_handle_events) mixer_handle_events = nullptr;
    decltype(&::snd_mixer_load) mixer_load = nullptr;
    decltype(&::snd_mixer_open) mixer_open = nullptr;
    decltype(&::snd_mixer_selem_get_name) mixer_selem_get_name = nullptr;
    decltype(&::snd_mixer_selem_get_playback_switch) mixer_selem_get_playback_switch = nullptr;
    decltype(&::snd_mixer_selem_get_playback_volume) mixer_selem_get_playback_volume = nullptr;
    decltype(&::snd_mixer_selem_get_playback_volume_range) mixer_selem_get_playback_volume_range = nullptr;
    decltype(&::snd_mixer_selem_has_playback_switch) mixer_selem_has_playback_switch = nullptr;
    decltype(&::snd_mixer_selem_has_playback_volume) mixer_selem_has_playback_volume = nullptr;
    decltype(&::snd_mixer_selem_is_active) mixer_selem_is_active = nullptr;
    decltype(&::snd_mixer_selem_register) mixer_selem_register = nullptr;
    decltype(&::snd_mixer_selem_set_playback_switch_all) mixer_selem_set_playback_switch_all = nullptr;
    decltype(&::snd_mixer_selem_set_playback_volume_all) mixer_selem_set_playback_volume_all = nullptr;
};

bool bindAll(RuntimeLibrary& lib, AlsaApi& api)
{
    return lib.bind(api.lib_error_set_handler, "snd_lib_error_set_handler")
        && lib.bind(api.mixer_attach, "snd_mixer_attach") && lib.bind(api.mixer_close, "snd_mixer_close")
        && lib.bind(api.mixer_elem_next, "snd_mixer_elem_next")
        && lib.bind(api.mixer_first_elem, "snd_mixer_first_elem")
        && lib.bind(api.mixer_handle_events, "snd_mixer_handle_events") && lib.bind(api.mixer_load, "snd_mixer_load")
        && lib.bind(api.mixer_open, "snd_mixer_open") && lib.bind(api.mixer_selem_get_name, "snd_mixer_selem_get_name")
        && lib.bind(api.mixer_selem_get_playback_switch, "snd_mixer_selem_get_playback_switch")
        && lib.bind(api.mixer_selem_get_playback_volume, "snd_mixer_selem_get_playback_volume")
        && lib.bind(api.mixer_selem_get_playback_volume_range, "snd_mixer_selem_get_playback_volume_range")
        && lib.bind(api.mixer_selem_has_playback_switch, "snd_mixer_selem_has_playback_switch")
        && lib.bind(api.mixer_selem_has_playback_volume, "snd_mixer_selem_has_playback_volume")
        && lib.bind(api.mixer_selem_is_active, "snd_mixer_selem_is_active")
        && lib.bind(api.mixer_selem_register, "snd_mixer_selem_register")
        && lib.bind(api.mixer_selem_set_playback_switch_all, "snd_mixer_selem_set_playback_switch_all")
        && lib.bind(api.mixer_selem_set_playback_volume_all, "snd_mixer_selem_set_playback_volume_all");
}

struct LoadedAlsa
{
    RuntimeLibrary library { QStringLiteral("libasound"), nullptr, { { QStringLiteral("asound"), 2 } } };
    AlsaApi api;
    bool ok = library.load() && bindAll(library, api);
};

const LoadedAlsa& loadedAlsa()
{
    static const LoadedAlsa loaded; // initialised once, even when threads race for it
    return loaded;
}

/// Only called once loadedAlsa().ok is known to be true.
const AlsaApi& alsa()
{
    return loadedAlsa().api;
}

void silentAlsaErrors(const char*, int, const char*, int, const char*, ...)
{
}

/// Keeps alsa-lib's error printing off while it lives.
struct QuietAlsa
{
    QuietAlsa() { alsa().lib_error_set_handler(&silentAlsaErrors); }
    ~QuietAlsa() { alsa().lib_error_set_handler(nullptr); }
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
    return type == MixerControlType::Volume ? alsa().mixer_selem_has_playback_volume(elem) != 0
                                            : alsa().mixer_selem_has_playback_switch(elem) != 0;
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
            for (snd_mixer_elem_t* e = alsa().mixer_first_elem(mixer); e != nullptr; e = alsa().mixer_elem_next(e)) {
                if (alsa().mixer_selem_is_active(e) && qstrcmp(alsa().mixer_selem_get_name(e), name) == 0
                    && hasControl(e, type))
                    return e;
            }
        }
        if (line != MixerLine::Speakers || type != MixerControlType::Volume)
            return nullptr;
        for (snd_mixer_elem_t* e = alsa().mixer_first_elem(mixer); e != nullptr; e = alsa().mixer_elem_next(e)) {
            if (alsa().mixer_selem_is_active(e) && hasControl(e, type))
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
        alsa().mixer_close(d->mixer);
}

bool AlsaMixer::open()
{
    if (d->mixer != nullptr)
        return true;
    if (!loadLibrary()) {
        qCInfo(lcPlayback) << "no ALSA mixer:" << loadedAlsa().library.errorText();
        return false;
    }
    QuietAlsa quiet;
    snd_mixer_t* mixer = nullptr;
    if (alsa().mixer_open(&mixer, 0) < 0)
        return false;
    if (alsa().mixer_attach(mixer, d->card.constData()) < 0 || alsa().mixer_selem_register(mixer, nullptr, nullptr) < 0
        || alsa().mixer_load(mixer) < 0) {
        alsa().mixer_close(mixer);
        qCInfo(lcPlayback) << "no ALSA mixer on" << d->card;
        return false;
    }
    d->mixer = mixer;
    return true;
}

bool AlsaMixer::loadLibrary()
{
    return loadedAlsa().ok;
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
        alsa().mixer_selem_get_playback_volume_range(elem, &minimum, &maximum);
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
    alsa().mixer_handle_events(d->mixer); // take in changes made by other programs
    const Impl::Found& found = d->controls[static_cast<size_t>(control.id)];
    if (found.type == MixerControlType::Volume) {
        long value = 0;
        if (alsa().mixer_selem_get_playback_volume(found.elem, SND_MIXER_SCHN_FRONT_LEFT, &value) < 0)
            return {};
        return toInt32(value);
    }
    int on = 1;
    if (alsa().mixer_selem_get_playback_switch(found.elem, SND_MIXER_SCHN_FRONT_LEFT, &on) < 0)
        return {};
    return on != 0 ? 0 : 1;
}

bool AlsaMixer::writeValue(const MixerControl& control, qint32 value)
{
    if (d->mixer == nullptr || control.id < 0 || control.id >= static_cast<int>(d->controls.size()))
        return false;
    const Impl::Found& found = d->controls[static_cast<size_t>(control.id)];
    if (found.type == MixerControlType::Volume)
        return alsa().mixer_selem_set_playback_volume_all(found.elem, value) >= 0;
    return alsa().mixer_selem_set_playback_switch_all(found.elem, value != 0 ? 0 : 1) >= 0;
}

std::unique_ptr<MixerDevice> makeSystemMixer()
{
    if (audioOutFromEnvironment() == QLatin1String("null"))
        return std::make_unique<NullMixer>();
    return std::make_unique<AlsaMixer>();
}

} // namespace quaverly::playback
