#include "data/letter_text.h"
#include "effects/flash_effect.h"
#include "tests/parts/part3_test_scene.h"

#include <cmath>

namespace vorlane {
namespace {

using part3_timeline = part3_test;

TEST_F(part3_timeline, both_pulses_run_in_the_first_700_ms)
{
    // A sideways pulse stretches the cylinder to up to three times its
    // width; once over, it is back to its resting width.
    auto widest = [this] {
        float x = 0;
        s.vb.lock();
        for (int v = 10; v < 160; ++v)
            x = std::max(x, std::fabs(s.vb.vertex(v)->x));
        s.vb.unlock();
        return x;
    };
    frame_at(350);
    const float pulsed = widest();
    frame_at(1050);
    const float resting = widest();
    EXPECT_LT(resting, 2.2f);
    EXPECT_GT(pulsed, 2 * resting);
}

TEST_F(part3_timeline, a_new_sideways_pulse_mirrors_a_running_one_and_restarts_a_finished_one)
{
    frame_at(1000);
    queue_cues({1, 1, 1});
    frame_at(2000);  // the first pulse is long over: it restarts
    EXPECT_EQ(p->pulse_x_start, 2000);
    frame_at(2200);  // 200 ms in: mirrored to 500 ms in
    EXPECT_EQ(p->pulse_x_start, 1700);
    frame_at(2401);  // 701 ms after the mirrored start: restarts
    EXPECT_EQ(p->pulse_x_start, 2401);
    EXPECT_EQ(p->pulse_y_start, 0);
}

TEST_F(part3_timeline, vertical_pulse_cue_moves_only_its_own_start)
{
    queue_cues({2, 2});
    frame_at(300);  // both pulses from 0 run: mirrored to 400 ms in
    EXPECT_EQ(p->pulse_y_start, -100);
    frame_at(900);
    EXPECT_EQ(p->pulse_y_start, 900);
    EXPECT_EQ(p->pulse_x_start, 0);
}

TEST_F(part3_timeline, two_spin_reversals_restore_the_direction_without_a_jump)
{
    frame_at(500);
    const float before_first = p->spin_angle(1000);
    queue_cues({0, 0});
    frame_at(1000);
    EXPECT_EQ(p->spin_dir, -1);
    EXPECT_FLOAT_EQ(p->spin_angle(1000), before_first);
    EXPECT_NEAR(p->spin_angle(1500), before_first - 1.5f, 1e-5);

    const float before_second = p->spin_angle(2000);
    frame_at(2000);
    EXPECT_EQ(p->spin_dir, 1);
    EXPECT_FLOAT_EQ(p->spin_angle(2000), before_second);
    EXPECT_NEAR(p->spin_angle(3000), before_second + 3.0f, 1e-5);
    // Turned 3 rad forward, 3 back: where it was at 0.
    EXPECT_NEAR(before_second, 0, 1e-6);
}

TEST_F(part3_timeline, cues_three_and_four_raise_the_small_cylinders_and_fire_the_flash)
{
    queue_cues({3, 4, 5});
    frame_at(5000);
    EXPECT_EQ(p->arrows_start, 5000);
    frame_at(5040);
    EXPECT_FLOAT_EQ(p->flash->start, 5040);
    // A value the part does not know changes nothing.
    frame_at(5080);
    EXPECT_EQ(p->arrows_start, 5000);
    EXPECT_FLOAT_EQ(p->flash->start, 5040);
    EXPECT_EQ(p->spin_dir, 1);
    EXPECT_EQ(p->pulse_x_start, 0);
}

TEST_F(part3_timeline, veil_wipes_the_trails_from_6200_ms_and_lets_them_back_by_7200)
{
    const material& veil = *s.materials.at(1);
    frame_at(6200);
    EXPECT_FLOAT_EQ(veil.colour.a, 0.15f);
    frame_at(6210);
    EXPECT_NEAR(veil.colour.a, 1.14f, 1e-5);
    frame_at(6700);
    EXPECT_NEAR(veil.colour.a, 0.65f, 1e-5);
    frame_at(7200);
    EXPECT_NEAR(veil.colour.a, 0.15f, 1e-5);
    frame_at(7300);
    EXPECT_FLOAT_EQ(veil.colour.a, 0.15f);
}

TEST_F(part3_timeline, the_camera_step_stays_finite_and_holds_the_cylinder_far_off_at_first)
{
    for (int t = 0; t <= 500; ++t) {
        const float step = camera_step(static_cast<float>(t));
        ASSERT_TRUE(std::isfinite(step)) << t;
        // Past the far plane of w = z + 1 (about 11000) until 490 ms.
        if (t < 490) {
            ASSERT_GT(step, 11000) << t;
        }
    }
    EXPECT_FLOAT_EQ(camera_step(500), 1);
    EXPECT_LT(camera_step(700), 1e-30f);
    EXPECT_EQ(camera_step(1000), 0);
    EXPECT_EQ(camera_step(5000), 0);
}

TEST_F(part3_timeline, letters_come_every_160_ms_then_an_empty_one_and_a_pause_in_9180_ms_cycles)
{
    // Frames every 20 ms: the letter is drawn on the first frame past its
    // time. The cursor tells which letter was last drawn.
    const int textures = myengine.no_textures;
    std::vector<int> shown;
    std::vector<int> cursor;
    for (int t = 0; t <= 20000; t += 20) {
        const int due = p->next_letter_time;
        frame_at(t);
        if (p->next_letter_time != due) {
            shown.push_back(t);
            cursor.push_back(letter_cursor);
        }
    }
    // 13 letters and the empty step, twice, then the third cycle from
    // 65 + 2 x 9180 = 18425 ms.
    ASSERT_EQ(shown.size(), 38u);
    for (int c = 0; c < 2; ++c)
        for (int k = 0; k < 14; ++k) {
            const int index = 14 * c + k;
            EXPECT_EQ(shown[index], (65 + 9180 * c + 160 * k) / 20 * 20 + 20) << index;
            EXPECT_EQ(cursor[index], k < 13 ? k + 1 : 0) << index;
        }
    EXPECT_EQ(shown[28], 18440);
    // From the empty step to the next first letter: 7100 ms.
    EXPECT_EQ(shown[14] - shown[13], 7100);
    // Every letter went into the same texture.
    EXPECT_EQ(myengine.no_textures, textures);
}

TEST_F(part3_timeline, each_letter_replaces_the_last_in_the_letter_texture)
{
    std::vector<std::vector<std::uint8_t>> seen;
    for (int t = 0; t <= 2200; t += 20) {
        const int due = p->next_letter_time;
        frame_at(t);
        if (p->next_letter_time != due)
            seen.push_back(texels(p->letter_tex));
    }
    // White ink, opaque, each letter its own shape; the empty step leaves
    // the texture wholly transparent.
    ASSERT_EQ(seen.size(), 14u);
    for (int k = 0; k < 13; ++k) {
        int ink = 0;
        for (std::size_t i = 0; i < seen[k].size(); i += 4) {
            ASSERT_EQ(seen[k][i], 255);
            ink += seen[k][i + 3] == 255;
        }
        EXPECT_GT(ink, 300) << letter_text[k];
        EXPECT_NE(seen[k], seen[k + 1]) << k;
    }
    for (std::size_t i = 3; i < seen[13].size(); i += 4)
        ASSERT_EQ(seen[13][i], 0);
}

TEST_F(part3_timeline, a_later_run_goes_on_with_the_next_letter)
{
    for (int t = 0; t <= 500; t += 20)
        frame_at(t);
    EXPECT_EQ(letter_cursor, 3);  // V, i and R drawn
    scene next(myengine, 0);
    set_part_time(0);
    part3* again = next.make<part3>();
    set_part_time(100);
    render(next);
    EXPECT_EQ(letter_cursor, 4);
    EXPECT_EQ(again->next_letter_time, 225);
}

}  // namespace
}  // namespace vorlane
