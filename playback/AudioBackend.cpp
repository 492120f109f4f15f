#include "playback/AudioBackend.h"

Q_LOGGING_CATEGORY(lcPlayback, "quaverly.playback", QtInfoMsg)

namespace quaverly::playback {

AudioBackend::AudioBackend(QObject* parent)
    : QObject(parent)
{
}

AudioBackend::~AudioBackend() = default;

void AudioBackend::setVideoWindow(quintptr /*windowId*/)
{
}

void AudioBackend::setBandLevelsEnabled(bool /*enabled*/)
{
}

void AudioBackend::setVolume(int /*percent*/)
{
}

} // namespace quaverly::playback
