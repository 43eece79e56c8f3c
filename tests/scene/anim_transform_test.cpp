#include "scene/anim_transform.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

void set_constant(track& tr, float value)
{
    const track_key key[] = {{value, 0}};
    tr.assign(key, 0, 0, end_wrap, 1);
}

TEST(anim_transform, unset_tracks_give_the_identity_placement_with_unit_scale)
{
    anim_transform a;
    for (track& tr : a.tracks)
        set_constant(tr, 0);
    for (int k = 6; k < 9; ++k)
        set_constant(a.tracks[k], 1);
    matrix out;
    out.e[15] = 5;  // evaluation starts from a fresh identity
    a.evaluate(0, out);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(out.e[i], identity_matrix.e[i]);
}

TEST(anim_transform, scales_then_rotates_then_translates_and_keeps_the_values)
{
    anim_transform a;
    const float values[9] = {1, 2, 3, 1.5707964f, 0, 0, 2, 3, 4};
    for (int k = 0; k < 9; ++k) {
        const track_key keys[] = {{values[k], 0}, {values[k] * 3, 10}};
        a.tracks[k].assign(keys, 0, 10, end_wrap, 0);
    }
    matrix out;
    a.evaluate(0, out);
    for (int k = 0; k < 9; ++k)
        EXPECT_EQ(a.values[k], values[k]);

    // x is scaled by 2, turned by the yaw quarter turn to -z, then moved.
    vector p;
    p.transform(vector{1, 0, 0, 1}, out);
    EXPECT_NEAR(p.x, 1, 1e-5);
    EXPECT_NEAR(p.y, 2, 1e-5);
    EXPECT_NEAR(p.z, 3 - 2, 1e-5);
    p.transform(vector{0, 1, 0, 1}, out);
    EXPECT_NEAR(p.y, 2 + 3, 1e-5);

    a.evaluate(5, out);  // halfway: every value doubled
    EXPECT_FLOAT_EQ(a.values[0], 2);
    EXPECT_FLOAT_EQ(out(3, 2), 6);
}

}  // namespace
}  // namespace vorlane
