// Held draws: a run of indexed draws that differ only in world matrix and
// material goes out as one instanced draw. The same draws with batching
// off must give the same pixels, and every call that the held draws
// depend on must draw them first.

#include "device_support.h"

#include "platform/gl_backend.h"

#include <functional>
#include <vector>

namespace vorlane::test {
namespace {

class batch_test : public device_test {
protected:
    void SetUp() override
    {
        device_test::SetUp();
        // A quad of 0.2 x 0.2 around the origin, facing the viewer, and
        // its outline as lines.
        write_vertices({{-0.1f, -0.1f, 0.5f, 0, 0, -1},
                        {0.1f, -0.1f, 0.5f, 0, 0, -1},
                        {-0.1f, 0.1f, 0.5f, 0, 0, -1},
                        {0.1f, 0.1f, 0.5f, 0, 0, -1}});
        write_indices({0, 1, 2, 2, 1, 3, 0, 1, 1, 3, 3, 2, 2, 0});
        d.set_render_state(D3DRS_CULLMODE, D3DCULL_NONE);
        d.set_render_state(D3DRS_AMBIENT, 0xFF202020);
        d3d_light sun;
        sun.type = D3DLIGHT_DIRECTIONAL;
        sun.diffuse = {0.6f, 0.6f, 0.6f, 0};
        sun.direction = {0.3f, 0, 1};
        d.set_light(0, sun);
        d.light_enable(0, true);
        d3d_light lamp;
        lamp.type = D3DLIGHT_POINT;
        lamp.diffuse = lamp.ambient = {0, 0.2f, 0.8f, 0};
        lamp.position = {0.5f, 0.5f, 0};
        lamp.range = 3;
        lamp.attenuation0 = 1;
        lamp.attenuation1 = 1;
        d.set_light(1, lamp);
        d.light_enable(1, true);
    }

    void TearDown() override { d.batching = true; }

    // Cube n of a row: its own place, stretch and colour.
    void place(int n)
    {
        const float world[16] = {1 + 0.3f * n, 0, 0, 0, 0, 1.5f - 0.2f * n, 0, 0, 0, 0, 1, 0,
                                 -0.75f + 0.3f * n, 0.4f - 0.15f * n, 0, 1};
        d.set_transform(D3DTS_WORLD, world);
        d3d_material m;
        m.diffuse = {0.2f * n, 1 - 0.15f * n, 0.5f, 0.5f + 0.1f * n};
        m.ambient = {1, 0.5f, 0.1f * n, 0};
        m.emissive = {0.05f * n, 0, 0, 0};
        d.set_material(m);
    }

    void draw_face() { d.draw_indexed_primitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2); }
    void draw_outline() { d.draw_indexed_primitive(D3DPT_LINELIST, 0, 4, 6, 4); }

    // The back buffer after draws with batching on, then the same with it
    // off; both must show something.
    void expect_same_pixels(const std::function<void()>& draws)
    {
        std::vector<std::uint32_t> pictures[2];
        for (bool batching : {true, false}) {
            d.batching = batching;
            d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
            draws();
            pictures[batching ? 0 : 1] = d.read_surface(d.get_back_buffer());
        }
        d.batching = true;
        int drawn = 0;
        for (std::uint32_t p : pictures[1])
            drawn += p != 0xFF000000;
        EXPECT_GT(drawn, 100);
        EXPECT_TRUE(pictures[0] == pictures[1]);
    }

    std::size_t held() const { return d.gl->held.draws.size(); }
};

TEST_F(batch_test, a_run_of_lit_draws_overlapping_in_blend_gives_the_pictures_of_single_draws)
{
    d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d.set_render_state(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    expect_same_pixels([&] {
        for (int n = 0; n < 6; ++n) {
            place(n);
            draw_face();
        }
        EXPECT_EQ(held(), d.batching ? 6u : 0u);
    });
}

TEST_F(batch_test, a_state_change_inside_a_run_splits_it_where_it_happens)
{
    expect_same_pixels([&] {
        for (int n = 0; n < 6; ++n) {
            if (n == 3) {
                d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
                d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_ONE);
                d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_ONE);
                EXPECT_EQ(held(), 0u);
            }
            place(n);
            draw_face();
        }
        d.set_render_state(D3DRS_ALPHABLENDENABLE, 0);
    });
}

