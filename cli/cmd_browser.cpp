#include "cli/CliSupport.h"

namespace quaverly::cli {

void registerBrowserCommands(Registry& /*registry*/)
{
}

} // namespace quaverly::cli
