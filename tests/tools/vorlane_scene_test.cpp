// vorlane-scene's capture: the frames of one pass over the scene, with the
// cube where the camera's motion puts it, and its exit codes. Runs the
// built tool, which CTest finds at the top of the build folder.

#include "tests/tools/run_tool.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* tool = "../vorlane-scene";
const std::string scenes = std::string(VORLANE_SOURCE_DIR) + "/tests/scene/lightwave/";

vorlane::test::tool_result run(const std::string& arguments)
{
    return vorlane::test::run_tool(tool, arguments);
}

struct picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    // Red, green, blue of the pixel at (x, y), top row first.
    const unsigned char* at(int x, int y) const { return &rgb[3 * (y * width + x)]; }
    bool background(int x, int y) const { return at(x, y)[0] == 0 && at(x, y)[1] == 0 && at(x, y)[2] == 0; }
    // The sides of the test cube are orange, lit towards yellow.
    bool cube(int x, int y) const { return at(x, y)[0] > 128 && at(x, y)[0] > at(x, y)[2]; }
};

picture read_png(const std::string& path)
{
    picture pic;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return pic;
    image.format = PNG_FORMAT_RGB;
    pic.width = static_cast<int>(image.width);
    pic.height = static_cast<int>(image.height);
    pic.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pic.rgb.data(), 0, nullptr))
        pic = {};
    return pic;
}

class vorlane_scene : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists(tool)) << "build the vorlane-scene target first";
        dir = std::filesystem::temp_directory_path() / ("vorlane_scene_test_" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string frame(int n)
    {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06d.png", n);
        return (dir / "frames" / name).string();
    }
    std::filesystem::path dir;
};

TEST_F(vorlane_scene, capture_follows_the_camera_past_the_cube)
{
    const auto r = run(scenes + "cube_v3.lws --capture " + (dir / "frames").string() + " --fps 15");
    ASSERT_EQ(r.code, 0) << r.out;
    // Frames 0 to 60 at 30 per second: two seconds, 31 frames at 15.
    EXPECT_TRUE(std::filesystem::exists(frame(30)));
    EXPECT_FALSE(std::filesystem::exists(frame(31)));

    // The camera looks along +z from 4 units before the cube and slides
    // 1.5 units to the right, so the cube goes left from the middle.
    const picture start = read_png(frame(0));
    ASSERT_EQ(start.width, 640);
    ASSERT_EQ(start.height, 480);
    EXPECT_TRUE(start.cube(320, 240));
    EXPECT_TRUE(start.background(40, 240));
    EXPECT_TRUE(start.background(600, 240));
    EXPECT_TRUE(start.background(320, 60));

    const picture middle = read_png(frame(15));  // the camera 0.75 to the right
    EXPECT_TRUE(middle.cube(200, 240));
    EXPECT_TRUE(middle.background(300, 240));

    const picture end = read_png(frame(30));
    EXPECT_TRUE(end.cube(80, 240));
    EXPECT_TRUE(end.background(320, 240));
}

TEST_F(vorlane_scene, an_object_that_does_not_load_ends_with_its_message)
{
    {
        std::ofstream scene(dir / "lost.lws");
        scene << "LWSC\n3\nLoadObjectLayer 1 Objects/missing.lwo\n";
    }
    const auto r = run((dir / "lost.lws").string() + " --capture " + (dir / "frames").string());
    EXPECT_EQ(r.code, 255);
    EXPECT_NE(r.out.find("Cannot open object file - " + dir.string() + "/missing.lwo"), std::string::npos) << r.out;

    const auto missing = run((dir / "none.lws").string() + " --capture " + (dir / "frames").string());
    EXPECT_EQ(missing.code, 255);
    EXPECT_NE(missing.out.find("Cannot open scene file - "), std::string::npos) << missing.out;
}

TEST_F(vorlane_scene, a_bad_command_line_exits_2_and_help_exits_0)
{
    EXPECT_EQ(run("").code, 2);
    EXPECT_EQ(run(scenes + "cube_v3.lws --fps 10").code, 2);
    EXPECT_EQ(run(scenes + "cube_v3.lws --capture").code, 2);
    EXPECT_EQ(run(scenes + "cube_v3.lws --capture out --fps 0").code, 2);
    EXPECT_EQ(run(scenes + "cube_v3.lws --speed 2").code, 2);

    // Asked for, the usage is no failure.
    const auto help = run("--help");
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("usage: vorlane-scene FILE.lws", 0), 0u) << help.out;
}

}  // namespace
