#include "cli/CliSupport.h"

namespace quaverly::cli {

void registerDeviceCommands(Registry& /*registry*/)
{
}

} // namespace quaverly::cli
