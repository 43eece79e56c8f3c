// libFuzzer target: any bytes given to the XM loader, and the first
// seconds of whatever loads, must neither crash nor read out of bounds.
#include "tests/fuzz/render_module.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vorlane::test::render_module(data, size);
    return 0;
}
