// vorlane-scene's capture: the frames of one pass over the scene, with the
// cube where the camera's motion puts it, and its exit codes. Runs the
// built tool, which CTest finds at the top of the build folder.

#include "tests/tools/run_tool.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cstdio>
#include <cstdlib>
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

// The grey cube seen from above its front right edge, lit by a distant
// light turned 30 degrees in heading and pitch, in a content folder.
TEST_F(vorlane_scene, a_flat_cube_shows_three_faces_in_three_shades_and_a_smoothed_one_shades_across_a_face)
{
    const std::string content = scenes + "content/Scenes/";
    // As LightWave 9 writes it, and the same scene as LightWave 5.6 does.
    for (const char* scene : {"lit_cube.lws", "lit_cube_v2.lws"}) {
        std::filesystem::remove_all(dir / "frames");
        const auto flat = run(content + scene + " --capture " + (dir / "frames").string());
        ASSERT_EQ(flat.code, 0) << scene << flat.out;
        const picture cube = read_png(frame(0));
        ASSERT_EQ(cube.width, 640);
        const auto grey = [&](int x, int y) { return static_cast<int>(cube.at(x, y)[1]); };
        // Each face is one colour, and no two faces are alike: the front
        // faces the light most, the top less, the right side not at all.
        EXPECT_EQ(grey(200, 230), grey(340, 380)) << scene;  // front
        EXPECT_EQ(grey(220, 190), grey(420, 178)) << scene;  // top
        EXPECT_EQ(grey(370, 300), grey(430, 220)) << scene;  // right
        EXPECT_GT(grey(270, 300), grey(310, 175) + 20) << scene;
        EXPECT_GT(grey(310, 175), grey(400, 290) + 20) << scene;
        // The right side gets only the ambient light: 0.1 of the grey 0.8.
        EXPECT_NEAR(grey(400, 290), 0.08 * 255, 2) << scene;
        EXPECT_TRUE(cube.background(40, 40)) << scene;
    }

    std::filesystem::remove_all(dir / "frames");
    const auto smooth = run(content + "smooth_cube.lws --capture " + (dir / "frames").string());
    ASSERT_EQ(smooth.code, 0) << smooth.out;
    const picture round = read_png(frame(0));
    EXPECT_GT(std::abs(static_cast<int>(round.at(200, 300)[1]) - round.at(340, 300)[1]), 10);
}

// A glowing cube faces the camera with an image of four quadrants: red
// top left, green top right, blue bottom left, white bottom right.
TEST_F(vorlane_scene, images_of_each_kind_are_laid_where_their_map_puts_them)
{
    struct family {
        const char* scene;
        bool mirrored;  // the UV map turns the image left to right
        int tolerance;  // JPEG is lossy
    };
    const int red[3] = {255, 0, 0}, green[3] = {0, 255, 0}, blue[3] = {0, 0, 255}, white[3] = {255, 255, 255};
    for (const family& f : {family{"planar_tga", false, 0}, family{"uv_tga", true, 0},
                            family{"planar_png", false, 0}, family{"planar_jpeg", false, 24}}) {
        std::filesystem::remove_all(dir / "frames");
        const auto r = run(scenes + "content/Scenes/" + f.scene + ".lws --capture " + (dir / "frames").string());
        ASSERT_EQ(r.code, 0) << f.scene << r.out;
        const picture p = read_png(frame(0));
        ASSERT_EQ(p.width, 640) << f.scene;
        const auto expect = [&](int x, int y, const int* rgb) {
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(p.at(x, y)[c], rgb[c], f.tolerance) << f.scene << " at " << x << ", " << y;
        };
        expect(f.mirrored ? 385 : 255, 175, red);
        expect(f.mirrored ? 255 : 385, 175, green);
        expect(f.mirrored ? 385 : 255, 305, blue);
        expect(f.mirrored ? 255 : 385, 305, white);
        EXPECT_TRUE(p.background(100, 240)) << f.scene;
    }
}

TEST_F(vorlane_scene, a_missing_image_warns_and_the_surface_plays_without_it)
{
    std::filesystem::create_directories(dir / "Objects");
    std::filesystem::copy_file(scenes + "content/Objects/planar_tga.lwo", dir / "Objects/planar_tga.lwo");
    std::filesystem::copy_file(scenes + "content/Scenes/planar_tga.lws", dir / "planar_tga.lws");
    const auto r = run((dir / "planar_tga.lws").string() + " --capture " + (dir / "frames").string());
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_NE(r.out.find("Cannot open image file - Images/quadrants.tga (looked for "), std::string::npos) << r.out;
    const picture p = read_png(frame(0));
    EXPECT_EQ(p.at(255, 175)[0], 255);  // the white the surface glows with
    EXPECT_EQ(p.at(255, 175)[1], 255);
}

TEST_F(vorlane_scene, an_object_that_does_not_load_ends_with_its_message)
{
    {
        std::ofstream scene(dir / "lost.lws");
        scene << "LWSC\n3\nLoadObjectLayer 1 Objects/missing.lwo\n";
    }
    const auto r = run((dir / "lost.lws").string() + " --capture " + (dir / "frames").string());
    EXPECT_EQ(r.code, 255);
    EXPECT_NE(r.out.find("Cannot open object file - Objects/missing.lwo (looked for " + dir.string() +
                         "/Objects/missing.lwo, "),
              std::string::npos)
        << r.out;

    const auto missing = run((dir / "none.lws").string() + " --capture " + (dir / "frames").string());
    EXPECT_EQ(missing.code, 255);
    EXPECT_NE(missing.out.find("Cannot open scene file - "), std::string::npos) << missing.out;
}

TEST_F(vorlane_scene, a_crafted_chain_of_parents_and_a_huge_frame_range_end_in_order)
{
    {
        // Object 0 hangs from the last null, each later one from the one
        // before: placing object 0 walks all of them.
        std::ofstream scene(dir / "chain.lws");
        const int n = 60000;
        scene << "LWSC\n3\nLastFrame 0\n";
        for (int i = 0; i < n; ++i) {
            scene << "AddNullObject n\n";
            const int parent = i == 0 ? n - 1 : i >= 2 ? i - 1 : -1;
            if (parent >= 0)
                scene << "ParentItem " << std::hex << 0x10000000 + parent << std::dec << "\n";
        }
    }
    const auto chain = run((dir / "chain.lws").string() + " --capture " + (dir / "frames").string());
    EXPECT_EQ(chain.code, 0) << chain.out;
    EXPECT_TRUE(std::filesystem::exists(frame(0)));

    {
        std::ofstream scene(dir / "long.lws");
        scene << "LWSC\n1\nFirstFrame -2000000000\nLastFrame 2000000000\nFramesPerSecond 1\n";
    }
    // Ten minutes of scene time at one frame a second.
    const auto capped = run((dir / "long.lws").string() + " --capture " + (dir / "frames").string() + " --fps 1");
    EXPECT_EQ(capped.code, 0) << capped.out;
    EXPECT_NE(capped.out.find("capturing the first 600 seconds"), std::string::npos) << capped.out;
    EXPECT_TRUE(std::filesystem::exists(frame(600)));
    EXPECT_FALSE(std::filesystem::exists(frame(601)));
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
