#include "cli/CliSupport.h"

namespace quaverly::cli {

void registerExportCommands(Registry& /*registry*/)
{
}

} // namespace quaverly::cli
