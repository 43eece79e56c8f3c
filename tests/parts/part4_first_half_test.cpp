#include "data/camera_angles.h"
#include "effects/invert_flash_effect.h"
#include "effects/sprite_effect.h"
#include "effects/text_sprite_effect.h"
#include "engine/trig_tables.h"
#include "tests/parts/part4_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorlane {
namespace {

vector seen_from(const matrix& view, const vector& p)
{
    vector out;
    out.transform(p, view);
    return out;
}

TEST_F(part4_test, effects_follow_the_part_in_list_order_and_the_words_pass_at_their_times)
{
    ASSERT_EQ(s.no_effects, 33);
    EXPECT_EQ(*s.effects.at(0), p);
    EXPECT_EQ(*s.effects.at(1), p->flash);
    // The part's quad stays in vertices 0 to 3; the effects' come after.
    EXPECT_EQ(p->flash->first_vertex, 4);

    const float word_times[9] = {31800, 32900, 34100, 35200, 36400, 37500, 38700, 39800, 41000};
    for (int k = 0; k < 9; ++k) {
        auto* word = static_cast<sprite_effect*>(*s.effects.at(2 + k));
        EXPECT_EQ(word->texture, text_tex[k]);
        const float t = word_times[k];
        EXPECT_FLOAT_EQ(track_value(word->x_track, t - 900), 5) << k;
        EXPECT_FLOAT_EQ(track_value(word->x_track, t), 0.38f) << k;
        EXPECT_FLOAT_EQ(track_value(word->x_track, t + 600), -1.5f) << k;
        EXPECT_FLOAT_EQ(track_value(word->x_track, 50001), 5) << k;
        EXPECT_NEAR(track_value(word->y_track, t), 0.6 * std::sin(2.4 * k), 1e-6) << k;
    }
    for (int n = 0; n < code_line_count; ++n) {
        auto* line = static_cast<sprite_effect*>(*s.effects.at(11 + n));
        EXPECT_EQ(line->texture, text_tex[9 + n]);
        EXPECT_EQ(line->y_track.keys.get(), line_y_track[n].keys.get());
    }
    auto* number = static_cast<text_sprite_effect*>(*s.effects.at(32));
    EXPECT_FLOAT_EQ(track_value(number->x_track, 46000), 2.5f);
    EXPECT_FLOAT_EQ(track_value(number->x_track, 50500), 0);
    EXPECT_FLOAT_EQ(track_value(number->x_track, 55000), -2.5f);
    EXPECT_FLOAT_EQ(track_value(number->brightness_track, 50000), 0.7f);
}

TEST_F(part4_test, glow_sprite_is_clear_in_the_middle_and_opaque_from_radius_125)
{
    const std::vector<std::uint8_t>& t = texels(p->glow_tex);
    ASSERT_EQ(t.size(), 256u * 256 * 4);
    auto alpha_at = [&](int r) { return t[(128 * 256 + 128 + r) * 4 + 3]; };
    EXPECT_EQ(alpha_at(0), 0);
    EXPECT_EQ(alpha_at(42), 0);
    EXPECT_EQ(alpha_at(50), 255 - 231);
    EXPECT_EQ(alpha_at(100), 255 - 81);
    EXPECT_EQ(alpha_at(125), 255 - 6);
    EXPECT_EQ(alpha_at(-126), 255);
    EXPECT_EQ(t[3], 255);                  // a corner
    EXPECT_EQ(t[(128 * 256 + 128) * 4], 255);  // white
}

TEST_F(part4_test, swell_is_one_before_any_pulse_and_fades_after_one)
{
    for (float tf : {0.0f, 5000.0f, 11000.0f, 20000.0f})
        EXPECT_FLOAT_EQ(p->swell(tf), 1) << tf;

    p->pulse_time = 12000;
    // At 12 s the fade is 0.8: 3 x 0.8 + 2 + 1.
    EXPECT_FLOAT_EQ(p->swell(12000), 5.4f);
    // The fade goes on: 0.78 at 12.1 s, 0.74 at 12.3 s.
    EXPECT_FLOAT_EQ(p->swell(12100), 0.5f * 4.34f + 1);
    EXPECT_NEAR(p->swell(12300), 0.125 * 4.22 + 1, 1e-6);
    EXPECT_FLOAT_EQ(p->swell(12301), 1);

    p->pulse_time = 17000;  // faded out: the swell starts at 3
    EXPECT_FLOAT_EQ(p->swell(17000), 3);
}

TEST_F(part4_test, a_cue_0_in_a_frame_starts_the_swell)
{
    hand_out({0});
    frame_at(12345);
    EXPECT_FLOAT_EQ(p->pulse_time, 12345);
    frame_at(12400);
    EXPECT_FLOAT_EQ(p->pulse_time, 12345);
}

TEST_F(part4_test, cues_2_cut_to_the_fourteen_views_and_then_keep_the_last)
{
    hand_out({2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2});
    for (int n = 0; n < camera_angle_count; ++n) {
        frame_at(1000 + 20 * n);
        const camera_angle& c = camera_angles[n];
        const float r = 10 * sin_table[c.a];
        const vector eye{10 * cos_table[c.a], r * sin_table[c.b], r * cos_table[c.b], 1};
        // The eye lands on the camera's origin and the origin 10 ahead.
        const vector e = seen_from(s.view, eye);
        const vector o = seen_from(s.view, vector{0, 0, 0, 1});
        EXPECT_NEAR(e.x, 0, 1e-4) << n;
        EXPECT_NEAR(e.y, 0, 1e-4) << n;
        EXPECT_NEAR(e.z, 0, 1e-4) << n;
        EXPECT_NEAR(o.x, 0, 1e-4) << n;
        EXPECT_NEAR(o.y, 0, 1e-4) << n;
        EXPECT_NEAR(o.z, 10, 1e-4) << n;
        // Up stays up: the camera's x axis is level.
        EXPECT_NEAR(s.view(1, 0), 0, 1e-6) << n;
    }
    EXPECT_EQ(p->camera_cursor, camera_angle_count);
    const matrix last = s.view;
    frame_at(2000);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(s.view.e[i], last.e[i]);
}

TEST_F(part4_test, the_cloud_slides_in_from_the_right_and_rolls_once_in)
{
    EXPECT_FLOAT_EQ(cloud_slide(0), 32);
    EXPECT_NEAR(cloud_slide(5000), 18.5, 1e-5);
    EXPECT_NEAR(cloud_slide(9500), 6.35, 1e-5);
    EXPECT_EQ(cloud_slide(20000), cloud_slide(9500));
    EXPECT_FLOAT_EQ(cloud_roll(10000), 0);
    EXPECT_FLOAT_EQ(cloud_roll(10250), 4.75f);
    EXPECT_FLOAT_EQ(cloud_roll(12000), 9.5f);

    // Black until the cloud comes in on the right; then the left half is lit too.
    s.no_effects = 1;
    const std::vector<std::uint32_t> early = frame_at(3000);
    EXPECT_EQ(brightness(early, 0, 0, test_width / 2, test_height), 0);
    EXPECT_GT(brightness(early, test_width * 3 / 4, 0, test_width, test_height), 1000);
    const std::vector<std::uint32_t> in = frame_at(9500);
    EXPECT_GT(brightness(in, 0, 0, test_width / 2, test_height), 1000);
}

TEST_F(part4_test, a_frame_is_the_sprites_drawn_and_no_sprites_draw_nothing)
{
    s.no_effects = 1;
    const std::vector<std::uint32_t> frame = frame_at(9000);
    ASSERT_GT(p->sprite_count, 50);
    ASSERT_GT(brightness(frame, 0, 0, test_width, test_height), 10000);

    device& d = *pd3dDev;
    const int count = p->sprite_count;
    d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1, 0);
    p->sprite_count = 0;
    p->draw_cloud(s, 9000);
    EXPECT_EQ(brightness(frame_pixels(), 0, 0, test_width, test_height), 0);

    d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1, 0);
    p->sprite_count = count;
    p->draw_cloud(s, 9000);
    EXPECT_EQ(frame_pixels(), frame);
}

TEST_F(part4_test, code_lines_and_words_light_up_what_they_cross)
{
    // Pixels the texts make brighter than the cloud alone (the part and
    // the flash) at the same time.
    auto lit_by_text = [&](int ms) {
        const std::vector<std::uint32_t> full = frame_at(ms);
        const int kept = s.no_effects;
        s.no_effects = 2;
        const std::vector<std::uint32_t> cloud = frame_at(ms);
        s.no_effects = kept;
        int lit = 0;
        for (int i = 0; i < test_width * test_height; ++i)
            lit += static_cast<int>((full[i] >> 8) & 255) > static_cast<int>((cloud[i] >> 8) & 255) + 20;
        return lit;
    };
    EXPECT_EQ(lit_by_text(15000), 0);
    EXPECT_GT(lit_by_text(20150), 100);  // the first block, low on the screen
    EXPECT_GT(lit_by_text(33000), 200);  // the second word
}

}  // namespace
}  // namespace vorlane