TEST_F(batch_test, a_light_switched_off_and_on_around_outlines_lights_each_draw_as_it_was_set)
{
    expect_same_pixels([&] {
        for (int n = 0; n < 6; ++n) {
            place(n);
            draw_face();
            d.light_enable(0, false);
            d.set_render_state(D3DRS_AMBIENT, 0xFFFFFFFF);
            draw_outline();
            d.set_render_state(D3DRS_AMBIENT, 0xFF202020);
            d.light_enable(0, true);
        }
    });
    // Switched between draws, even back to what it was, the light ends the
    // run: each draw goes out with the lights it was drawn with.
    for (int n = 0; n < 3; ++n) {
        d.light_enable(0, true);
        d.light_enable(0, false);
        place(n);
        draw_outline();
    }
    EXPECT_EQ(held(), 1u);
}

TEST_F(batch_test, held_draws_keep_the_vertices_they_were_drawn_with)
{
    expect_same_pixels([&] {
        place(0);
        draw_face();
        place(1);
        draw_face();
        // The quad moves to the right half; the draws before keep the old
        // one.
        auto* v = static_cast<vertex*>(vb->lock());
        for (int i = 0; i < 4; ++i)
            v[i].x += 0.5f;
        vb->unlock();
        place(2);
        draw_face();
        v = static_cast<vertex*>(vb->lock());
        for (int i = 0; i < 4; ++i)
            v[i].x -= 0.5f;
        vb->unlock();
    });
}

TEST_F(batch_test, draws_into_a_render_target_are_there_when_it_is_read_or_left)
{
    device_texture* t = d.create_texture(back_width, back_height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                         D3DPOOL_DEFAULT);
    ASSERT_NE(t, nullptr);
    device_surface* target = t->get_surface_level(0);
    ASSERT_TRUE(d.set_render_target(target, nullptr));
    d.set_render_state(D3DRS_ZENABLE, D3DZB_FALSE);
    for (int n = 0; n < 4; ++n) {
        place(n);
        draw_face();
    }
    EXPECT_EQ(held(), 4u);
    std::vector<std::uint32_t> read = d.read_surface(target);
    EXPECT_EQ(held(), 0u);
    int drawn = 0;
    for (std::uint32_t p : read)
        drawn += p != 0;
    EXPECT_GT(drawn, 100);

    // Held draws go to the target they were drawn into, not the next one.
    d.clear(D3DCLEAR_TARGET, 0, 1.0f, 0);
    place(0);
    draw_face();
    place(1);
    draw_face();
    ASSERT_TRUE(d.set_render_target(d.get_back_buffer(), nullptr));
    d.clear(D3DCLEAR_TARGET, 0, 1.0f, 0);
    EXPECT_EQ(d.read_surface(d.get_back_buffer()), std::vector<std::uint32_t>(back_width * back_height, 0));
    read = d.read_surface(target);
    drawn = 0;
    for (std::uint32_t p : read)
        drawn += p != 0;
    EXPECT_GT(drawn, 100);
    d.destroy(t);
}

