// Texture coordinates generated from camera-space position and normal, and
// the texture transform with two output coordinates, checked on one pixel
// against the texel worked out by hand.

#include "tests/platform/device_support.h"

namespace vorlane::test {
namespace {

// Pixel (40, 20) of the 64 x 64 back buffer is clip (0.25, 0.375): pixel
// centres lie on whole coordinates. Quads here lie at camera z = 0.5.
constexpr int px = 40, py = 20;

class texgen_test : public device_test {
protected:
    void SetUp() override
    {
        device_test::SetUp();
        d.set_render_state(D3DRS_LIGHTING, 0);
        // 4 x 4 texels, each with its own colour: red = 64 x column,
        // green = 64 x row, blue = 32.
        device_texture* t = d.create_texture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
        d3d_locked_rect r;
        ASSERT_TRUE(t->lock_rect(0, r));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                std::uint32_t c = 0xFF000020 | std::uint32_t(64 * x) << 16 | std::uint32_t(64 * y) << 8;
                std::memcpy(static_cast<std::uint8_t*>(r.bits) + y * r.pitch + 4 * x, &c, 4);
            }
        t->unlock_rect(0);
        d.set_texture(0, t);
        d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d.set_texture_stage_state(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
        d.set_texture_stage_state(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    }

    ::testing::AssertionResult texel_at_probe(int column, int row)
    {
        return near_rgb(pixel(px, py), 64 * column, 64 * row, 32);
    }
};

TEST_F(texgen_test, camera_space_position_through_the_texture_matrix)
{
    // u = 0.5x + 0.25y + z + 0.1 = 0.81875 -> column 3;
    // v = -y + 0.5z + 0.05 = -0.075, wrapped 0.925 -> row 3.
    const float m[16] = {0.5f, 0, 0, 0, 0.25f, -1, 0, 0, 1, 0.5f, 0, 0, 0.1f, 0.05f, 0, 1};
    d.set_transform(D3DTS_TEXTURE0, m);
    d.set_texture_stage_state(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
    d.set_texture_stage_state(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    draw_full_quad();
    EXPECT_TRUE(texel_at_probe(3, 3));
}

TEST_F(texgen_test, position_comes_from_camera_space_not_clip_space)
{
    // World moves the quad to z = 2 with corners at +-2 and the projection
    // divides by z: the probe pixel shows camera (0.5, 0.75, 2).
    // u = 0.5x + 0.3 = 0.55 -> column 2; v = 0.25y + 0.1z = 0.3875 -> row 1.
    const float world[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, 0, 0, 1.5f, 1};
    const float projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.5f, 1, 0, 0, 0, 0};
    const float m[16] = {0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0.1f, 0, 0, 0.3f, 0, 0, 1};
    d.set_transform(D3DTS_WORLD, world);
    d.set_transform(D3DTS_PROJECTION, projection);
    d.set_transform(D3DTS_TEXTURE0, m);
    d.set_texture_stage_state(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
    d.set_texture_stage_state(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    draw_full_quad();
    EXPECT_TRUE(texel_at_probe(2, 1));
}

TEST_F(texgen_test, without_the_transform_position_x_and_y_are_the_coordinates)
{
    // (0.25, 0.375) -> column 1, row 1.
    const float m[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.5f, 0.5f, 0, 1};
    d.set_transform(D3DTS_TEXTURE0, m);
    d.set_texture_stage_state(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
    draw_full_quad();
    EXPECT_TRUE(texel_at_probe(1, 1));
}

TEST_F(texgen_test, camera_space_normal_through_the_texture_matrix)
{
    // Normal (0, 0, -1): u = -0.3 nz = 0.3 -> column 1; v = 0.6 nz + 0.1
    // = -0.5, wrapped 0.5 -> row 2.
    const float m[16] = {0, 0, 0, 0, 0, 0, 0, 0, -0.3f, 0.6f, 0, 0, 0, 0.1f, 0, 1};
    d.set_transform(D3DTS_TEXTURE0, m);
    d.set_texture_stage_state(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL);
    d.set_texture_stage_state(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    draw_full_quad();
    EXPECT_TRUE(texel_at_probe(1, 2));
}

TEST_F(texgen_test, vertex_coordinates_are_translated_by_the_third_row)
{
    // Vertex (u, v) enters as (u, v, 1, 0): the probe has (0.625, 0.3125),
    // plus row 2 (0.5, 0.25) -> (1.125, 0.5625), wrapped: column 0, row 2.
    // Row 3 must play no part.
    const float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0.5f, 0.25f, 0, 0, 0.9f, 0.9f, 0, 1};
    d.set_transform(D3DTS_TEXTURE0, m);
    d.set_texture_stage_state(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    draw_full_quad();
    EXPECT_TRUE(texel_at_probe(0, 2));
}

TEST_F(texgen_test, stage_one_uses_its_own_texture_matrix)
{
    // The matrix set for stage 0 does not move stage 1's coordinates.
    const float m0[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.5f, 0.5f, 0, 1};
    d.set_transform(D3DTS_TEXTURE0, m0);
    d.set_texture(1, d.state.textures[0]);
    d.set_texture(0, solid_texture(0xFF000000));
    d.set_texture_stage_state(1, D3DTSS_COLOROP, D3DTOP_ADD);
    d.set_texture_stage_state(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d.set_texture_stage_state(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    d.set_texture_stage_state(1, D3DTSS_MINFILTER, D3DTEXF_POINT);
    d.set_texture_stage_state(1, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    d.set_texture_stage_state(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
    d.set_texture_stage_state(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
    draw_full_quad();
    // Stage 1's identity: (0.25, 0.375) -> column 1, row 1.
    EXPECT_TRUE(texel_at_probe(1, 1));
}

}  // namespace
}  // namespace vorlane::test
