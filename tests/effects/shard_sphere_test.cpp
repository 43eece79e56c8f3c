#include "effects/dark_shard_sphere_effect.h"
#include "effects/shard_shell.h"
#include "effects/shard_sphere_effect.h"
#include "scene/frame.h"
#include "tests/parts/parts_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorlane {
namespace {

struct point {
    double x = 0, y = 0, z = 0;
};

// The shell computed from the generator in double precision: per shard a
// direction (z, y, x drawn in that order) pushed out to 100, then three
// jittered copies brought back to the unit sphere and scaled to 0.8 ... 0.998.
std::vector<point> reference_shell(reference_rand& r)
{
    std::vector<point> out;
    for (int shard = 0; shard < 200; ++shard) {
        point d;
        d.z = r.next() - 16383;
        d.y = r.next() - 16383;
        d.x = r.next() - 16383;
        const double n = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
        d = {d.x / n * 100, d.y / n * 100, d.z / n * 100};
        for (int k = 0; k < 3; ++k) {
            point p = d;
            p.z += r.next() % 100 - 50;
            p.y += r.next() % 100 - 50;
            p.x += r.next() % 100 - 50;
            const double len = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
            const double radius = (r.next() % 100) / 500.0 + 0.8;
            out.push_back({p.x / len * radius, p.y / len * radius, p.z / len * radius});
        }
    }
    return out;
}

TEST(shard_sphere, shell_follows_the_generator_draw_by_draw)
{
    parts_engine();
    scene s(myengine, 0);
    s.no_vertices = 7;  // the shell goes behind what is there
    rand_state = 1;
    auto* e = s.make<shard_sphere_effect>(3);

    reference_rand r;
    const std::vector<point> expected = reference_shell(r);
    ASSERT_EQ(e->first_vertex, 7);
    EXPECT_EQ(s.no_vertices, 7 + 600);
    // Exactly 2400 draws were taken.
    EXPECT_EQ(rand(), r.next());

    s.vb.lock();
    for (int i = 0; i < 600; ++i) {
        const fvf_vertex& v = *s.vb.vertex(7 + i);
        ASSERT_NEAR(v.x, expected[i].x, 1e-5) << i;
        ASSERT_NEAR(v.y, expected[i].y, 1e-5) << i;
        ASSERT_NEAR(v.z, expected[i].z, 1e-5) << i;
        const double radius = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
        EXPECT_GE(radius, 0.8 - 1e-5);
        EXPECT_LE(radius, 0.998 + 1e-5);
    }
    s.vb.unlock();
}

TEST(shard_sphere, shells_cover_the_whole_sphere)
{
    parts_engine();
    scene s(myengine, 0);
    rand_state = 1;
    append_shard_shell(s);
    s.vb.lock();
    int octants[8] = {};
    for (int shard = 0; shard < 200; ++shard) {
        const fvf_vertex& a = *s.vb.vertex(3 * shard);
        ++octants[(a.x > 0) + 2 * (a.y > 0) + 4 * (a.z > 0)];
    }
    s.vb.unlock();
    for (int n : octants)
        EXPECT_GT(n, 5);
}

TEST(shard_sphere, registers_with_its_material_and_starts_switched_off)
{
    parts_engine();
    scene s(myengine, 0);
    s.no_materials = 2;
    auto* e = s.make<shard_sphere_effect>(4);
    EXPECT_EQ(s.no_effects, 1);
    EXPECT_EQ(*s.effects.at(0), e);
    EXPECT_EQ(e->index, 4);
    EXPECT_EQ(e->enabled, 0);
    ASSERT_EQ(e->material, 2);
    EXPECT_EQ(s.no_materials, 3);
    const material& m = *s.materials.at(2);
    EXPECT_FLOAT_EQ(m.colour.r, 0.8f);
    EXPECT_FLOAT_EQ(m.colour.a, 1.0f);
    EXPECT_EQ(m.blend, 2);
    EXPECT_EQ(m.no_layers, 0);
}

TEST(shard_sphere, switched_off_it_draws_nothing_and_leaves_the_device_alone)
{
    parts_engine();
    scene s(myengine, 0);
    auto* e = s.make<shard_sphere_effect>(2);
    device& d = *pd3dDev;
    d.set_render_state(D3DRS_FOGENABLE, 0);
    d.set_render_state(D3DRS_ZENABLE, D3DZB_TRUE);
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d3d_material marker;
    marker.diffuse = {0.25f, 0.5f, 0.75f, 0.125f};
    d.set_material(marker);
    set_part_time(3000);
    render(s);

    EXPECT_EQ(d.state.fogenable, 0u);
    EXPECT_EQ(d.state.zenable, static_cast<std::uint32_t>(D3DZB_TRUE));
    EXPECT_EQ(d.state.stages[0].color_arg1, static_cast<std::uint32_t>(D3DTA_TEXTURE));
    EXPECT_FLOAT_EQ(d.state.material.diffuse.a, 0.125f);
    EXPECT_EQ(brightness(frame_pixels(), 0, 0, test_width, test_height), 0);

    e->enabled = 1;
    render(s);
    EXPECT_GT(brightness(frame_pixels(), 0, 0, test_width, test_height), 0);
}

TEST(shard_sphere, switched_on_it_leaves_fog_depth_and_the_scaled_camera)
{
    parts_engine();
    scene s(myengine, 0);
    auto* e = s.make<shard_sphere_effect>(1);
    e->enabled = 1;
    device& d = *pd3dDev;
    set_part_time(2000);
    render(s);

    EXPECT_EQ(d.state.fogenable, 1u);
    EXPECT_EQ(d.state.zenable, static_cast<std::uint32_t>(D3DZB_TRUE));
    EXPECT_EQ(d.state.stages[0].color_arg1, static_cast<std::uint32_t>(D3DTA_TEXTURE));
    EXPECT_EQ(d.state.stages[0].alpha_arg1, static_cast<std::uint32_t>(D3DTA_DIFFUSE));
    // Fainter further along the row: (1 - 0.2) x 0.5.
    EXPECT_FLOAT_EQ(d.state.material.diffuse.a, 0.4f);
    EXPECT_EQ(d.state.destblend, static_cast<std::uint32_t>(D3DBLEND_ONE));

    // The view keeps the four layers' scaling 1.2 x 0.8 x 0.8 x 1.5.
    EXPECT_NEAR(s.view(0, 0), 1.152f, 1e-5);
    EXPECT_NEAR(s.view(2, 2), 1.152f, 1e-5);
    EXPECT_FLOAT_EQ(s.view(3, 0), 4);
    EXPECT_FLOAT_EQ(s.view(3, 1), 6);
    EXPECT_FLOAT_EQ(s.view(3, 2), 15);
    for (int k = 0; k < 16; ++k)
        EXPECT_FLOAT_EQ(d.state.view.m[k], s.view.e[k]) << k;
    EXPECT_FLOAT_EQ(s.projection(1, 1), 2.0f);
    EXPECT_FLOAT_EQ(s.projection(0, 0), 1.5f);

    // The last layer turns by (pi sin s, 0, 2 pi sin s) with s 1.5 seconds
    // (the second sphere runs 500 ms behind).
    const float sine = static_cast<float>(std::sin(1.5));
    matrix last = identity_matrix;
    last.rotate_ypr(3.14159f * sine, 0, 6.28318f * sine);
    for (int k = 0; k < 16; ++k)
        EXPECT_NEAR(d.state.world.m[k], last.e[k], 1e-5) << k;
}

TEST(dark_shard_sphere, slides_in_and_leaves_the_diffuse_argument)
{
    parts_engine();
    scene s(myengine, 0);
    auto* e = s.make<dark_shard_sphere_effect>(0);
    EXPECT_EQ(e->first_vertex, 0);
    const material& m = *s.materials.at(e->material);
    EXPECT_FLOAT_EQ(m.colour.r, 0);
    EXPECT_FLOAT_EQ(m.colour.a, 0.1f);
    EXPECT_EQ(m.blend, 1);

    device& d = *pd3dDev;
    d.set_render_state(D3DRS_ZENABLE, D3DZB_FALSE);
    set_part_time(0);
    render(s);
    EXPECT_EQ(d.state.fogenable, 1u);
    EXPECT_EQ(d.state.zenable, static_cast<std::uint32_t>(D3DZB_FALSE));  // not its business
    EXPECT_EQ(d.state.stages[0].color_arg1, static_cast<std::uint32_t>(D3DTA_DIFFUSE));
    EXPECT_FLOAT_EQ(d.state.material.diffuse.a, 0.1f);
    // From the right at 11 units, scaled by 1.0 x 0.8 x 0.8 x 1.5.
    EXPECT_FLOAT_EQ(s.view(3, 0), 11);
    EXPECT_FLOAT_EQ(s.view(3, 1), -1);
    EXPECT_FLOAT_EQ(s.view(3, 2), 4);
    EXPECT_NEAR(s.view(0, 0), 0.96f, 1e-5);

    set_part_time(10000);
    render(s);
    EXPECT_FLOAT_EQ(s.view(3, 0), 2);
    EXPECT_NEAR(s.view(3, 1), -7, 1e-5);
    d.set_render_state(D3DRS_ZENABLE, D3DZB_TRUE);
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
}

}  // namespace
}  // namespace vorlane
