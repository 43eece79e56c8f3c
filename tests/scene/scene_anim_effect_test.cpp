#include "clock/show_clock.h"
#include "scene/scene.h"
#include "scene/scene_anim_effect.h"
#include "tests/engine/test_engine.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

int clock_ms = 0;
int test_clock()
{
    return clock_ms;
}

void constant(anim_transform& a, const float (&values)[9])
{
    for (int k = 0; k < 9; ++k) {
        const track_key key[] = {{values[k], 0}};
        a.tracks[k].assign(key, 0, 0, end_wrap, 1);
    }
}

// Translation x runs linearly from 0 at frame 0 to 30 at frame 30.
void moving_along_x(anim_transform& a)
{
    constant(a, {0, 0, 0, 0, 0, 0, 1, 1, 1});
    const track_key x_keys[] = {{0, 0}, {30, 30}};
    a.tracks[0].assign(x_keys, 0, 30, end_wrap, 0);
}

void expect_near(const matrix& a, const matrix& b)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a.e[i], b.e[i], 1e-4) << "element " << i;
}

class scene_anim_test : public testing::Test {
protected:
    void SetUp() override
    {
        time_func = test_clock;
        s.frames_per_second = 30;
        constant(s.cam_anim, {0, 0, 0, 0, 0, 0, 1, 1, 1});
        const track_key fov[] = {{1.5f, 0}};
        s.fov_track.assign(fov, 0, 0, end_wrap, 1);
    }
    scene s{test_engine(), 0};
    scene_anim_effect anim;
};

TEST_F(scene_anim_test, the_camera_placement_is_inverted_into_the_view)
{
    moving_along_x(s.cam_anim);
    s.cam_anim.tracks[3].keys[0].value = 0.5f;  // yaw
    clock_ms = 500;  // frame 15
    anim.pre_render(s);
    matrix placement;
    placement.rotate_ypr(0.5f, 0, 0);
    placement.move(15, 0, 0);
    matrix product;
    product.multiply(placement, s.view);
    expect_near(product, identity_matrix);

    EXPECT_EQ(s.fov, 1.5f);
    EXPECT_FLOAT_EQ(s.projection(0, 0), 1.125f);
    EXPECT_FLOAT_EQ(s.projection(1, 1), 1.5f);
}

TEST_F(scene_anim_test, objects_move_their_pivot_to_the_origin_then_follow_their_parent)
{
    // Object 0 lies outside the effect's range but is the parent of 1.
    object* parent = s.add_object(0);
    moving_along_x(parent->anim);
    parent->parent = -1;
    object* child = s.add_object(0);
    constant(child->anim, {0, 5, 0, 0, 0, 0, 2, 2, 2});
    child->pivot = vector{1, 1, 1, 0};
    child->parent = 0;
    anim.first_object = 1;
    anim.end_object = 2;

    clock_ms = 1000;  // frame 30
    anim.pre_render(s);
    // (1, 1, 1) is the pivot: it lands on the child's own translation,
    // carried by the parent's.
    vector p;
    p.transform(vector{1, 1, 1, 1}, s.objects.at(1)->world);
    EXPECT_NEAR(p.x, 30, 1e-4);
    EXPECT_NEAR(p.y, 5, 1e-4);
    EXPECT_NEAR(p.z, 0, 1e-4);
    p.transform(vector{2, 1, 1, 1}, s.objects.at(1)->world);
    EXPECT_NEAR(p.x, 32, 1e-4);  // scaled by 2 about the pivot
    EXPECT_TRUE(s.objects.at(0)->updated);
}

TEST_F(scene_anim_test, looping_parents_do_not_recurse_forever)
{
    for (int i = 0; i < 2; ++i) {
        object* o = s.add_object(0);
        constant(o->anim, {1, 0, 0, 0, 0, 0, 1, 1, 1});
        o->parent = 1 - i;
    }
    anim.first_object = 0;
    anim.end_object = 2;
    anim.pre_render(s);
    EXPECT_TRUE(s.objects.at(0)->updated);
    EXPECT_TRUE(s.objects.at(1)->updated);
}

TEST_F(scene_anim_test, every_light_takes_its_position_and_direction_from_its_animation)
{
    s.no_lights = 2;
    for (int i = 0; i < 2; ++i) {
        light* l = s.lights.at(i);
        constant(l->anim, {3, 4, static_cast<float>(i), 1.5707964f, 0, 0, 1, 1, 1});
    }
    anim.pre_render(s);
    const light* l = s.lights.at(1);
    EXPECT_FLOAT_EQ(l->position.x, 3);
    EXPECT_FLOAT_EQ(l->position.y, 4);
    EXPECT_FLOAT_EQ(l->position.z, 1);
    EXPECT_FLOAT_EQ(l->position.w, 1);
    // Row 2 of a quarter yaw: z turned onto x.
    EXPECT_NEAR(l->direction.x, 1, 1e-6);
    EXPECT_NEAR(l->direction.z, 0, 1e-6);
    EXPECT_EQ(l->direction.w, 0);
}

}  // namespace
}  // namespace vorlane
