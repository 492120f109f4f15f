#include "cli/CliSupport.h"

namespace quaverly::cli {

void registerDatabaseCommands(Registry& /*registry*/)
{
}

} // namespace quaverly::cli
