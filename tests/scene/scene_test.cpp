#include "scene/scene.h"
#include "tests/engine/test_engine.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

bool is_identity(const matrix& m)
{
    for (int i = 0; i < 16; ++i)
        if (m.e[i] != identity_matrix.e[i])
            return false;
    return true;
}

TEST(scene_test, a_new_scene_is_empty_with_small_buffers)
{
    scene s(test_engine(), 0);
    EXPECT_EQ(s.no_objects + s.no_materials + s.no_meshes + s.no_lights + s.no_effects, 0);
    EXPECT_EQ(s.vb.capacity, 10);
    EXPECT_EQ(s.vb.fvf, 0x112u);
    EXPECT_EQ(s.ib.capacity, 10);
    EXPECT_FALSE(s.vb.locked);
    EXPECT_TRUE(s.depth_sort);
    EXPECT_EQ(s.clear_colour, 0u);
    EXPECT_TRUE(is_identity(s.view));
    EXPECT_TRUE(is_identity(s.projection));
    EXPECT_EQ(s.fov_track.spline, 1);
    EXPECT_EQ(s.cam_anim.tracks[8].spline, 1);
    EXPECT_EQ(s.frames_per_second, 0);
}

TEST(scene_test, elements_beyond_the_first_capacity_start_in_their_defaults)
{
    scene s(test_engine(), 0);
    material* m = s.materials.at(12);
    EXPECT_EQ(m->blend, -1);
    EXPECT_EQ(m->colour.r, 1);
    EXPECT_EQ(m->colour.a, 1);
    EXPECT_EQ(m->no_layers, 0);
    EXPECT_EQ(m->layers[1].texture, 0);
    EXPECT_EQ(m->layers[1].texgen, 0);
    EXPECT_TRUE(is_identity(m->layers[1].tex_matrix));

    object* o = s.objects.at(7);
    EXPECT_TRUE(is_identity(o->world));
    EXPECT_EQ(o->parent, 0);
    EXPECT_EQ(o->meshes, nullptr);
    EXPECT_EQ(o->anim.tracks[0].spline, 1);

    light* l = s.lights.at(9);
    EXPECT_EQ(l->type, 0);
    EXPECT_EQ(l->colour.r, 0);
    EXPECT_EQ(l->colour.a, 0);
    EXPECT_EQ(l->range, 0);
    EXPECT_EQ(l->attenuation[2], 0);
}

TEST(scene_test, add_object_gives_default_meshes_and_the_draw_list_follows_array_order)
{
    scene s(test_engine(), 0);
    object* a = s.add_object(2);
    EXPECT_EQ(a->mesh_count, 2);
    EXPECT_TRUE(a->meshes[1].visible);
    EXPECT_EQ(a->meshes[1].bbox[7].z, 0);
    EXPECT_EQ(a->meshes[1].material, 0);
    s.add_object(0);
    for (int i = 0; i < 6; ++i)  // grows the object array past its first 5
        s.add_object(1);
    EXPECT_EQ(s.no_objects, 8);

    s.build_draw_list();
    ASSERT_EQ(s.no_meshes, 8);
    // Earlier pointers stay valid: meshes do not move with the objects.
    EXPECT_EQ(*s.draw_list.at(0), &s.objects.at(0)->meshes[0]);
    EXPECT_EQ(*s.draw_list.at(1), &s.objects.at(0)->meshes[1]);
    EXPECT_EQ(*s.draw_list.at(2), &s.objects.at(2)->meshes[0]);
    EXPECT_EQ(*s.draw_list.at(7), &s.objects.at(7)->meshes[0]);

    s.build_draw_list();  // starts over, no duplicates
    EXPECT_EQ(s.no_meshes, 8);
}

TEST(scene_test, material_layers_are_handed_out_in_order)
{
    material m;
    layer* first = m.add_layer();
    layer* second = m.add_layer();
    EXPECT_EQ(first, &m.layers[0]);
    EXPECT_EQ(second, &m.layers[1]);
    EXPECT_EQ(m.no_layers, 2);
}

TEST(scene_death_test, a_third_layer_is_refused)
{
    material m;
    m.add_layer();
    m.add_layer();
    EXPECT_EXIT(m.add_layer(), testing::ExitedWithCode(255), "^A material has only two layers\n");
}

}  // namespace
}  // namespace vorlane
