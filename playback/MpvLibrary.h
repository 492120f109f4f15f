#pragma once
// libmpv's functions as the player uses them, resolved at run time. Only the
// mpv back end includes this header (and with it <mpv/client.h>).
#include <QString>

#include <mpv/client.h>

namespace quaverly::playback {

/// The libmpv functions the back end calls, by their names without "mpv_".
struct MpvApi
{
    decltype(&mpv_client_api_version) client_api_version = nullptr;
    decltype(&mpv_create) create = nullptr;
    decltype(&mpv_initialize) initialize = nullptr;
    decltype(&mpv_terminate_destroy) terminate_destroy = nullptr;
    decltype(&mpv_set_option_string) set_option_string = nullptr;
    decltype(&mpv_error_string) error_string = nullptr;
    decltype(&mpv_request_log_messages) request_log_messages = nullptr;
    decltype(&mpv_observe_property) observe_property = nullptr;
    decltype(&mpv_unobserve_property) unobserve_property = nullptr;
    decltype(&mpv_set_wakeup_callback) set_wakeup_callback = nullptr;
    decltype(&mpv_wait_event) wait_event = nullptr;
    decltype(&mpv_command_async) command_async = nullptr;
    decltype(&mpv_set_property_async) set_property_async = nullptr;
    decltype(&mpv_set_property_string) set_property_string = nullptr;
};

/// libmpv, opened on the first call (libmpv.so.2, else libmpv.so.1 of mpv
/// 0.33 or later; QUAVERLY_LIBMPV names another file). Thread-safe: the first
/// call maps the library while later callers wait for it. Null when libmpv is
/// missing or too old; `error` then says so in the user's words.
[[nodiscard]] const MpvApi* loadMpv(QString* error = nullptr);

} // namespace quaverly::playback
