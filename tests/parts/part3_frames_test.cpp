#include "tests/parts/part3_test_scene.h"

namespace vorlane {
namespace {

constexpr std::uint32_t blue = 0x0099CC;
constexpr std::uint32_t grey = 0x404040;
constexpr std::uint32_t blue_minus_grey = 0x00598C;

int red(std::uint32_t p) { return (p >> 16) & 255; }
int green(std::uint32_t p) { return (p >> 8) & 255; }
int blue_of(std::uint32_t p) { return p & 255; }

struct part3_frames : part3_test {
    // The frame with the last trail image made one grey; the bars effect
    // is left out, so that nothing else darkens the screen.
    std::vector<std::uint32_t> over_grey(int ms)
    {
        s.no_effects = 2;
        device& d = *pd3dDev;
        d.set_render_target(p->feedback_surf[p->front], nullptr);
        d.clear(D3DCLEAR_TARGET, grey, 1.0f, 0);
        d.set_render_target(p->saved_target, p->saved_depth);
        frame_at(ms);
        return frame_pixels();
    }
    std::uint32_t at(const std::vector<std::uint32_t>& frame, int x, int y)
    {
        return frame.at(y * test_width + x) & 0xFFFFFF;
    }
};

TEST_F(part3_frames, the_cylinder_stays_out_of_sight_for_the_first_half_second)
{
    p->next_letter_time = 1000000;
    device& d = *pd3dDev;
    auto trail_light = [&] {
        long sum = 0;
        for (std::uint32_t texel : d.read_surface(p->feedback_surf[p->front]))
            sum += green(texel);
        return sum;
    };
    for (int t = 0; t <= 480; t += 40) {
        frame_at(t);
        ASSERT_EQ(trail_light(), 0) << t;
    }
    for (int t = 520; t <= 1500; t += 40)
        frame_at(t);
    EXPECT_GT(trail_light(), 1000);
}

TEST_F(part3_frames, trails_darken_the_blue_and_nothing_brightens_it)
{
    // Four tenths of a second of the cylinder alone, from black images.
    s.no_effects = 2;
    p->next_letter_time = 1000000;
    for (int t = 8000; t <= 8400; t += 40)
        frame_at(t);
    const std::vector<std::uint32_t> frame = frame_pixels();
    int darker = 0;
    for (int y = 0; y < test_height; ++y)
        for (int x = 0; x < test_width; ++x) {
            const std::uint32_t c = at(frame, x, y);
            ASSERT_EQ(red(c), 0) << x << "," << y;
            ASSERT_LE(green(c), 0x99) << x << "," << y;
            ASSERT_LE(blue_of(c), 0xCC) << x << "," << y;
            darker += c != blue;
        }
    // Away from the cylinder the blue is untouched; in the middle its
    // lines and their trails have darkened most of it.
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(at(frame, x, y), blue) << x << "," << y;
            EXPECT_EQ(at(frame, test_width - 1 - x, test_height - 1 - y), blue) << x << "," << y;
        }
    int centre_darker = 0;
    for (int y = 16; y < 32; ++y)
        for (int x = 24; x < 40; ++x)
            centre_darker += at(frame, x, y) != blue;
    EXPECT_GT(centre_darker, 128);
    EXPECT_GT(darker, 300);
}

TEST_F(part3_frames, before_20_s_the_picture_stays_put_and_the_bars_wait_off_to_the_right)
{
    const std::vector<std::uint32_t> frame = over_grey(17000);
    for (int y = 0; y < test_height; ++y)
        for (int x = 0; x < test_width; ++x)
            ASSERT_EQ(at(frame, x, y), blue_minus_grey) << x << "," << y;
}

TEST_F(part3_frames, bars_with_arrow_heads_and_the_panel_push_the_picture_out)
{
    // Halfway: the picture has moved half a screen left, the panel covers
    // the right half, the middle bar ends at the centre with its arrow
    // head to the left of it.
    const std::vector<std::uint32_t> half = over_grey(23000);
    EXPECT_EQ(at(half, 4, 24), blue_minus_grey);
    EXPECT_EQ(at(half, 4, 2), blue_minus_grey);
    EXPECT_EQ(at(half, 30, 24), 0u);  // bar
    EXPECT_EQ(at(half, 24, 24), 0u);  // arrow head
    EXPECT_EQ(at(half, 16, 24), blue_minus_grey);
    EXPECT_EQ(at(half, 50, 10), 0u);  // panel
    EXPECT_EQ(at(half, 63, 47), 0u);

    const std::vector<std::uint32_t> end = over_grey(26500);
    for (std::uint32_t pixel : end)
        ASSERT_EQ(pixel & 0xFFFFFF, 0u);
}

TEST_F(part3_frames, after_cue_3_small_cylinders_appear_along_the_top_one_after_another)
{
    // Regions around the first and the last small cylinder.
    auto first = [](const std::vector<std::uint32_t>& f) { return brightness(f, 1, 1, 12, 12); };
    auto last = [](const std::vector<std::uint32_t>& f) { return brightness(f, 47, 1, 59, 12); };
    const std::vector<std::uint32_t> none = over_grey(9000);
    queue_cues({3});
    over_grey(9960);
    const std::vector<std::uint32_t> early = over_grey(10000);
    EXPECT_LT(first(early), first(none) - 50);
    EXPECT_EQ(last(early), last(none));
    const std::vector<std::uint32_t> later = over_grey(10500);
    EXPECT_EQ(first(later), first(none));
    EXPECT_LT(last(later), last(none) - 50);
}

}  // namespace
}  // namespace vorlane
