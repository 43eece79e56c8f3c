// Replays the seed corpora of the loader fuzz targets, so every run of the
// suite gives each seed to its loader the way the fuzzer does.
#include "tests/fuzz/load_input.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace vorlane {
namespace {

using test::loader_input;

// Seeds written by hand with the outcome each must have; inputs the
// fuzzer adds later only have to survive.
int replay(const char* folder, loader_input kind, const std::map<std::string, std::string>& outcomes)
{
    std::filesystem::path dir = std::filesystem::path(VORLANE_SOURCE_DIR) / "tests/fuzz" / folder;
    int seeds = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string message = test::load_input(kind, bytes.data(), bytes.size());
        const auto known = outcomes.find(entry.path().filename().string());
        if (known == outcomes.end())
            continue;
        ++seeds;
        EXPECT_EQ(message, known->second) << folder << "/" << known->first;
    }
    return seeds;
}

TEST(loader_fuzz_corpus, scene_file_seeds)
{
    const std::map<std::string, std::string> outcomes = {
        {"cube_v3.lws", ""},
        {"scene_v1_windows.lws", ""},
        {"lit_cube_v2.lws", ""},
        {"scene_v2.lws", ""},
        {"scene_v3.lws", ""},
        {"scene_v5.lws", ""},
        {"truncated_v3.lws", "Invalid scene file"},
        {"version_6.lws", "I'm not able to handle this scene file version"},
    };
    EXPECT_EQ(replay("corpus_lws", loader_input::lws, outcomes), int(outcomes.size()));
}

TEST(loader_fuzz_corpus, object_file_seeds)
{
    const std::map<std::string, std::string> outcomes = {
        {"cube.lwo", ""},
        {"cube_lwob.lwo", ""},
        {"two_layers.lwo", ""},
        {"bad_point.lwo", "Invalid object file - input"},
    };
    EXPECT_EQ(replay("corpus_lwo", loader_input::lwo, outcomes), int(outcomes.size()));
}

TEST(loader_fuzz_corpus, scene_animation_seeds)
{
    const std::map<std::string, std::string> outcomes = {
        {"part2.csf", ""},
        {"part5.csf", ""},
        {"empty.csf", ""},
        {"bad_tag.csf", "Invalid CSF file [2]"},
    };
    EXPECT_EQ(replay("corpus_csf", loader_input::csf, outcomes), int(outcomes.size()));
}

TEST(loader_fuzz_corpus, picture_seeds)
{
    const std::map<std::string, std::string> outcomes = {
        {"rgb_bottom_up.tga", ""},
        {"grey_top_down.tga", ""},
        {"grey_rle.tga", ""},
        {"truncated.tga", "Cannot open TGA file - " +
                              (std::filesystem::temp_directory_path() /
                               ("vorlane_tga_input_" + std::to_string(::getpid()) + ".tga"))
                                  .string()},
    };
    EXPECT_EQ(replay("corpus_tga", loader_input::tga, outcomes), int(outcomes.size()));
}

}  // namespace
}  // namespace vorlane
