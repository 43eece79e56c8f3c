#include "engine/font.h"

#include <gtest/gtest.h>

#include <vector>

namespace vorlane {
namespace {

// Rasterising is slow-ish (256 glyphs), so the fonts are made once.
font& courier16()
{
    static font f = [] {
        font made;
        made.init("Courier New", 16, font_bold, 8);
        return made;
    }();
    return f;
}

font& arial_black64()
{
    static font f = [] {
        font made;
        made.init("Arial Black", 64, font_bold);
        return made;
    }();
    return f;
}

int ink_count(const std::vector<std::uint8_t>& pixels)
{
    int n = 0;
    for (auto p : pixels)
        n += p != 0;
    return n;
}

TEST(font, forced_advance_gives_every_code_the_same_width)
{
    font& f = courier16();
    for (int c = 0; c < 256; ++c)
        ASSERT_EQ(f.widths[c], 8) << c;
    EXPECT_EQ(f.offsets[256], 8 * 16 * 256);
    EXPECT_EQ(f.text_width("R-KTV"), 40);

    // "AA" is the glyph A twice, exactly 8 pixels apart.
    std::vector<std::uint8_t> pixels(64 * 64);
    f.set_target(pixels.data(), 1, 160, 64, 64);
    f.draw_string("AA", 0, 0);
    int ink = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(pixels[y * 64 + x], pixels[y * 64 + x + 8]);
            ink += pixels[y * 64 + x] == 160;
        }
    EXPECT_GT(ink, 10);
    EXPECT_EQ(ink_count(pixels), 2 * ink);
}

TEST(font, glyphs_are_one_bit_and_sit_on_the_baseline_of_the_cell)
{
    font& f = arial_black64();
    for (std::uint8_t b : f.glyphs)
        ASSERT_LE(b, 1);
    const std::uint8_t* h = &f.glyphs[f.offsets['H']];
    int top = -1, bottom = -1;
    for (int r = 0; r < f.height; ++r)
        for (int k = 0; k < f.widths['H']; ++k)
            if (h[r * f.widths['H'] + k]) {
                if (top < 0)
                    top = r;
                bottom = r;
            }
    // A positive height is the whole cell: capitals start well below the
    // top and end on the baseline, about four fifths down, leaving room
    // for descenders.
    EXPECT_GT(top, 4);
    EXPECT_GT(bottom, f.height * 6 / 10);
    EXPECT_LT(bottom, f.height * 9 / 10);
    EXPECT_GT(f.widths['W'], f.widths['i']);  // measured, not forced
}

TEST(font, drawing_wraps_inside_the_target_and_keeps_the_background)
{
    font& f = courier16();
    std::vector<std::uint8_t> wrapped(32 * 32 * 3, 7), shifted(32 * 32 * 3, 7);
    f.set_target(wrapped.data(), 3, 0x00FFEEDD, 32, 32);
    f.draw_char('M', 28, 24);  // crosses both the right and the bottom edge
    f.set_target(shifted.data(), 3, 0x00FFEEDD, 32, -1);
    f.draw_char('M', -4, -8);
    EXPECT_EQ(wrapped, shifted);
    int ink = 0, background = 0;
    for (std::size_t i = 0; i < wrapped.size(); i += 3) {
        if (wrapped[i] == 0xDD) {
            ++ink;
            EXPECT_EQ(wrapped[i + 1], 0xEE);
            EXPECT_EQ(wrapped[i + 2], 0xFF);
        } else {
            ++background;
            EXPECT_EQ(wrapped[i], 7);
        }
    }
    EXPECT_GT(ink, 10);
    EXPECT_GT(background, 900);
}

TEST(font, centred_text_uses_integer_halves)
{
    font& f = courier16();
    std::vector<std::uint8_t> centred(64 * 64), placed(64 * 64);
    f.set_target(centred.data(), 1, 1, 64);
    f.draw_centred("abc", 10);  // (64 - 24) / 2 = 20
    f.set_target(placed.data(), 1, 1, 64);
    f.draw_string("abc", 20, 10);
    EXPECT_EQ(centred, placed);
}

TEST(font, zero_width_glyphs_take_no_space_and_stamp_nothing)
{
    font f;
    f.init("Courier New", 16, font_bold, 0);
    EXPECT_EQ(f.offsets[256], 0);
    std::vector<std::uint8_t> pixels(32 * 32);
    f.set_target(pixels.data(), 1, 255, 32);
    f.draw_string("WWW", 0, 0);
    EXPECT_EQ(ink_count(pixels), 0);
}

TEST(font, unknown_faces_are_substituted)
{
    font f;
    f.init("No Such Face At All", 20, 0);
    EXPECT_GT(f.widths['A'], 0);
}

TEST(font, glyphs_that_overflow_the_store_are_fatal)
{
    EXPECT_EXIT(
        {
            font f;
            f.init("Courier New", 16, font_bold, 17);
        },
        testing::ExitedWithCode(255), "font kupa");
}

}  // namespace
}  // namespace vorlane
