#pragma once
#include "playback/MixerDevice.h"

#include <QByteArray>

#include <memory>

namespace quaverly::playback {

/// The ALSA simple mixer of one card ("default"). The master line is the
/// element "Master", else the first element with a playback volume; the other
/// lines are the elements "Mic", "PCM", "Line", "Aux", "CD" and "Synth" (or
/// "MIDI") where the card has them. Mute is the element's playback switch
/// turned off. alsa-lib's own complaints while opening are kept off stderr.
/// libasound is opened at run time by the first open(): without it there is
/// no mixer.
class AlsaMixer final : public MixerDevice
{
public:
    explicit AlsaMixer(QByteArray card = QByteArrayLiteral("default"));
    ~AlsaMixer() override;

    /// Opens libasound (once per run; thread-safe, may block). False without it.
    static bool loadLibrary();

    [[nodiscard]] bool open() override;
    [[nodiscard]] std::optional<MixerControl> findControl(MixerLine line, MixerControlType type) override;
    [[nodiscard]] std::optional<qint32> readValue(const MixerControl& control) override;
    bool writeValue(const MixerControl& control, qint32 value) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

/// The mixer the program uses: none when QUAVERLY_AUDIO_OUT is "null" (tests
/// and machines without sound never touch the real levels), else ALSA's.
[[nodiscard]] std::unique_ptr<MixerDevice> makeSystemMixer();

} // namespace quaverly::playback
