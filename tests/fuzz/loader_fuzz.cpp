// libFuzzer target, built once per loader (FUZZ_INPUT names it): any bytes
// end in a load or in the loader's message, never in a crash, a hang or a
// read out of bounds.
#include "tests/fuzz/load_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    vorlane::test::load_input(vorlane::test::loader_input::FUZZ_INPUT, data, size);
    return 0;
}
