#include "effects/dark_shard_sphere_effect.h"
#include "effects/glow_effect.h"
#include "effects/hbars_effect.h"
#include "effects/shard_sphere_effect.h"
#include "tests/parts/part2_test_scene.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

struct part2_construction : testing::Test {
    scene s{parts_engine(), 0};
    part2& p = second_part(s, 0);
};

TEST_F(part2_construction, the_stripe_picture_is_dark_ramps_up_and_has_a_bright_band)
{
    const material& walls = *s.materials.at(20);
    ASSERT_EQ(walls.no_layers, 1);
    const std::vector<std::uint8_t>& t = texels(walls.layers[0].texture);
    ASSERT_EQ(t.size(), 64u * 64 * 4);
    // (row, blue, green): rows mirror about the middle.
    const int rows[][3] = {{0, 0, 0},      {14, 0, 0},      {15, 0, 0},    {16, 9, 7},
                           {19, 123, 92},  {23, 204, 153},  {32, 204, 153}, {40, 204, 153},
                           {44, 123, 92},  {47, 9, 7},      {48, 0, 0},    {63, 0, 0}};
    for (const auto& row : rows)
        for (int x = 0; x < 64; x += 21) {
            const std::uint8_t* texel = &t[(row[0] * 64 + x) * 4];
            EXPECT_EQ(texel[0], row[1]) << row[0];
            EXPECT_EQ(texel[1], row[2]) << row[0];
            EXPECT_EQ(texel[2], 0) << row[0];
        }
}

TEST_F(part2_construction, the_box_is_a_tunnel_open_at_x_minus_1)
{
    s.vb.lock();
    s.ib.lock();
    // Triangles per face of the unit box, found by the coordinate all
    // three corners share.
    int faces[3][2] = {};
    for (int tri = 0; tri < 10; ++tri) {
        const fvf_vertex* c[3];
        for (int k = 0; k < 3; ++k)
            c[k] = s.vb.vertex(*s.ib.index(6 + 3 * tri + k));
        const float axis[3][3] = {{c[0]->x, c[1]->x, c[2]->x},
                                  {c[0]->y, c[1]->y, c[2]->y},
                                  {c[0]->z, c[1]->z, c[2]->z}};
        int shared = 0;
        for (int a = 0; a < 3; ++a)
            if (axis[a][0] == axis[a][1] && axis[a][1] == axis[a][2]) {
                ++faces[a][axis[a][0] > 0];
                ++shared;
            }
        EXPECT_EQ(shared, 1) << tri;
    }
    EXPECT_EQ(faces[0][0], 0);  // nothing at x = -1
    EXPECT_EQ(faces[0][1], 2);
    for (int a = 1; a < 3; ++a) {
        EXPECT_EQ(faces[a][0], 2) << a;
        EXPECT_EQ(faces[a][1], 2) << a;
    }
    // The label quads lie flat at z = 0; the second spans the texture.
    for (int k = 0; k < 4; ++k) {
        EXPECT_FLOAT_EQ(s.vb.vertex(k)->z, 0);
        EXPECT_FLOAT_EQ(s.vb.vertex(12 + k)->x, s.vb.vertex(k)->x);
        EXPECT_FLOAT_EQ(s.vb.vertex(12 + k)->v, s.vb.vertex(k)->v);
    }
    EXPECT_FLOAT_EQ(s.vb.vertex(1)->u, 0.625f);
    EXPECT_FLOAT_EQ(s.vb.vertex(13)->u, 1);
    EXPECT_FLOAT_EQ(s.vb.vertex(14)->u, 1);
    EXPECT_FLOAT_EQ(s.vb.vertex(15)->u, 0);
    s.ib.unlock();
    s.vb.unlock();
}

