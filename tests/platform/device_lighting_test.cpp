// Per-vertex lighting in camera space: point lights with their attenuation
// and range, directional lights at known angles, ambient terms, clamping,
// and how normals are transformed. Every quad below is lit the same at its
// four corners, so its centre pixel shows the computed colour.

#include "tests/platform/device_support.h"

namespace vorlane::test {
namespace {

class lighting_test : public device_test {
protected:
    void SetUp() override
    {
        device_test::SetUp();
        d.set_render_state(D3DRS_LIGHTING, 1);
        d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    }

    void set_material(d3d_color_value diffuse, d3d_color_value ambient = {})
    {
        d3d_material m;
        m.diffuse = diffuse;
        m.ambient = ambient;
        d.set_material(m);
    }

    d3d_light point_light(float x, float y, float z, float range)
    {
        d3d_light l;
        l.type = D3DLIGHT_POINT;
        l.diffuse = {1, 1, 1, 1};
        l.position = {x, y, z};
        l.range = range;
        l.attenuation0 = 1;
        l.attenuation1 = -2;
        l.attenuation2 = 1;
        return l;
    }

    d3d_light directional(float x, float y, float z)
    {
        d3d_light l;
        l.type = D3DLIGHT_DIRECTIONAL;
        l.diffuse = {1, 1, 1, 1};
        l.direction = {x, y, z};
        return l;
    }

    void use_light(const d3d_light& l)
    {
        ASSERT_TRUE(d.set_light(0, l));
        ASSERT_TRUE(d.light_enable(0, true));
    }
};

TEST_F(lighting_test, point_light_at_distance_three_is_attenuated_to_a_quarter)
{
    // Corners (+-1, +-1, 0.5), light on the axis sqrt(7) in front: every
    // corner is 3 away, N.L = sqrt(7) / 3, attenuation 1 / (1 - 6 + 9).
    d3d_light l = point_light(0, 0, 0.5f - std::sqrt(7.0f), 100);
    l.ambient = {0.4f, 0.4f, 0.4f, 1};
    use_light(l);
    set_material({1, 0.5f, 0.25f, 1}, {1, 1, 1, 1});
    draw_full_quad();
    float n_dot_l = std::sqrt(7.0f) / 3;
    EXPECT_TRUE(near_rgb(centre(), int(255 * (0.25f * n_dot_l + 0.1f) + 0.5f),
                         int(255 * (0.25f * n_dot_l * 0.5f + 0.1f) + 0.5f),
                         int(255 * (0.25f * n_dot_l * 0.25f + 0.1f) + 0.5f)));
}

TEST_F(lighting_test, point_light_at_distance_one_half_is_amplified_fourfold)
{
    // Corners (+-0.25, +-0.25, 0.5), light sqrt(0.125) in front: distance
    // 0.5, N.L = 0.7071, attenuation 1 / (1 - 1 + 0.25) = 4.
    use_light(point_light(0, 0, 0.5f - std::sqrt(0.125f), 100));
    set_material({0.1f, 0.05f, 0.02f, 1});
    draw_quad(-0.25f, -0.25f, 0.25f, 0.25f);
    EXPECT_TRUE(near_rgb(centre(), 72, 36, 14));
}

TEST_F(lighting_test, light_beyond_its_range_gives_nothing_not_even_ambient)
{
    d3d_light l = point_light(0, 0, 0.5f - std::sqrt(7.0f), 2.9f);
    l.ambient = {1, 1, 1, 1};
    use_light(l);
    set_material({1, 1, 1, 1}, {1, 1, 1, 1});
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 0, 0, 0));

    // Just inside: a quarter of ambient plus a quarter of N.L.
    l.range = 3.1f;
    use_light(l);
    draw_full_quad();
    int lit = int(255 * 0.25f * (1 + std::sqrt(7.0f) / 3) + 0.5f);
    EXPECT_TRUE(near_rgb(centre(), lit, lit, lit));
}

TEST_F(lighting_test, directional_light_at_sixty_degrees_with_ambient_terms)
{
    // N.L = cos 60 = 0.5; light ambient 0.2 and global ambient 0.2, both
    // times material ambient 0.5.
    d3d_light l = directional(std::sin(1.0471976f), 0, std::cos(1.0471976f));
    l.ambient = {0.2f, 0.2f, 0.2f, 1};
    use_light(l);
    d.set_render_state(D3DRS_AMBIENT, 0xFF333333);
    set_material({0.8f, 0.6f, 0.4f, 1}, {0.5f, 0.5f, 0.5f, 1});
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 153, 128, 102));
}

