#include "parts/part2.h"
#include "parts/part3.h"
#include "parts/part4.h"
#include "parts/part5.h"
#include "scene/frame.h"
#include "scene/scene_anim_effect.h"
#include "tests/parts/parts_test_support.h"
#include "tests/scene/test_scene.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

int fixed_clock()
{
    return 1234;
}

TEST(placeholder_parts, set_their_lengths_and_register_first)
{
    parts_engine();
    scene s(myengine, 0);
    effect* p2 = new part2(s);
    EXPECT_EQ(part_length, 35000);
    effect* p3 = new part3(s);
    EXPECT_EQ(part_length, 27420);
    effect* p4 = new part4(s);
    EXPECT_EQ(part_length, 55840);
    int (*kept)() = time_func;
    time_func = fixed_clock;
    effect* p5 = new part5(s);
    EXPECT_EQ(part_length, 29666);
    EXPECT_EQ(time_func, &fixed_clock);
    time_func = kept;
    ASSERT_EQ(s.no_effects, 4);
    EXPECT_EQ(*s.effects.at(0), p2);
    EXPECT_EQ(*s.effects.at(1), p3);
    EXPECT_EQ(*s.effects.at(2), p4);
    EXPECT_EQ(*s.effects.at(3), p5);
}

TEST(placeholder_parts, the_second_part_shows_only_the_clear_colour_of_the_kept_scene)
{
    parts_engine();
    quad_scene q;
    q.add_quad(0.5f, true, {1, 1, 1, 1}, 0);
    q.s.build_draw_list();
    q.s.clear_colour = 0xFF204080;
    lit_colour_only colour_only(false);
    render(q.s);
    EXPECT_NE(back_buffer_pixel(10, 10), 0xFF204080u);

    q.s.no_effects = 0;
    new part2(q.s);
    render(q.s);
    EXPECT_EQ(back_buffer_pixel(10, 10), 0xFF204080u);
    EXPECT_EQ(back_buffer_pixel(50, 40), 0xFF204080u);
}

}  // namespace
}  // namespace vorlane
