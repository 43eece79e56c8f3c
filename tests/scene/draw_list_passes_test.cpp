#include "scene/frame.h"
#include "tests/scene/test_scene.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

constexpr d3d_color_value red = {1, 0, 0, 1};
constexpr d3d_color_value green = {0, 1, 0, 1};
constexpr d3d_color_value blue = {0, 0, 1, 1};

// The quads lie on top of each other, so the last one drawn shows; the
// depth test is off, so the pixels tell the draw order alone.
class draw_list_passes_test : public testing::Test {
protected:
    lit_colour_only stage{false};
};

TEST_F(draw_list_passes_test, an_invisible_alpha_mesh_still_ends_the_unculled_pass)
{
    quad_scene q;
    q.s.depth_sort = false;
    q.add_quad(0.5f, true, red, -1);
    q.add_quad(0.5f, true, {1, 1, 1, 1}, 1)->visible = false;
    q.add_quad(0.5f, true, green, -1);   // front face: third pass
    q.add_quad(0.5f, false, blue, -1);   // back face: second pass
    q.s.build_draw_list();
    render(q.s);
    // Drawn in the first pass, blue would be last; drawn front faces
    // before back faces, blue would be last too.
    EXPECT_EQ(back_buffer_pixel(10, 10) & 0xFFFFFF, static_cast<std::uint32_t>(ambient_lit(1)) << 8);
    EXPECT_EQ(myengine.pd3dDev->state.cullmode, D3DCULL_CCW);
}

TEST_F(draw_list_passes_test, without_alpha_meshes_all_is_drawn_once_without_culling)
{
    quad_scene q;
    q.s.depth_sort = false;
    q.add_quad(0.5f, true, red, -1);
    // Additive and a back face: still drawn in the first pass, and once.
    q.add_quad(0.5f, false, {0, 0, 1, 0.5f}, 2);
    q.s.build_draw_list();
    render(q.s);
    std::uint32_t p = back_buffer_pixel(32, 24);
    EXPECT_EQ(channel(p, 16), ambient_lit(1));
    EXPECT_NEAR(channel(p, 0), ambient_lit(0.5f), 1);
    EXPECT_EQ(channel(p, 8), 0);
}

TEST_F(draw_list_passes_test, invisible_meshes_are_skipped_in_every_pass)
{
    quad_scene q;
    q.s.depth_sort = false;
    q.add_quad(0.5f, true, red, -1);
    q.add_quad(0.5f, true, green, -1)->visible = false;
    q.add_quad(0.5f, true, {0, 0, 1, 0.5f}, 1);
    q.add_quad(0.5f, false, blue, -1)->visible = false;
    q.s.build_draw_list();
    render(q.s);
    // Red, then half of the blue blended over it, once.
    std::uint32_t p = back_buffer_pixel(5, 40);
    EXPECT_NEAR(channel(p, 16), ambient_lit(0.5f), 1);
    EXPECT_NEAR(channel(p, 0), ambient_lit(0.5f), 1);
    EXPECT_EQ(channel(p, 8), 0);
}

TEST_F(draw_list_passes_test, the_sort_puts_alpha_meshes_last_farthest_first)
{
    quad_scene q;
    // Stored in the wrong order: the alpha quads first, the near one first.
    mesh* near_alpha = q.add_quad(0.2f, true, {0, 1, 0, 0.5f}, 1);
    mesh* far_alpha = q.add_quad(0.6f, true, {0, 0, 1, 0.5f}, 1);
    q.add_quad(0.9f, true, red, -1);
    for (mesh* m : {near_alpha, far_alpha})
        for (vector& c : m->bbox)
            c.set(0, 0, m == near_alpha ? 0.2f : 0.6f, 1);
    q.s.build_draw_list();
    render(q.s);
    // Red, then the far blue over it, then the near green over both.
    std::uint32_t p = back_buffer_pixel(60, 3);
    EXPECT_NEAR(channel(p, 16), ambient_lit(0.25f), 1);
    EXPECT_NEAR(channel(p, 0), ambient_lit(0.25f), 1);
    EXPECT_NEAR(channel(p, 8), ambient_lit(0.5f), 1);
}

}  // namespace
}  // namespace vorlane
