#include "effects/shard_sphere_effect.h"
#include "music/mixer.h"
#include "tests/data/embedded_song.h"
#include "tests/parts/part2_test_scene.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

struct part2_cues : testing::Test {
    std::vector<int> lit() const
    {
        std::vector<int> on;
        for (int i = 0; i < 5; ++i)
            if (p.spheres[i]->enabled)
                on.push_back(i);
        return on;
    }
    scene s{parts_engine(), 0};
    part2& p = second_part(s, 0);
};

TEST_F(part2_cues, the_first_beats_switch_the_spheres_on_in_turn)
{
    const int beats[6] = {0, 1, 2, 3, 3, 4};
    const std::vector<int> expected[6] = {{0}, {0, 1}, {0, 1, 2}, {0, 1, 2, 3}, {0, 1, 2, 3},
                                          {0, 1, 2, 3, 4}};
    for (int k = 0; k < 6; ++k) {
        p.switch_spheres(beats[k]);
        EXPECT_EQ(lit(), expected[k]) << k;
    }
}

TEST_F(part2_cues, the_middle_beats_toggle_a_random_sphere)
{
    rand_state = 7;
    reference_rand r{7};
    for (int n = 5; n < 33; ++n) {
        std::vector<unsigned char> before;
        for (shard_sphere_effect* sphere : p.spheres)
            before.push_back(sphere->enabled);
        p.switch_spheres(n);
        const int toggled = r.next() % 5;
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(p.spheres[i]->enabled, i == toggled ? !before[i] : before[i]) << n;
    }
}

TEST_F(part2_cues, the_last_beats_switch_them_off_in_reverse_and_later_ones_nothing)
{
    for (shard_sphere_effect* sphere : p.spheres)
        sphere->enabled = 1;
    const std::vector<int> expected[5] = {
        {0, 1, 2, 3}, {0, 1, 2}, {0, 1}, {0}, {}};
    for (int n = 33; n <= 37; ++n) {
        p.switch_spheres(n);
        EXPECT_EQ(lit(), expected[n - 33]) << n;
    }
    for (shard_sphere_effect* sphere : p.spheres)
        sphere->enabled = 1;
    const std::uint32_t kept = rand_state;
    for (int n = 38; n < 80; ++n)
        p.switch_spheres(n);
    EXPECT_EQ(lit(), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(rand_state, kept);
}

TEST_F(part2_cues, echoes_brighten_at_a_cue_and_fade_back_within_half_a_second)
{
    p.cue_time = 2000;
    const float expected[][2] = {{2000, 0.04f}, {2250, 0.0325f}, {2500, 0.025f}, {4000, 0.025f}};
    for (const auto& e : expected)
        EXPECT_NEAR(p.echo_brightness(e[0]), e[1], 1e-6) << e[0];
}

// The song plays on while part 1 runs; the cues that fell due meanwhile
// reach part 2 one per frame, and the beat counts bytes, not cues.
TEST(part2_song, overdue_cues_come_one_per_frame_from_the_first_frame)
{
    embedded_song loaded;
    ASSERT_TRUE(loaded.load());
    the_song = loaded.s;
    ASSERT_TRUE(song_play(the_song));
    cue_pos = cue_table;
    // Up to the sixth cue (order 4, row 30, due a row early), short of the
    // seventh (order 5, row 4).
    while (song_get_order(the_song) * 32 + song_get_row(the_song) < 4 * 32 + 29) {
        loaded.device->advance(static_cast<std::uint32_t>(block_samples));
        output_poll();
    }
    ASSERT_LT(song_get_order(the_song) * 32 + song_get_row(the_song), 5 * 32 + 3);

    scene s{parts_engine(), 0};
    parts_fonts();
    part_start = get_time();
    s.make<part1>();
    s.no_effects = 0;
    part2& p = *s.make<part2>();
    EXPECT_FLOAT_EQ(p.cue_time, -1000);
    const int lit_after[7] = {1, 2, 3, 4, 4, 5, 5};
    for (int frame = 0; frame < 7; ++frame) {
        p.post_render(s);
        int lit = 0;
        for (shard_sphere_effect* sphere : p.spheres)
            lit += sphere->enabled;
        EXPECT_EQ(lit, lit_after[frame]) << frame;
    }
    EXPECT_EQ(cue_pos, cue_table + 6);
    EXPECT_FLOAT_EQ(p.cue_time, static_cast<float>(get_parttime()));
    loaded.release();
    the_song = nullptr;
}

}  // namespace
}  // namespace vorlane
