#pragma once
// The private session bus the D-Bus tests run on (dbus-run-session, see
// tests/CMakeLists.txt). A test never touches a user's real bus.
#include <QDBusConnection>
#include <QTest>

namespace quaverly::testing {

/// True when this process runs on its own private bus.
inline bool onPrivateBus()
{
    return qEnvironmentVariable("QUAVERLY_PRIVATE_BUS") == QLatin1String("1")
        && QDBusConnection::sessionBus().isConnected();
}

/// Skips the test (with the reason) unless it runs on a private bus.
#define QUAVERLY_REQUIRE_PRIVATE_BUS()                                                                                 \
    do {                                                                                                               \
        if (!quaverly::testing::onPrivateBus())                                                                        \
            QSKIP("needs a private D-Bus: run through ctest (dbus-run-session from Debian's dbus package)");           \
    } while (false)

} // namespace quaverly::testing
