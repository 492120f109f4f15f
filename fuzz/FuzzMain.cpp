// libFuzzer entry point of one target; QUAVERLY_FUZZ_BODY names its body (see FuzzTargets.h).
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return quaverly::fuzz::QUAVERLY_FUZZ_BODY(data, size);
}
