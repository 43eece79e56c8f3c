#include "data/line_group_sizes.h"
#include "parts/fonts.h"
#include "parts/text_textures.h"
#include "tests/parts/part4_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace vorlane {
namespace {

constexpr int w = text_texture_width;
constexpr int h = text_texture_height;

struct glow_picture {
    std::vector<unsigned char> colour = std::vector<unsigned char>(w * h * 3, 0);
    std::vector<unsigned char> alpha = std::vector<unsigned char>(w * h, 7);
    void ink(int x, int y) { colour[3 * (y * w + x)] = 255; }
    int at(int x, int y) const { return alpha[y * w + x]; }
    void make() { glow_map(colour.data(), alpha.data()); }
};

// 255 minus the kernel weight, or 255 outside its reach.
int lone_ink_map(int dx, int dy)
{
    if (dx < -5 || dx > 4 || dy < -5 || dy > 4)
        return 255;
    const int weight = 5632 / (dx * dx + dy * dy + 10);
    return weight > 255 ? 0 : 255 - weight;
}

TEST(glow_map, a_lone_ink_pixel_spreads_the_integer_kernel_one_pixel_further_up_and_left)
{
    glow_picture p;
    p.ink(100, 60);
    p.make();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(p.at(x, y), lone_ink_map(x - 100, y - 60)) << x << "," << y;
    EXPECT_EQ(p.at(100, 60), 0);      // 563, saturated
    EXPECT_EQ(p.at(104, 60), 255 - 216);
    EXPECT_EQ(p.at(95, 60), 255 - 160);
    EXPECT_EQ(p.at(105, 60), 255);
}

TEST(glow_map, sums_overlap_and_saturate)
{
    glow_picture p;
    p.ink(200, 40);
    p.ink(204, 40);
    p.make();
    // Between the two: 5632/14 + 5632/14 = 804.
    EXPECT_EQ(p.at(202, 40), 0);
    // Beyond either end only the nearer pixel reaches.
    EXPECT_EQ(p.at(196, 40), 255 - 5632 / 26);
    EXPECT_EQ(p.at(208, 44), 255 - 5632 / 42);
}

TEST(glow_map, ink_at_the_corners_is_clipped_not_wrapped)
{
    glow_picture p;
    p.ink(0, 0);
    p.ink(w - 1, h - 1);
    p.make();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int expected = std::min(lone_ink_map(x, y), lone_ink_map(x - (w - 1), y - (h - 1)));
            ASSERT_EQ(p.at(x, y), expected) << x << "," << y;
        }
    EXPECT_EQ(p.at(w - 1, 0), 255);
    EXPECT_EQ(p.at(0, h - 1), 255);
}

int chebyshev_to_ink(const std::vector<std::uint8_t>& t, int x, int y, int reach)
{
    int best = reach + 1;
    for (int yy = std::max(0, y - reach); yy <= std::min(h - 1, y + reach); ++yy)
        for (int xx = std::max(0, x - reach); xx <= std::min(w - 1, x + reach); ++xx)
            if (t[(yy * w + xx) * 4] != 0)
                best = std::min(best, std::max(std::abs(xx - x), std::abs(yy - y)));
    return best;
}

TEST(text_textures, words_are_white_and_opaque_with_a_halo_gone_six_pixels_out)
{
    part4_textures();
    for (int i : {0, 2, 7}) {
        const std::vector<std::uint8_t>& t = texels(text_tex[i]);
        ASSERT_EQ(t.size(), std::size_t{w} * h * 4);
        int ink = 0, partial = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* texel = &t[(y * w + x) * 4];
                const int d = chebyshev_to_ink(t, x, y, 6);
                if (d == 0) {
                    ++ink;
                    ASSERT_EQ(texel[2], 255);
                    ASSERT_EQ(texel[3], 255) << i << ": " << x << "," << y;
                } else {
                    ASSERT_EQ(texel[2], 0);
                }
                if (d == 1) {
                    ASSERT_GT(texel[3], 200) << i << ": " << x << "," << y;
                }
                if (d > 5) {
                    ASSERT_EQ(texel[3], 0) << i << ": " << x << "," << y;
                }
                partial += texel[3] > 0 && texel[3] < 255;
            }
        EXPECT_GT(ink, 1000) << text_lines[i];
        EXPECT_GT(partial, 100) << text_lines[i];
    }
}

TEST(text_textures, the_longest_code_line_stops_at_the_right_edge)
{
    part4_textures();
    // At 20 pixels a character, 50 fit after the 5-pixel margin; the rest
    // would wrap onto the start of the line.
    std::vector<std::uint8_t> expected(w * h * 3, 0);
    char prefix[51] = {};
    std::memcpy(prefix, text_lines[16], 50);
    part4_fnt2.set_target(expected.data(), 3, 0xFFFFFF, w, h);
    part4_fnt2.draw_string(prefix, 5, 5);

    const std::vector<std::uint8_t>& t = texels(text_tex[16]);
    for (int i = 0; i < w * h; ++i)
        ASSERT_EQ(t[i * 4], expected[i * 3]) << i % w << "," << i / w;
}

TEST(text_textures, code_lines_rise_in_four_blocks_a_line_every_80_ms)
{
    part4_textures();
    int n = 0;
    for (int g = 0; g < line_group_count; ++g)
        for (int j = 0; j < line_group_sizes[g]; ++j, ++n) {
            const float b = static_cast<float>(20000 + 2000 * g + 80 * j);
            EXPECT_FLOAT_EQ(track_value(line_y_track[n], 0), -5) << n;
            EXPECT_FLOAT_EQ(track_value(line_y_track[n], b - 900), -5) << n;
            EXPECT_FLOAT_EQ(track_value(line_y_track[n], b - 150), -1.75f) << n;
            EXPECT_FLOAT_EQ(track_value(line_y_track[n], b + 600), 1.5f) << n;
            EXPECT_FLOAT_EQ(track_value(line_x_track[n], b), 0.8f) << n;
        }
    EXPECT_EQ(n, code_line_count);

    // Block 2, position 3.
    const track& line = line_y_track[13];
    EXPECT_FLOAT_EQ(track_value(line, 23340), -5);
    EXPECT_GT(track_value(line, 23350), -5);
    EXPECT_FLOAT_EQ(track_value(line, 24840), 1.5f);
    EXPECT_FLOAT_EQ(track_value(line, 50000), 3.6f);
    // Past 50 s every line is back below the screen.
    EXPECT_FLOAT_EQ(track_value(line, 50001), -5);
    EXPECT_FLOAT_EQ(track_value(line, 74840), 1.5f);
}

}  // namespace
}  // namespace vorlane
