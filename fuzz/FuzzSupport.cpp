#include "fuzz/FuzzTargets.h"

#include <cstdio>
#include <cstdlib>

namespace quaverly::fuzz {

void checkFailed(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: broken promise: %s\n", file, line, condition);
    std::abort();
}

} // namespace quaverly::fuzz
