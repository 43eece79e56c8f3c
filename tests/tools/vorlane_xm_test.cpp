// vorlane-xm's command line: exit codes, the description of a module and a
// rendered WAV file's length. Runs the built tool, which CTest finds at the
// top of the build folder (the tests run in its tests/ folder).
#include "tests/music/xm_builder.h"
#include "tests/tools/run_tool.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace vorlane {
namespace {

const char* tool = "../vorlane-xm";

test::tool_result run(const std::string& arguments)
{
    return test::run_tool(tool, arguments);
}

class vorlane_xm : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists(tool)) << "build the vorlane-xm target first";
        test::xm_module m;
        m.channels = 3;
        m.song_length = 2;
        m.restart = 1;
        m.orders = {0, 0};
        m.speed = 6;
        m.bpm = 125;
        m.patterns.push_back(test::empty_pattern(16, 3));
        m.patterns[0].cells[0] = {49, 1, 0, 0, 0};
        m.instruments.push_back(test::single_sample_instrument(test::square_sample()));
        // Per test: CTest runs the tests of this file in parallel.
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        module = ::testing::TempDir() + "vorlane_xm_" + name + ".xm";
        wav = ::testing::TempDir() + "vorlane_xm_" + name + ".wav";
        auto bytes = test::build_xm(m);
        std::ofstream(module, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                      std::streamsize(bytes.size()));
    }

    void TearDown() override
    {
        std::remove(module.c_str());
        std::remove(wav.c_str());
    }

    std::uintmax_t wav_frames() const { return (std::filesystem::file_size(wav) - 44) / 4; }

    std::string module, wav;
};

TEST_F(vorlane_xm, info_describes_the_module)
{
    const auto r = run("info " + module);
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("channels: 3"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("orders: 2, restart position 1"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("bpm: 125"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("frequency table: linear"), std::string::npos) << r.out;
}

TEST_F(vorlane_xm, render_stops_where_the_song_repeats)
{
    // Two orders of 16 rows at 6 ticks of 882 frames; the repetition starts
    // when order 1 (the restart position) comes round again, after 2 orders.
    const auto r = run("render " + module + " " + wav);
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(wav_frames(), 2u * 16 * 6 * 882);
}

TEST_F(vorlane_xm, render_for_a_given_length_and_rate)
{
    const auto r = run("render " + module + " " + wav + " --seconds 1.5 --rate 22050");
    EXPECT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(wav_frames(), 33075u);
}

TEST_F(vorlane_xm, exit_codes_for_bad_modules_bad_arguments_and_help)
{
    std::string missing = ::testing::TempDir() + "no_such_module.xm";
    const auto bad_module = run("info " + missing);
    EXPECT_EQ(bad_module.code, 1);
    EXPECT_NE(bad_module.out.find(missing), std::string::npos);
    EXPECT_EQ(run("").code, 2);
    EXPECT_EQ(run("dance " + module).code, 2);
    EXPECT_EQ(run("render " + module).code, 2);
    EXPECT_EQ(run("render " + module + " " + wav + " --seconds -3").code, 2);
    EXPECT_EQ(run("render " + module + " " + wav + " --rate").code, 2);
    EXPECT_EQ(run("info " + module + " extra").code, 2);
    EXPECT_EQ(run("--help extra").code, 2);

    // Asked for, the usage is no failure.
    const auto help = run("--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("usage: vorlane-xm info FILE\n", 0), 0u) << help.out;
}

}  // namespace
}  // namespace vorlane
