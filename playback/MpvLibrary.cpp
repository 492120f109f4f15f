#include "playback/MpvLibrary.h"

#include "playback/AudioBackend.h"
#include "playback/RuntimeLibrary.h"

namespace quaverly::playback {

namespace {

// The events and replies the back end reads (playlist_entry_id) came with
// client API 1.108 (mpv 0.33); 2.0 only removed functions it does not use.
constexpr unsigned long kOldestApi = (1UL << 16) | 108UL;

bool bindAll(RuntimeLibrary& lib, MpvApi& api)
{
    return lib.bind(api.client_api_version, "mpv_client_api_version") && lib.bind(api.create, "mpv_create")
        && lib.bind(api.initialize, "mpv_initialize") && lib.bind(api.terminate_destroy, "mpv_terminate_destroy")
        && lib.bind(api.set_option_string, "mpv_set_option_string") && lib.bind(api.error_string, "mpv_error_string")
        && lib.bind(api.request_log_messages, "mpv_request_log_messages")
        && lib.bind(api.observe_property, "mpv_observe_property")
        && lib.bind(api.unobserve_property, "mpv_unobserve_property")
        && lib.bind(api.set_wakeup_callback, "mpv_set_wakeup_callback") && lib.bind(api.wait_event, "mpv_wait_event")
        && lib.bind(api.command_async, "mpv_command_async")
        && lib.bind(api.set_property_async, "mpv_set_property_async")
        && lib.bind(api.set_property_string, "mpv_set_property_string");
}

struct LoadedMpv
{
    RuntimeLibrary library { QStringLiteral("libmpv"),
                             "QUAVERLY_LIBMPV",
                             { { QStringLiteral("mpv"), 2 }, { QStringLiteral("mpv"), 1 } } };
    MpvApi api;
    QString error;
    bool ok = false;

    LoadedMpv()
    {
        if (!library.load()) {
            error = QStringLiteral("Songs cannot be played: the library libmpv is not installed "
                                   "(on Debian and Ubuntu: the package libmpv2).");
        } else if (!bindAll(library, api)) {
            error = QStringLiteral("Songs cannot be played: the installed libmpv lacks functions it should have.");
        } else if (api.client_api_version() < kOldestApi || (api.client_api_version() >> 16) > 2) {
            error = QStringLiteral("Songs cannot be played: the installed libmpv (client API %1.%2) does not fit; "
                                   "mpv 0.33 or later is needed.")
                        .arg(api.client_api_version() >> 16)
                        .arg(api.client_api_version() & 0xFFFF);
        } else {
            ok = true;
        }
        if (!ok)
            qCInfo(lcPlayback).noquote() << error << library.errorText();
    }
};

} // namespace

const MpvApi* loadMpv(QString* error)
{
    static const LoadedMpv loaded; // initialised once, even when threads race for it
    if (error != nullptr)
        *error = loaded.error;
    return loaded.ok ? &loaded.api : nullptr;
}

} // namespace quaverly::playback
