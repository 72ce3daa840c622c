// libFuzzer's entry point for one target, chosen when the executable is built.
#include "fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return VANTU_FUZZ_ENTRY(data, size);
}
