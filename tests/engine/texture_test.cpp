#include "engine/engine.h"
#include "tests/engine/test_engine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace vorlane {
namespace {

using bytes = std::vector<unsigned char>;

bytes level_bytes(int texture, int level)
{
    device_texture* t = *myengine.textures.at(texture);
    return t->level_data.at(level);
}

// One texel as (blue, green, red, alpha).
bytes texel(int texture, int level, int i)
{
    bytes b = level_bytes(texture, level);
    return bytes(b.begin() + 4 * i, b.begin() + 4 * i + 4);
}

TEST(texture_test, one_by_one_picture_makes_one_opaque_level)
{
    engine& e = test_engine();
    e.clear_pictures();
    unsigned char* p = e.new_picture(1, 1, 3);
    p[0] = 10, p[1] = 20, p[2] = 30;
    int before = e.no_textures;
    int t = e.create_texture(0);
    EXPECT_EQ(t, before);
    EXPECT_EQ(e.no_textures, before + 1);
    EXPECT_EQ((*e.textures.at(t))->levels, 1);
    // No next pixel to borrow the alpha from: opaque.
    EXPECT_EQ(texel(t, 0, 0), (bytes{10, 20, 30, 255}));
}

TEST(texture_test, alpha_is_the_next_pixels_blue_and_levels_average_2x2_blocks)
{
    engine& e = test_engine();
    e.clear_pictures();
    // 4 x 2: one 2 x 2 block per half.
    unsigned char* p = e.new_picture(4, 2, 3);
    const unsigned char top[12] = {0, 1, 2, 4, 5, 6, 100, 0, 0, 200, 0, 0};
    const unsigned char bottom[12] = {8, 9, 10, 13, 14, 15, 101, 0, 0, 202, 255, 255};
    std::memcpy(p, top, 12);
    std::memcpy(p + 12, bottom, 12);
    int t = e.create_texture(0);

    ASSERT_EQ((*e.textures.at(t))->levels, 3);  // 4x2, 2x1, 1x1
    EXPECT_EQ(texel(t, 0, 0), (bytes{0, 1, 2, 4}));
    EXPECT_EQ(texel(t, 0, 3), (bytes{200, 0, 0, 8}));  // the alpha runs on into the next row
    EXPECT_EQ(texel(t, 0, 7), (bytes{202, 255, 255, 255}));
    // (0 + 4 + 8 + 13) >> 2 = 6 ... and the other channels likewise, truncated.
    EXPECT_EQ(texel(t, 1, 0), (bytes{6, 7, 8, 150}));
    EXPECT_EQ(texel(t, 1, 1), (bytes{150, 63, 63, 255}));
    // Height 0 at level 2: locked, nothing written.
    EXPECT_EQ(texel(t, 2, 0), (bytes{0, 0, 0, 0}));
    // The picture was shrunk in place to the last level made.
    EXPECT_EQ(p[0], 6);
    EXPECT_EQ(p[3], 150);
}

TEST(texture_test, wide_picture_fills_only_levels_with_height)
{
    engine& e = test_engine();
    e.clear_pictures();
    unsigned char* p = e.new_picture(1024, 128, 3);
    for (int i = 0; i < 1024 * 128 * 3; ++i)
        p[i] = 40;
    int t = e.create_texture(0);
    device_texture* tex = *e.textures.at(t);
    ASSERT_EQ(tex->levels, 11);
    for (int level = 0; level <= 7; ++level) {
        bytes b = level_bytes(t, level);
        int count = tex->level_width(level) * tex->level_height(level);
        ASSERT_EQ(static_cast<int>(b.size()), count * 4);
        EXPECT_EQ(texel(t, level, 0), (bytes{40, 40, 40, 40})) << level;
        EXPECT_EQ(texel(t, level, count - 1), (bytes{40, 40, 40, 255})) << level;
    }
    for (int level = 8; level <= 10; ++level)
        EXPECT_EQ(level_bytes(t, level), bytes(tex->level_width(level) * 4, 0)) << level;
}

TEST(texture_test, alpha_texture_is_white_where_its_byte_count_exceeds_four)
{
    engine& e = test_engine();
    e.clear_pictures();
    unsigned char* map = e.new_picture(1024, 128, 1);
    std::memset(map, 55, 1024 * 128);
    int t = e.create_alpha_texture(0);
    device_texture* tex = *e.textures.at(t);
    ASSERT_EQ(tex->levels, 11);
    for (int level = 0; level <= 7; ++level) {
        int count = tex->level_width(level) * tex->level_height(level);
        EXPECT_EQ(texel(t, level, 0), (bytes{255, 255, 255, 200})) << level;
        EXPECT_EQ(texel(t, level, count - 1), (bytes{255, 255, 255, 200})) << level;
    }
    // Level 8 is 4 x 1: 524288 / 4^8 = 8 bytes are filled, and the map,
    // whose height is 0 by then, sets no alpha there.
    EXPECT_EQ(level_bytes(t, 8), (bytes{255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(level_bytes(t, 9), bytes(8, 0));
    EXPECT_EQ(level_bytes(t, 10), bytes(4, 0));
}

TEST(texture_test, alpha_map_is_inverted_and_point_sampled_down_the_chain)
{
    engine& e = test_engine();
    e.clear_pictures();
    unsigned char* colour = e.new_picture(4, 4, 3);
    std::memset(colour, 90, 4 * 4 * 3);
    unsigned char* map = e.new_picture(4, 4, 1);
    for (int i = 0; i < 16; ++i)
        map[i] = static_cast<unsigned char>(i * 10);
    int t = e.create_texture(0);
    e.add_alpha_map(t, 1);

    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(texel(t, 0, i), (bytes{90, 90, 90, static_cast<unsigned char>(255 - i * 10)})) << i;
    // Level 1 takes pixels (0,0), (2,0), (0,2), (2,2): 0, 20, 80, 100.
    EXPECT_EQ(texel(t, 1, 0)[3], 255);
    EXPECT_EQ(texel(t, 1, 1)[3], 235);
    EXPECT_EQ(texel(t, 1, 2)[3], 175);
    EXPECT_EQ(texel(t, 1, 3)[3], 155);
    EXPECT_EQ(texel(t, 2, 0)[3], 255);

    // All 255 makes every texel transparent, all 0 opaque.
    std::memset(e.new_picture(4, 4, 1), 255, 16);
    e.add_alpha_map(t, 2);
    for (int level = 0; level < 3; ++level)
        EXPECT_EQ(texel(t, level, 0)[3], 0);
    std::memset(e.new_picture(4, 4, 1), 0, 16);
    e.add_alpha_map(t, 3);
    for (int level = 0; level < 3; ++level)
        EXPECT_EQ(texel(t, level, 0)[3], 255);
}

TEST(texture_test, map_of_another_size_only_touches_the_texels_both_cover)
{
    engine& e = test_engine();
    e.clear_pictures();
    std::memset(e.new_picture(2, 2, 3), 7, 12);
    std::memset(e.new_picture(8, 8, 1), 0, 64);  // larger than the texture
    int t = e.create_texture(0);
    e.add_alpha_map(t, 1);
    EXPECT_EQ(level_bytes(t, 0), (bytes{7, 7, 7, 255, 7, 7, 7, 255, 7, 7, 7, 255, 7, 7, 7, 255}));
    EXPECT_EQ(level_bytes(t, 1), (bytes{7, 7, 7, 255}));

    e.clear_pictures();
    std::memset(e.new_picture(4, 2, 3), 7, 24);
    std::memset(e.new_picture(1, 1, 1), 255, 1);  // smaller
    t = e.create_texture(0);
    e.add_alpha_map(t, 1);
    EXPECT_EQ(texel(t, 0, 0)[3], 0);
    EXPECT_EQ(texel(t, 0, 1)[3], 7);  // untouched: the next pixel's blue
    EXPECT_EQ(texel(t, 0, 4)[3], 7);
}

TEST(picture_test, slots_are_reused_refilled_with_255_and_grown_only_when_too_small)
{
    engine& e = test_engine();
    e.clear_pictures();
    unsigned char* first = e.new_picture(8, 8, 3);
    std::memset(first, 1, 8 * 8 * 3);
    int storage = e.pictures.at(0)->storage;
    EXPECT_GE(storage, 8 * 8 * 3);
    e.clear_pictures();
    EXPECT_EQ(e.no_pictures, 0);
    unsigned char* again = e.new_picture(4, 4, 1);
    EXPECT_EQ(again, first);  // smaller: the storage stays
    EXPECT_EQ(e.pictures.at(0)->storage, storage);
    EXPECT_EQ(again[0], 255);
    EXPECT_EQ(again[15], 255);
    EXPECT_EQ(again[16], 1);  // beyond the new picture: left alone
    EXPECT_EQ(e.no_pictures, 1);
    e.new_picture(2, 2, 3);
    EXPECT_EQ(e.no_pictures, 2);
    EXPECT_EQ(e.pictures.at(1)->width, 2);

    e.clear_pictures();
    unsigned char* big = e.new_picture(2048, 1024, 3);
    EXPECT_EQ(e.pictures.at(0)->storage, 2048 * 1024 * 3);
    EXPECT_EQ(big[2048 * 1024 * 3 - 1], 255);
}

TEST(picture_test, load_picture_reads_tga_keeps_jpg_slots_and_counts_both)
{
    engine& e = test_engine();
    e.clear_pictures();
    std::string dir = std::filesystem::temp_directory_path() /
                      ("vorlane_load_picture_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string name = dir + "/grey.tga";
    const unsigned char file[22] = {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 8, 32, 1, 2, 3, 4};
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(file), sizeof file);

    e.load_picture(name.c_str());
    EXPECT_EQ(e.no_pictures, 1);
    picture* p = e.pictures.at(0);
    EXPECT_EQ(p->width, 2);
    EXPECT_EQ(p->bpp, 1);
    EXPECT_EQ(p->data[3], 4);

    e.pictures.at(1)->width = 77;
    e.load_picture("never/opened.jpg");
    EXPECT_EQ(e.no_pictures, 2);
    EXPECT_EQ(e.pictures.at(1)->width, 77);
    std::filesystem::remove_all(dir);
}

TEST(texture_death_test, wrong_pictures_and_names_are_refused)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            test_engine().clear_pictures();
            test_engine().new_picture(2, 2, 1);
            test_engine().create_texture(0);
        },
        testing::ExitedWithCode(255), "^Trying to use non 24bpp gfx as texture\n");
    EXPECT_EXIT(test_engine().create_texture(900), testing::ExitedWithCode(255),
                "^Trying to use non 24bpp gfx as texture\n");
    EXPECT_EXIT(test_engine().add_alpha_map(500, 0), testing::ExitedWithCode(255),
                "^Adding alpha before creating texture\\?\n");
    EXPECT_EXIT(
        {
            engine& e = test_engine();
            e.clear_pictures();
            e.new_picture(2, 2, 3);
            e.new_picture(2, 2, 3);
            e.add_alpha_map(e.create_texture(0), 1);
        },
        testing::ExitedWithCode(255), "^Trying to use non 8bpp gfx as alpha map\n");
    EXPECT_EXIT(test_engine().load_picture("picture.TGA"), testing::ExitedWithCode(255),
                "^Unsupported texture format\n");
    EXPECT_EXIT(test_engine().load_picture("tga"), testing::ExitedWithCode(255),
                "^Unsupported texture format\n");
}

}  // namespace
}  // namespace vorlane
