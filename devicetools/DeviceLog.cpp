#include "devicetools/DeviceLog.h"

namespace quaverly::devicetools {

Q_LOGGING_CATEGORY(lcDevice, "quaverly.devicetools")

} // namespace quaverly::devicetools
