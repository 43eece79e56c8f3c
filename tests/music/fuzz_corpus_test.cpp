// Replays the fuzz target's seed corpus, so every run of the suite plays
// each seed the way the fuzzer does.
#include "tests/fuzz/render_module.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace vorlane {
namespace {

TEST(fuzz_corpus, every_seed_loads_or_is_refused_and_plays_without_fault)
{
    // Seeds written by make_corpus; inputs the fuzzer adds later only have
    // to survive.
    const std::map<std::string, bool> loads = {
        {"effects_amiga.xm", true}, {"effects_linear.xm", true}, {"jumps.xm", true},
        {"volume_column.xm", true}, {"truncated.xm", false},     {"short_pattern.xm", false},
    };
    std::filesystem::path dir = std::filesystem::path(VORLANE_SOURCE_DIR) / "tests/fuzz/corpus";
    int seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        test::render_result r = test::render_module(bytes.data(), bytes.size());
        std::string name = entry.path().filename().string();
        auto known = loads.find(name);
        if (known == loads.end())
            continue;
        ++seeds;
        EXPECT_EQ(r.loaded, known->second) << name;
        if (r.loaded) {
            // Three seconds mixed, one heard, on a clock that runs 4 % slow.
            EXPECT_GT(r.time_ms, 940) << name;
            EXPECT_LE(r.time_ms, 1000) << name;
        }
    }
    EXPECT_EQ(seeds, int(loads.size()));
}

}  // namespace
}  // namespace vorlane
