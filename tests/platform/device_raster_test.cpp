// Rasterisation as Direct3D does it: which winding each cull mode drops,
// where pixel centres lie, flat shading, the depth switches, clipping,
// lines, and the vertex and index ranges of draws (bad ones are dropped).

#include "tests/platform/device_support.h"

namespace vorlane::test {
namespace {

class raster_test : public device_test {
protected:
    void SetUp() override
    {
        device_test::SetUp();
        d.set_render_state(D3DRS_LIGHTING, 0);
        d.set_render_state(D3DRS_CULLMODE, D3DCULL_NONE);
    }

    // Clockwise on screen: top left, top right, bottom centre.
    void draw_clockwise()
    {
        write_vertices({{-0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, {0, -0.5f, 0.5f}});
        d.draw_primitive(D3DPT_TRIANGLELIST, 0, 1);
    }

    void draw_counter_clockwise()
    {
        write_vertices({{-0.5f, 0.5f, 0.5f}, {0, -0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}});
        d.draw_primitive(D3DPT_TRIANGLELIST, 0, 1);
    }

    bool drawn_at(int x, int y) { return unpack(pixel(x, y)).r > 128; }
    bool centre_drawn() { return drawn_at(32, 28); }

    // Lit white where the material says so, with the emissive colour.
    void use_emissive(float r, float g, float b)
    {
        d.set_render_state(D3DRS_LIGHTING, 1);
        d3d_material m;
        m.emissive = {r, g, b, 1};
        m.diffuse = {0, 0, 0, 1};
        d.set_material(m);
        d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    }
};

TEST_F(raster_test, cull_none_draws_both_windings)
{
    draw_clockwise();
    EXPECT_TRUE(centre_drawn());
    d.clear(D3DCLEAR_TARGET, 0, 1, 0);
    draw_counter_clockwise();
    EXPECT_TRUE(centre_drawn());
}

TEST_F(raster_test, cull_cw_drops_clockwise_triangles)
{
    d.set_render_state(D3DRS_CULLMODE, D3DCULL_CW);
    draw_clockwise();
    EXPECT_FALSE(centre_drawn());
    draw_counter_clockwise();
    EXPECT_TRUE(centre_drawn());
}

TEST_F(raster_test, cull_ccw_drops_counter_clockwise_triangles)
{
    d.set_render_state(D3DRS_CULLMODE, D3DCULL_CCW);
    draw_counter_clockwise();
    EXPECT_FALSE(centre_drawn());
    draw_clockwise();
    EXPECT_TRUE(centre_drawn());
}

TEST_F(raster_test, the_default_cull_mode_is_ccw)
{
    d.state = device_state{};
    d.set_render_state(D3DRS_LIGHTING, 0);
    draw_counter_clockwise();
    EXPECT_FALSE(centre_drawn());
}

TEST_F(raster_test, pixel_centres_lie_on_whole_coordinates)
{
    // Screen x from -0.25 to 10.25 and y from -0.25 to 5.25 covers the
    // centres of columns 0 to 10 and rows 0 to 5; with centres at +0.5 it
    // would stop one column and one row short.
    auto to_x = [](float sx) { return sx / 32 - 1; };
    auto to_y = [](float sy) { return 1 - sy / 32; };
    draw_quad(to_x(-0.25f), to_y(5.25f), to_x(10.25f), to_y(-0.25f));
    EXPECT_TRUE(drawn_at(0, 0));
    EXPECT_TRUE(drawn_at(10, 5));
    EXPECT_FALSE(drawn_at(11, 5));
    EXPECT_FALSE(drawn_at(10, 6));
}

TEST_F(raster_test, texels_line_up_half_a_texel_off_as_in_direct3d)
{
    // A 64-texel-wide ramp over 64 pixels with linear filtering: pixel x
    // samples u = x / 64, halfway between texels x - 1 and x (with centres
    // at +0.5 it would sample texel x alone).
    device_texture* t = d.create_texture(64, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    d3d_locked_rect r;
    ASSERT_TRUE(t->lock_rect(0, r));
    for (int x = 0; x < 64; ++x) {
        std::uint32_t c = 0xFF000000 | std::uint32_t(x < 32 ? 8 * x : 255) << 16;
        std::memcpy(static_cast<std::uint8_t*>(r.bits) + 4 * x, &c, 4);
    }
    t->unlock_rect(0);
    d.set_texture(0, t);
    d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d.set_texture_stage_state(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    d.set_texture_stage_state(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(pixel(10, 10), 76, 0, 0));  // (72 + 80) / 2
}

TEST_F(raster_test, flat_shading_takes_the_first_vertex)
{
    // Only the first vertex has a normal facing the default light, so it
    // alone is lit; flat shading spreads its colour over the triangle.
    d.set_render_state(D3DRS_LIGHTING, 1);
    d3d_material m;
    m.diffuse = {1, 1, 1, 1};
    d.set_material(m);
    d.light_enable(0, true);
    d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    write_vertices({{-1, 1, 0.5f, 0, 0, -1}, {1, 1, 0.5f}, {-1, -1, 0.5f}});
    d.draw_primitive(D3DPT_TRIANGLELIST, 0, 1);
    EXPECT_LT(unpack(pixel(20, 20)).r, 200);  // Gouraud: a blend
    d.set_render_state(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    d.draw_primitive(D3DPT_TRIANGLELIST, 0, 1);
    EXPECT_TRUE(near_rgb(pixel(20, 20), 255, 255, 255));
}

TEST_F(raster_test, nearer_surfaces_hide_farther_ones)
{
    use_emissive(1, 0, 0);
    draw_full_quad(0.3f);
    use_emissive(0, 1, 0);
    draw_full_quad(0.6f);
    EXPECT_TRUE(near_rgb(centre(), 255, 0, 0));
}

TEST_F(raster_test, without_depth_writes_later_draws_are_not_hidden)
{
    d.set_render_state(D3DRS_ZWRITEENABLE, 0);
    use_emissive(1, 0, 0);
    draw_full_quad(0.3f);
    use_emissive(0, 1, 0);
    draw_full_quad(0.6f);
    EXPECT_TRUE(near_rgb(centre(), 0, 255, 0));
}

TEST_F(raster_test, without_depth_test_the_last_draw_wins_and_writes_nothing)
{
    d.set_render_state(D3DRS_ZENABLE, D3DZB_FALSE);
    use_emissive(1, 0, 0);
    draw_full_quad(0.3f);
    use_emissive(0, 1, 0);
    draw_full_quad(0.6f);
    EXPECT_TRUE(near_rgb(centre(), 0, 255, 0));
    // Nothing was written: with the test back on, a far quad still shows.
    d.set_render_state(D3DRS_ZENABLE, D3DZB_TRUE);
    use_emissive(0, 0, 1);
    draw_full_quad(0.9f);
    EXPECT_TRUE(near_rgb(centre(), 0, 0, 255));
}

TEST_F(raster_test, depth_is_z_over_w_from_zero_to_one)
{
    // z = 1.0 lies on the far plane and still passes against a cleared
    // depth of 1.0; z = -0.1 lies in front of the near plane and is cut.
    draw_full_quad(1.0f);
    EXPECT_TRUE(centre_drawn());
    d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1, 0);
    draw_full_quad(-0.1f);
    EXPECT_FALSE(centre_drawn());
}

TEST_F(raster_test, switching_clipping_off_keeps_what_lies_beyond_the_far_plane)
{
    d.set_render_state(D3DRS_ZENABLE, D3DZB_FALSE);
    draw_full_quad(1.5f);
    EXPECT_FALSE(centre_drawn());
    d.set_render_state(D3DRS_CLIPPING, 0);
    draw_full_quad(1.5f);
    EXPECT_TRUE(centre_drawn());
}

TEST_F(raster_test, line_strip_draws_its_segments)
{
    // A horizontal then a vertical segment through pixel centres.
    auto x = [](float sx) { return sx / 32 - 1; };
    auto y = [](float sy) { return 1 - sy / 32; };
    write_vertices({{x(4), y(10), 0.5f}, {x(40), y(10), 0.5f}, {x(40), y(50), 0.5f}});
    d.draw_primitive(D3DPT_LINESTRIP, 0, 2);
    EXPECT_TRUE(drawn_at(20, 10));
    EXPECT_TRUE(drawn_at(40, 30));
    EXPECT_FALSE(drawn_at(20, 11));
    EXPECT_FALSE(drawn_at(41, 30));
}

TEST_F(raster_test, indexed_line_list_uses_start_index_and_base_vertex)
{
    auto x = [](float sx) { return sx / 32 - 1; };
    auto y = [](float sy) { return 1 - sy / 32; };
    // Vertices 10 and 11 (base 10, indices 0 and 1) make the line at row
    // 20; the indices before start index 2 would draw at row 40.
    write_vertices({{x(4), y(40), 0.5f}, {x(60), y(40), 0.5f}}, 0);
    write_vertices({{x(4), y(20), 0.5f}, {x(60), y(20), 0.5f}}, 10);
    write_indices({0, 1, 0, 1});
    write_indices({10, 11}, 0);
    write_indices({0, 1}, 2);
    d.set_indices(ib, 10);
    d.draw_indexed_primitive(D3DPT_LINELIST, 0, 2, 2, 1);
    EXPECT_TRUE(drawn_at(30, 20));
    EXPECT_FALSE(drawn_at(30, 40));
}

TEST_F(raster_test, indexed_triangles_with_a_minimum_index)
{
    write_vertices({{-1, 1, 0.5f}, {1, 1, 0.5f}, {-1, -1, 0.5f}, {1, -1, 0.5f}}, 10);
    write_indices({10, 11, 12, 12, 11, 13});
    d.draw_indexed_primitive(D3DPT_TRIANGLELIST, 10, 4, 0, 2);
    EXPECT_TRUE(drawn_at(2, 2));
    EXPECT_TRUE(drawn_at(60, 60));
}

TEST_F(raster_test, draws_past_the_end_of_a_buffer_are_dropped)
{
    // 64 vertices and 64 indices exist.
    write_vertices({{-1, 1, 0.5f}, {1, 1, 0.5f}, {-1, -1, 0.5f}, {1, -1, 0.5f}});
    d.draw_primitive(D3DPT_TRIANGLESTRIP, 62, 2);
    d.draw_primitive(D3DPT_TRIANGLELIST, 0, 100);
    write_indices({0, 1, 2, 2, 1, 500});
    d.draw_indexed_primitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2);
    d.draw_indexed_primitive(D3DPT_TRIANGLELIST, 0, 4, 60, 2);
    d.set_indices(ib, 70000);
    d.draw_indexed_primitive(D3DPT_TRIANGLELIST, 0, 4, 0, 1);
    EXPECT_FALSE(drawn_at(2, 2));
    EXPECT_FALSE(drawn_at(60, 60));
}

TEST_F(raster_test, nothing_is_drawn_without_a_usable_stream)
{
    write_vertices({{-1, 1, 0.5f}, {1, 1, 0.5f}, {-1, -1, 0.5f}, {1, -1, 0.5f}});
    d.set_vertex_shader(D3DFVF_NORMAL);  // no position
    d.draw_primitive(D3DPT_TRIANGLESTRIP, 0, 2);
    d.set_vertex_shader(0x112);
    d.set_stream_source(0, vb, 16);  // stride shorter than the vertex
    d.draw_primitive(D3DPT_TRIANGLESTRIP, 0, 2);
    d.set_stream_source(0, nullptr, 32);
    d.draw_primitive(D3DPT_TRIANGLESTRIP, 0, 2);
    EXPECT_FALSE(centre_drawn());
}

}  // namespace
}  // namespace vorlane::test
