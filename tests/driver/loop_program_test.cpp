// The program capturing across the song's end, played once and looping.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace vorlane {
namespace {

class loop_program_test : public testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("vorlane_loop_test_" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // A capture from 180 s to 200 s of song, one frame a second; the song
    // wraps at about 187 s. Returns the number of frames written.
    int capture_across_the_end(const std::string& mode)
    {
        const std::string command = "cd '" + dir.string() + "' && '" + VORLANE_PROGRAM +
                                    "' --capture frames --fps 1 --from 180000 --to 200000 --resolution 64x48 --log " +
                                    mode + " 2>/dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << mode;
        int pngs = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir / "frames"))
            pngs += entry.path().extension() == ".png";
        std::ifstream in(dir / "vorlane.log");
        std::stringstream text;
        text << in.rdbuf();
        log = text.str();
        std::filesystem::remove_all(dir / "frames");
        return pngs;
    }

    std::filesystem::path dir;
    std::string log;
};

TEST_F(loop_program_test, the_song_wrapping_ends_the_show_unless_it_loops)
{
    const int once = capture_across_the_end("");
    EXPECT_GT(once, 0);
    EXPECT_LT(once, 20);
    EXPECT_NE(log.find("Resolution 64x48, normal mode\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Module end - shutdown\n"), std::string::npos) << log;

    EXPECT_EQ(capture_across_the_end("--loop"), 20);
    EXPECT_NE(log.find("Resolution 64x48, loop mode\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("Module end"), std::string::npos) << log;
}

}  // namespace
}  // namespace vorlane
