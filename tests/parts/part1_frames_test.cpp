#include "parts/part1.h"
#include "scene/frame.h"
#include "tests/parts/parts_test_support.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

// Whole frames of part 1 at 64 x 48, rendered in time order as the show
// would (the part keeps per-frame state).
struct part1_frames : testing::Test {
    void SetUp() override
    {
        parts_fonts();
        set_part_time(0);
        s.make<part1>();
    }
    std::vector<std::uint32_t> frame_at(int ms)
    {
        set_part_time(ms);
        render(s);
        return frame_pixels();
    }
    scene s{parts_engine(), 0};
};

bool row_is_black(const std::vector<std::uint32_t>& frame, int y)
{
    for (int x = 0; x < test_width; ++x)
        if (frame.at(y * test_width + x) & 0xFFFFFF)
            return false;
    return true;
}

TEST_F(part1_frames, noise_fills_the_screen_between_the_bars)
{
    const std::vector<std::uint32_t> early = frame_at(500);
    // Bars still outside: noise reaches the top and bottom rows.
    EXPECT_FALSE(row_is_black(early, 0));
    EXPECT_FALSE(row_is_black(early, test_height - 1));

    const std::vector<std::uint32_t> frame = frame_at(10000);
    EXPECT_TRUE(row_is_black(frame, 0));
    EXPECT_TRUE(row_is_black(frame, test_height - 1));
    // Characters and gaps: both bright and dark pixels in the middle.
    int bright = 0, dark = 0;
    for (int y = 8; y < 40; ++y)
        for (int x = 0; x < test_width; ++x) {
            const int green = (frame[y * test_width + x] >> 8) & 255;
            bright += green > 160;
            dark += green < 60;
        }
    EXPECT_GT(bright, 100);
    EXPECT_GT(dark, 50);
}

TEST_F(part1_frames, the_444_is_dark_at_first_and_adds_light_once_faded_in)
{
    // Without the text sprite (the part and the bars stay) only its light
    // is missing; at brightness 0 the colours are the same.
    const std::vector<std::uint32_t> with_text = frame_at(200);
    effect* text = *s.effects.at(1);
    *s.effects.at(1) = *s.effects.at(2);
    s.no_effects = 2;
    const std::vector<std::uint32_t> without_text = frame_at(200);
    for (int i = 0; i < test_width * test_height; ++i)
        ASSERT_EQ(without_text[i] & 0xFFFFFF, with_text[i] & 0xFFFFFF) << i;

    const long without = brightness(frame_at(8000), 0, 0, test_width, test_height);
    s.no_effects = 3;
    *s.effects.at(2) = *s.effects.at(1);
    *s.effects.at(1) = text;
    const long with = brightness(frame_at(8000), 0, 0, test_width, test_height);
    EXPECT_GT(with, without + 1000);
}

TEST_F(part1_frames, title_flashes_up_low_in_the_middle_and_its_echoes_fan_out_above)
{
    frame_at(14300);  // the switch to the single layer
    // From 356.25 frames on the layer stands still, so frames differ only
    // by the title.
    const std::vector<std::uint32_t> before = frame_at(18000);
    const std::vector<std::uint32_t> title = frame_at(18150);
    const long around_title = brightness(title, 20, 28, 44, 40);
    EXPECT_GT(around_title, brightness(before, 20, 28, 44, 40) + 2000);
    // Elsewhere nothing changed.
    EXPECT_EQ(brightness(title, 0, 4, 16, 44), brightness(before, 0, 4, 16, 44));

    const std::vector<std::uint32_t> echo = frame_at(19000);
    EXPECT_GT(brightness(echo, 16, 4, 48, 26), brightness(title, 16, 4, 48, 26) + 5000);
}

}  // namespace
}  // namespace vorlane