TEST_F(part2_construction, label_materials_glow_in_white_green_red_and_the_two_series)
{
    const float colours[14][3] = {{},          {1, 1, 1},     {0, 0.5f, 0},  {0.5f, 0, 0},
                                  {0, 0.25f, 0}, {0, 0.25f, 0}, {0, 0.25f, 0}, {0, 0.25f, 0},
                                  {0, 0.25f, 0}, {0, 0, 0.25f}, {0, 0, 0.25f}, {0, 0, 0.25f},
                                  {0, 0, 0.25f}, {0, 0, 0.25f}};
    for (int n = 1; n <= 13; ++n) {
        const material& m = *s.materials.at(n);
        EXPECT_FLOAT_EQ(m.colour.r, colours[n][0]) << n;
        EXPECT_FLOAT_EQ(m.colour.g, colours[n][1]) << n;
        EXPECT_FLOAT_EQ(m.colour.b, colours[n][2]) << n;
        EXPECT_EQ(m.blend, 2) << n;
        ASSERT_EQ(m.no_layers, 1) << n;
        EXPECT_EQ(m.layers[0].texture, label_tex[n]) << n;
        EXPECT_EQ(m.layers[0].texgen, 0) << n;
        EXPECT_EQ(m.layers[0].alpha_from_texture, 1) << n;
    }
    // The noise layer keeps part 1's camera-space texture.
    EXPECT_EQ(s.materials.at(0)->layers[0].texgen, 1);
    const material& walls = *s.materials.at(20);
    EXPECT_EQ(walls.blend, 0);
    EXPECT_FLOAT_EQ(walls.colour.g, 1000);
    EXPECT_EQ(walls.layers[0].alpha_from_texture, 0);
    EXPECT_EQ(walls.layers[0].texgen, 0);
    EXPECT_EQ(s.materials.at(30)->no_layers, 0);
}

TEST_F(part2_construction, objects_meshes_and_the_effect_list)
{
    ASSERT_EQ(s.no_objects, 15);
    ASSERT_EQ(s.no_meshes, 5);  // noise, three labels, tunnel
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(s.objects.at(i)->meshes[0].visible) << i;
    const mesh& word = s.objects.at(3)->meshes[0];
    EXPECT_EQ(word.min_index, 12);
    EXPECT_EQ(word.start_index, 36);
    // The tunnel, drawn as a frame test shows, waits hidden.
    const mesh& tunnel = s.objects.at(14)->meshes[0];
    EXPECT_FALSE(tunnel.visible);
    EXPECT_EQ(*s.draw_list.at(4), &tunnel);
    for (int i = 0; i < 15; ++i)
        for (const track& tr : s.objects.at(i)->anim.tracks)
            EXPECT_EQ(tr.spline, i == 2 || i == 3 ? 0 : 1) << i;
    EXPECT_EQ(s.no_lights, 0);
    EXPECT_FLOAT_EQ(s.frames_per_second, 20);
    EXPECT_EQ(part_length, 35000);
    EXPECT_FLOAT_EQ(p.cue_time, -1000);
    EXPECT_FLOAT_EQ(p.echo_brightness(0), 0.025f);

    // Animation, the part, the bars, five spheres, the glow, the dark
    // sphere; their geometry from vertex 50 and materials 21 to 28 on.
    ASSERT_EQ(s.no_effects, 10);
    EXPECT_EQ(*s.effects.at(0), &p.flight.anim);
    EXPECT_EQ(*s.effects.at(1), &p);
    EXPECT_EQ(static_cast<hbars_effect*>(*s.effects.at(2))->first_vertex, 50);
    EXPECT_EQ(static_cast<hbars_effect*>(*s.effects.at(2))->material, 21);
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(*s.effects.at(3 + i), p.spheres[i]);
        EXPECT_EQ(p.spheres[i]->index, i);
        EXPECT_EQ(p.spheres[i]->material, 22 + i);
        EXPECT_EQ(p.spheres[i]->enabled, 0);
    }
    EXPECT_EQ(static_cast<glow_effect*>(*s.effects.at(8))->material, 27);
    EXPECT_EQ(static_cast<dark_shard_sphere_effect*>(*s.effects.at(9))->material, 28);
    EXPECT_EQ(s.no_materials, 29);
}

}  // namespace
}  // namespace vorlane
