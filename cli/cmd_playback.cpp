#include "cli/CliSupport.h"

namespace quaverly::cli {

void registerPlaybackCommands(Registry& /*registry*/)
{
}

} // namespace quaverly::cli