TEST_F(lighting_test, directional_light_from_behind_gives_only_ambient)
{
    d3d_light l = directional(0, 0, -1);
    use_light(l);
    d.set_render_state(D3DRS_AMBIENT, 0xFF333333);
    set_material({1, 1, 1, 1}, {1, 0.5f, 0, 1});
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 51, 26, 0));
}

TEST_F(lighting_test, light_directions_are_taken_into_camera_space)
{
    // The view turns world -x into camera +z (rotation about y); the quad
    // faces the camera in camera space, its normal world +x. A world
    // light travelling along -x therefore shines straight at it.
    const float view[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    d.set_transform(D3DTS_VIEW, view);
    use_light(directional(-1, 0, 0));
    set_material({0.5f, 0.25f, 1, 1});
    write_vertices({{-0.5f, 1, -1, 1, 0, 0, 0, 0},
                    {-0.5f, 1, 1, 1, 0, 0, 0, 0},
                    {-0.5f, -1, -1, 1, 0, 0, 0, 0},
                    {-0.5f, -1, 1, 1, 0, 0, 0, 0}});
    d.set_render_state(D3DRS_CULLMODE, D3DCULL_NONE);
    d.draw_primitive(D3DPT_TRIANGLESTRIP, 0, 2);
    EXPECT_TRUE(near_rgb(centre(), 128, 64, 255));

    // Travelling along +x it shines at the quad's back.
    d.clear(D3DCLEAR_TARGET, 0, 1, 0);
    use_light(directional(1, 0, 0));
    d.draw_primitive(D3DPT_TRIANGLESTRIP, 0, 2);
    EXPECT_TRUE(near_rgb(centre(), 0, 0, 0));
}

TEST_F(lighting_test, normals_follow_the_inverse_transpose_and_are_not_renormalised)
{
    // World scales z by 0.5: normal (0, 0, -1) becomes (0, 0, -2), so N.L
    // is 2 and a 0.3 material gives 0.6.
    const float world[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1};
    d.set_transform(D3DTS_WORLD, world);
    use_light(directional(0, 0, 1));
    set_material({0.3f, 0.3f, 0.3f, 1});
    draw_full_quad(1.0f);
    EXPECT_TRUE(near_rgb(centre(), 153, 153, 153));
}

TEST_F(lighting_test, spot_light_inside_its_cone_lights_and_outside_does_not)
{
    d3d_light l;
    l.type = D3DLIGHT_SPOT;
    l.diffuse = {1, 1, 1, 1};
    l.position = {0, 0, -1};
    l.direction = {0, 0, 1};
    l.range = 100;
    l.attenuation0 = 1;
    l.theta = 2.0f;  // the quad's corners are 0.96 rad off the axis
    l.phi = 2.2f;
    use_light(l);
    set_material({1, 1, 1, 1});
    draw_full_quad();
    float n_dot_l = 1.5f / std::sqrt(2 + 1.5f * 1.5f);
    int lit = int(255 * n_dot_l + 0.5f);
    EXPECT_TRUE(near_rgb(centre(), lit, lit, lit));

    l.theta = 0.5f;
    l.phi = 1.0f;
    use_light(l);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 0, 0, 0));
}

TEST_F(lighting_test, lit_colour_is_clamped_before_the_texture_stages)
{
    d3d_material m;
    m.ambient = {10, 10, 10, 1};
    m.diffuse = {0, 0, 0, 1};
    d.set_material(m);
    d.set_render_state(D3DRS_AMBIENT, 0xFF606060);
    d.set_texture(0, solid_texture(0xFF808080));
    d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d.set_texture_stage_state(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 128, 128, 128));
}

TEST_F(lighting_test, lighting_off_gives_white_whatever_the_material)
{
    d.set_render_state(D3DRS_LIGHTING, 0);
    set_material({0, 0, 0, 1});
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 255, 255, 255));
}

TEST_F(lighting_test, no_lights_and_no_ambient_is_black)
{
    set_material({1, 1, 1, 1}, {1, 1, 1, 1});
    d.clear(D3DCLEAR_TARGET, 0xFFFFFFFF, 1, 0);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 0, 0, 0));
}

TEST_F(lighting_test, enabling_a_light_never_set_gives_a_white_light_along_z)
{
    ASSERT_TRUE(d.light_enable(3, true));
    set_material({0.5f, 0.75f, 1, 1});
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 128, 191, 255));
}

TEST_F(lighting_test, disabled_lights_do_not_light)
{
    use_light(directional(0, 0, 1));
    ASSERT_TRUE(d.light_enable(0, false));
    set_material({1, 1, 1, 1});
    d.clear(D3DCLEAR_TARGET, 0xFFFFFFFF, 1, 0);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 0, 0, 0));
}

}  // namespace
}  // namespace vorlane::test