// Draws added onto the target without writing depth give the same pixels
// in any order: they are held across changes of texture, and go out a
// group per texture and sampler.
class commuting_test : public batch_test {
protected:
    void SetUp() override
    {
        batch_test::SetUp();
        write_vertices({{-0.1f, -0.1f, 0.5f, 0, 0, -1, 0, 1},
                        {0.1f, -0.1f, 0.5f, 0, 0, -1, 1, 1},
                        {-0.1f, 0.1f, 0.5f, 0, 0, -1, 0, 0},
                        {0.1f, 0.1f, 0.5f, 0, 0, -1, 1, 0}});
        d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
        d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_ONE);
        d.set_render_state(D3DRS_ZWRITEENABLE, 0);
        d.set_texture_stage_state(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        d.set_texture_stage_state(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        d.set_texture_stage_state(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
        for (int k = 0; k < 2; ++k)
            textures[k] = striped_texture(k);
    }

    // 16 x 16 with its full chain, every level in a colour of its own and
    // the base level striped, so that a draw sampled with the wrong
    // texture or the wrong filters shows.
    device_texture* striped_texture(int k)
    {
        device_texture* t = d.create_texture(16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
        for (int level = 0; level < t->levels; ++level) {
            d3d_locked_rect r;
            EXPECT_TRUE(t->lock_rect(level, r));
            auto* p = static_cast<std::uint32_t*>(r.bits);
            const int w = t->level_width(level);
            for (int i = 0; i < w * t->level_height(level); ++i)
                p[i] = level == 0 ? ((i % w) / 2 % 2 ? 0xC0F04010u : 0x40104080u) << k
                                  : 0x80000000u | (0x3F << (8 * (level % 3))) >> k;
            t->unlock_rect(level);
        }
        return t;
    }

    // Quad n: texture n % 2, magnified (4 times 6 pixels across 16 texels)
    // or minified in turns of two, the first two magnified (so that a group
    // led by them and sampled their way would show), each with its place
    // and colour.
    void draw_quad_n(int n)
    {
        d.set_texture(0, textures[n % 2]);
        const float size = n / 2 % 2 ? 1.0f : 4.0f;
        const float world[16] = {size, 0, 0, 0, 0, size, 0, 0, 0, 0, 1, 0, -0.6f + 0.15f * n, 0.5f - 0.12f * n, 0, 1};
        d.set_transform(D3DTS_WORLD, world);
        d3d_material m;
        m.diffuse = m.ambient = {0.3f + 0.1f * n, 0.9f - 0.1f * n, 0.6f, 0.4f + 0.07f * n};
        d.set_material(m);
        draw_face();
    }

    void TearDown() override
    {
        batch_test::TearDown();
        d.clip_every_draw = false;
    }

    device_texture* textures[2] = {};
};

TEST_F(commuting_test, added_draws_of_two_textures_go_out_grouped_with_the_pixels_of_single_draws)
{
    expect_same_pixels([&] {
        for (int n = 0; n < 8; ++n)
            draw_quad_n(n);
        EXPECT_EQ(held(), d.batching ? 8u : 0u);
        // A draw that is not held after them samples the texture set last.
        d.set_texture(0, textures[0]);
        d.draw_primitive(D3DPT_TRIANGLESTRIP, 0, 2);
        EXPECT_EQ(held(), 0u);
        d.set_texture(0, nullptr);
    });
}

TEST_F(commuting_test, held_draws_cut_to_their_texels_or_with_none_to_show_keep_their_pixels)
{
    d.clip_every_draw = true;
    // Ink in the top left quarter only.
    device_texture* corner = d.create_texture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    d3d_locked_rect r;
    ASSERT_TRUE(corner->lock_rect(0, r));
    for (int i = 0; i < 256; ++i)
        static_cast<std::uint32_t*>(r.bits)[i] = i % 16 < 8 && i / 16 < 8 ? 0xFFE0A040u : 0x00FFFFFFu;
    corner->unlock_rect(0);
    textures[0] = corner;
    textures[1] = solid_texture(0x00FFFFFF);  // clear everywhere
    expect_same_pixels([&] {
        for (int n = 0; n < 4; ++n)
            draw_quad_n(n);
        EXPECT_EQ(held(), d.batching ? 4u : 0u);
    });
}

TEST_F(commuting_test, a_group_leaves_fog_out_only_when_it_reaches_none_of_its_draws)
{
    // Clip w is the camera z; black fog from 1.5 to 3 over it. The first
    // draws lie nearer than the fog, the last two in it.
    const float projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0};
    d.set_transform(D3DTS_PROJECTION, projection);
    d.set_render_state(D3DRS_FOGENABLE, 1);
    d.set_render_state(D3DRS_FOGCOLOR, 0);
    d.set_render_state(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
    d.set_render_state(D3DRS_FOGSTART, float_bits(1.5f));
    d.set_render_state(D3DRS_FOGEND, float_bits(3.0f));
    d.set_texture(0, textures[0]);
    expect_same_pixels([&] {
        for (int n = 0; n < 6; ++n) {
            const float z = n < 4 ? 0.5f : 2.2f;
            const float world[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, (-0.6f + 0.25f * n) * z, 0.1f * z, z, 1};
            d.set_transform(D3DTS_WORLD, world);
            d3d_material m;
            m.diffuse = m.ambient = {1, 1, 1, 1};
            d.set_material(m);
            draw_face();
        }
        EXPECT_EQ(held(), d.batching ? 6u : 0u);
    });
}

TEST_F(commuting_test, draws_whose_order_shows_go_out_one_by_one)
{
    const std::vector<std::function<void()>> order_shows = {
        [&] { d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA); },
        [&] { d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_INVDESTCOLOR); },
        [&] { d.set_render_state(D3DRS_ZWRITEENABLE, 1); },
        [&] { d.set_texture(1, textures[1]); },
    };
    for (std::size_t i = 0; i < order_shows.size(); ++i) {
        SetUp();
        order_shows[i]();
        expect_same_pixels([&] {
            for (int n = 0; n < 4; ++n)
                draw_quad_n(n);
            EXPECT_EQ(held(), 0u) << "case " << i;
        });
        d.set_texture(1, nullptr);
    }
}

TEST_F(batch_test, held_draws_go_out_before_what_depends_on_them_and_not_before_world_or_material)
{
    auto hold_two = [&] {
        place(0);
        draw_face();
        place(1);
        draw_face();
        ASSERT_EQ(held(), 2u);
    };
    hold_two();
    // The same values again change nothing.
    d.set_render_state(D3DRS_CULLMODE, D3DCULL_NONE);
    d.light_enable(0, true);
    d.set_stream_source(0, vb, sizeof(vertex));
    EXPECT_EQ(held(), 2u);
    // Another index range, another primitive type or a draw of the stream.
    draw_outline();
    EXPECT_EQ(held(), 1u);
    write_vertices({{-0.1f, -0.1f, 0.5f, 0, 0, -1}});
    EXPECT_EQ(held(), 0u);

    const std::vector<std::function<void()>> flushes = {
        [&] { d.set_render_state(D3DRS_ZWRITEENABLE, 0); },
        [&] { d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1); },
        [&] {
            const float zoom[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
            d.set_transform(D3DTS_VIEW, zoom);
        },
        [&] {
            d3d_light l;
            l.type = D3DLIGHT_DIRECTIONAL;
            d.set_light(1, l);
        },
        [&] { d.set_indices(ib, 1); },
        [&] { d.set_texture(0, solid_texture(0xFFFFFFFF)); },
        [&] { d.apply_state_block(d.create_state_block(D3DSBT_ALL)); },
        [&] { d.clear(D3DCLEAR_TARGET, 0, 1.0f, 0); },
        [&] { d.draw_primitive(D3DPT_TRIANGLELIST, 0, 1); },
        [&] { d.present(); },
        [&] { d.destroy(d.create_index_buffer(16, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT)); },
    };
    for (std::size_t i = 0; i < flushes.size(); ++i) {
        SetUp();
        hold_two();
        flushes[i]();
        EXPECT_EQ(held(), 0u) << "call " << i;
    }

    // A textured draw or one with batching off goes out at once.
    SetUp();
    d.set_texture(0, solid_texture(0xFFFFFFFF));
    place(0);
    draw_face();
    EXPECT_EQ(held(), 0u);
    d.set_texture(0, nullptr);
    d.batching = false;
    draw_face();
    EXPECT_EQ(held(), 0u);
}

}  // namespace
}  // namespace vorlane::test
