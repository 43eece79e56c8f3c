#include "scene/scene.h"
#include "tests/engine/test_engine.h"

#include <gtest/gtest.h>

#include <vector>

namespace vorlane {
namespace {

// A scene of one object per mesh, each mesh a point box at depth z (with
// the identity camera) and with material blend.
struct sort_scene {
    scene s{test_engine(), 0};

    mesh* add(int blend, float z)
    {
        int n = s.no_objects;
        object* o = s.add_object(1);
        mesh* m = &o->meshes[0];
        m->object = n;
        m->material = n;
        s.materials.at(n)->blend = blend;
        for (vector& c : m->bbox)
            c.set(0, 0, z, 1);
        return m;
    }

    std::vector<mesh*> order()
    {
        std::vector<mesh*> out;
        for (int i = 0; i < s.no_meshes; ++i)
            out.push_back(*s.draw_list.at(i));
        return out;
    }
};

TEST(draw_list_sort_test, blend_first_then_farthest_first)
{
    sort_scene t;
    mesh* additive = t.add(2, 50);
    mesh* near_opaque = t.add(-1, 1);
    mesh* alpha = t.add(1, 3);
    mesh* zero = t.add(0, 100);
    mesh* far_opaque = t.add(-1, 9);
    mesh* far_alpha = t.add(1, 30);
    t.s.build_draw_list();
    t.s.sort_draw_list();
    EXPECT_EQ(t.order(), (std::vector<mesh*>{far_opaque, near_opaque, zero, far_alpha, alpha, additive}));
    EXPECT_EQ(far_alpha->depth, 30);
}

TEST(draw_list_sort_test, equal_entries_swap_on_every_sort)
{
    sort_scene t;
    mesh* a = t.add(1, 4);
    mesh* b = t.add(1, 4);
    t.s.build_draw_list();
    t.s.sort_draw_list();
    EXPECT_EQ(t.order(), (std::vector<mesh*>{b, a}));
    t.s.sort_draw_list();
    EXPECT_EQ(t.order(), (std::vector<mesh*>{a, b}));

    mesh* c = t.add(1, 4);
    t.s.build_draw_list();
    t.s.sort_draw_list();
    EXPECT_EQ(t.order(), (std::vector<mesh*>{c, b, a}));
}

TEST(draw_list_sort_test, depth_is_the_largest_z_under_view_times_world)
{
    sort_scene t;
    mesh* m = t.add(-1, 0);
    for (vector& c : m->bbox)
        c.set(1, 0, 0, 1);
    m->bbox[5].set(0, 0, 0, 1);
    // The view moves by 10 along z; the world turns x into z and z into -x.
    t.s.view.move(0, 0, 10);
    matrix& world = t.s.objects.at(0)->world;
    world.set_row(0, {0, 0, 1, 0});
    world.set_row(2, {-1, 0, 0, 0});
    t.s.build_draw_list();
    t.s.sort_draw_list();
    // (1, 0, 0) goes through the view to (1, 0, 10), then the world turns
    // it into (-10, 0, 1); the other order would give z = 11.
    EXPECT_FLOAT_EQ(m->view_bbox[0].x, -10);
    EXPECT_FLOAT_EQ(m->view_bbox[0].z, 1);
    EXPECT_FLOAT_EQ(m->view_bbox[5].z, 0);
    EXPECT_FLOAT_EQ(m->depth, 1);
}

TEST(draw_list_sort_test, depth_never_drops_below_minus_one)
{
    sort_scene t;
    mesh* behind = t.add(-1, -5);
    mesh* edge = t.add(-1, -1);
    t.s.build_draw_list();
    t.s.sort_draw_list();
    EXPECT_EQ(behind->depth, -1);
    EXPECT_EQ(edge->depth, -1);
    // Equal after clamping: they swap like any equal pair.
    EXPECT_EQ(t.order(), (std::vector<mesh*>{edge, behind}));
}

TEST(draw_list_sort_test, a_material_number_past_the_list_reads_a_default_opaque_material)
{
    sort_scene t;
    mesh* alpha = t.add(1, 5);
    mesh* stray = t.add(1, 5);
    stray->material = 40;
    t.s.build_draw_list();
    t.s.sort_draw_list();
    EXPECT_EQ(t.order(), (std::vector<mesh*>{stray, alpha}));
    EXPECT_EQ(t.s.materials.at(40)->blend, -1);
}

}  // namespace
}  // namespace vorlane
