#pragma once
#include <QLoggingCategory>

namespace quaverly::devicetools {

/// Device tools: flag files, iPod information, the eject chain.
Q_DECLARE_LOGGING_CATEGORY(lcDevice)

} // namespace quaverly::devicetools
