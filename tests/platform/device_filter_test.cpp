// Which level of a mip-mapped texture a draw shows where it magnifies the
// texture in some places and minifies it in others: the device samples
// without the chain only where no pixel of the draw is minified.

#include "tests/platform/device_support.h"

namespace vorlane::test {
namespace {

class filter_test : public device_test {
protected:
    // 16 x 16 texels, each level its own colour: red, green, blue, ...
    device_texture* level_coloured()
    {
        device_texture* t = d.create_texture(16, 16, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
        const std::uint32_t colours[5] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF};
        for (int level = 0; level < t->levels; ++level) {
            d3d_locked_rect r;
            EXPECT_TRUE(t->lock_rect(level, r));
            for (int i = 0; i < t->level_width(level) * t->level_height(level); ++i)
                std::memcpy(static_cast<std::uint8_t*>(r.bits) + 4 * i, &colours[level], 4);
            t->unlock_rect(level);
        }
        return t;
    }

    void SetUp() override
    {
        device_test::SetUp();
        d.set_render_state(D3DRS_LIGHTING, 0);
        d.set_render_state(D3DRS_CULLMODE, D3DCULL_NONE);
        d.set_texture(0, level_coloured());
        d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d.set_texture_stage_state(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        d.set_texture_stage_state(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        d.set_texture_stage_state(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
    }
};

TEST_F(filter_test, a_magnified_draw_shows_the_top_level_everywhere)
{
    // 16 texels over the 64 pixels.
    draw_full_quad();
    for (int y : {0, 31, 63})
        for (int x : {0, 31, 63})
            EXPECT_TRUE(near_rgb(pixel(x, y), 255, 0, 0)) << x << ", " << y;
}

TEST_F(filter_test, a_draw_minified_only_at_its_far_end_shows_lower_levels_there)
{
    // A floor seen in perspective (clip w is the camera z): the near edge,
    // at the bottom, spreads 16 texels over 64 pixels; the far edge, 12
    // times as deep, squeezes the texture's height into a few rows.
    const float projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.5f, 1, 0, 0, 0, 0};
    d.set_transform(D3DTS_PROJECTION, projection);
    write_vertices({{-1, -1, 1, 0, 0, 0, 0, 1},
                    {1, -1, 1, 0, 0, 0, 1, 1},
                    {-12, 12 * 0.9f, 12, 0, 0, 0, 0, 0},
                    {12, 12 * 0.9f, 12, 0, 0, 0, 1, 0}});
    d.draw_primitive(D3DPT_TRIANGLESTRIP, 0, 2);
    EXPECT_TRUE(near_rgb(pixel(32, 62), 255, 0, 0));
    // The top rows: the squeezed texture blends lower levels in.
    const rgba far = unpack(pixel(32, 4));
    EXPECT_LT(far.r, 128) << far.r << ", " << far.g << ", " << far.b;
    EXPECT_GT(far.g + far.b, 128) << far.r << ", " << far.g << ", " << far.b;
}

TEST_F(filter_test, without_mip_filtering_the_top_level_shows_even_where_minified)
{
    d.set_texture_stage_state(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    // 16 texels over 4 pixels.
    draw_quad(-1.0f / 16, -1.0f / 16, 1.0f / 16, 1.0f / 16);
    EXPECT_TRUE(near_rgb(centre(), 255, 0, 0));
}

TEST_F(filter_test, an_indexed_magnified_draw_beside_a_minified_one_keeps_each_its_level)
{
    // Two quads in one index buffer, the first magnified, the second 16
    // texels over 4 pixels: drawn one after the other, each gets its own.
    write_vertices({{-1, 0, 0.5f, 0, 0, 0, 0, 0},
                    {0, 0, 0.5f, 0, 0, 0, 1, 0},
                    {-1, -1, 0.5f, 0, 0, 0, 0, 1},
                    {0, -1, 0.5f, 0, 0, 0, 1, 1},
                    {0.5f, 0.625f, 0.5f, 0, 0, 0, 0, 0},
                    {0.625f, 0.625f, 0.5f, 0, 0, 0, 1, 0},
                    {0.5f, 0.5f, 0.5f, 0, 0, 0, 0, 1},
                    {0.625f, 0.5f, 0.5f, 0, 0, 0, 1, 1}});
    write_indices({0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7});
    d.draw_indexed_primitive(D3DPT_TRIANGLELIST, 0, 8, 0, 2);
    d.draw_indexed_primitive(D3DPT_TRIANGLELIST, 0, 8, 6, 2);
    EXPECT_TRUE(near_rgb(pixel(16, 48), 255, 0, 0));
    // 4 x 4 pixels at x 48..51, y 12..15: level 2 (4 x 4), blue.
    const rgba small = unpack(pixel(50, 14));
    EXPECT_LT(small.r, 64) << small.r << ", " << small.g << ", " << small.b;
}

}  // namespace
}  // namespace vorlane::test
