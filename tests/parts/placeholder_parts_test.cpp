#include "parts/part3.h"
#include "scene/frame.h"
#include "scene/scene_anim_effect.h"
#include "tests/parts/parts_test_support.h"
#include "tests/scene/test_scene.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

TEST(placeholder_parts, set_their_lengths_and_register_first)
{
    parts_engine();
    scene s(myengine, 0);
    effect* p3 = new part3(s);
    EXPECT_EQ(part_length, 27420);
    ASSERT_EQ(s.no_effects, 1);
    EXPECT_EQ(*s.effects.at(0), p3);
}

}  // namespace
}  // namespace vorlane
