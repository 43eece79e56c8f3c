// Draws cut to the pixels that can sample a texel that shows: wherever the
// blend leaves the target as it was for a clear (or, under inverse source
// alpha, an opaque) texel, the cut draw gives the very pixels of the whole
// one. Each picture is drawn both ways over the same background and must
// match byte for byte, and must differ from the background where the
// texels that show are reached only through the filter, a lower level or
// the texture's repeat.

#include "tests/platform/device_support.h"

#include <functional>
#include <vector>

namespace vorlane::test {
namespace {

constexpr std::uint32_t background = 0xFF406080;

class texel_clip_test : public device_test {
protected:
    void SetUp() override
    {
        device_test::SetUp();
        d.set_render_state(D3DRS_LIGHTING, 0);
        d.set_render_state(D3DRS_CULLMODE, D3DCULL_NONE);
        d.set_render_state(D3DRS_ZWRITEENABLE, 0);
        d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
        d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_ONE);
        d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d.set_texture_stage_state(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    }

    void TearDown() override
    {
        d.clip_to_texels = true;
        d.clip_every_draw = false;
    }

    void set_filters(std::uint32_t min_mag, std::uint32_t mip)
    {
        d.set_texture_stage_state(0, D3DTSS_MINFILTER, min_mag);
        d.set_texture_stage_state(0, D3DTSS_MAGFILTER, min_mag);
        d.set_texture_stage_state(0, D3DTSS_MIPFILTER, mip);
    }

    // A size x size texture, all levels of its chain given by texel(level,
    // x, y) as A8R8G8B8.
    device_texture* texture(int size, int levels, const std::function<std::uint32_t(int, int, int)>& texel)
    {
        device_texture* t = d.create_texture(size, size, levels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
        for (int level = 0; level < t->levels; ++level) {
            d3d_locked_rect r;
            EXPECT_TRUE(t->lock_rect(level, r));
            auto* p = static_cast<std::uint32_t*>(r.bits);
            for (int y = 0; y < t->level_height(level); ++y)
                for (int x = 0; x < t->level_width(level); ++x)
                    p[y * t->level_width(level) + x] = texel(level, x, y);
            t->unlock_rect(level);
        }
        d.set_texture(0, t);
        return t;
    }

    std::vector<std::uint32_t> picture(bool clip, const std::function<void()>& draw)
    {
        d.clip_to_texels = clip;
        d.clip_every_draw = clip;
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, background, 1.0f, 0);
        draw();
        return d.read_surface(d.get_back_buffer());
    }

    // The draw cut and whole: the same pixels, and how many of them it
    // changed.
    int changed_alike(const std::function<void()>& draw)
    {
        const std::vector<std::uint32_t> cut = picture(true, draw);
        const std::vector<std::uint32_t> whole = picture(false, draw);
        EXPECT_EQ(cut, whole);
        return static_cast<int>(std::count_if(whole.begin(), whole.end(), [](std::uint32_t p) { return p != background; }));
    }

    void draw_tilted_quad()
    {
        // A floor in perspective, as labels fly past the camera: clip w is
        // the camera z, the far edge 6 times as deep.
        const float projection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.5f, 1, 0, 0, 0, 0};
        d.set_transform(D3DTS_PROJECTION, projection);
        write_vertices({{-1.2f, -1, 1, 0, 0, 0, 0, 1},
                        {1.1f, -1, 1, 0, 0, 0, 1, 1},
                        {-6, 5, 6, 0, 0, 0, 0, 0},
                        {7, 5.5f, 6, 0, 0, 0, 1, 0}});
        d.draw_primitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }
};

TEST_F(texel_clip_test, an_added_label_in_perspective_keeps_every_pixel_its_filters_reach)
{
    // White ink in a 6 x 3 block of a 32 x 32 texture, the levels below
    // averaging it out, so that the far, minified end reaches it only
    // through the blurred levels.
    device_texture* t = texture(32, 0, [](int level, int x, int y) {
        const int scale = 1 << level;
        const int inside = std::max(0, std::min(x * scale + scale, 18) - std::max(x * scale, 12)) *
                           std::max(0, std::min(y * scale + scale, 20) - std::max(y * scale, 17));
        return static_cast<std::uint32_t>(255 * inside / (scale * scale)) << 24 | 0xFFFFFF;
    });
    EXPECT_EQ(t->not_clear[0].x0, 12);
    EXPECT_EQ(t->not_clear[0].x1, 18);
    EXPECT_EQ(t->not_clear[0].y0, 17);
    EXPECT_EQ(t->not_clear[0].y1, 20);
    for (std::uint32_t min_mag : {D3DTEXF_POINT, D3DTEXF_LINEAR})
        for (std::uint32_t mip : {D3DTEXF_NONE, D3DTEXF_POINT, D3DTEXF_LINEAR}) {
            set_filters(min_mag, mip);
            EXPECT_GT(changed_alike([&] { draw_tilted_quad(); }), 0) << min_mag << " " << mip;
        }
}

TEST_F(texel_clip_test, ink_only_in_a_lower_level_is_still_drawn)
{
    // The base level is clear; level 2 alone has ink. A quad a quarter of
    // the texture's size on the screen samples level 2.
    texture(64, 0, [](int level, int x, int y) { return level == 2 && x == 3 && y == 12 ? 0xFFFFFFFFu : 0x00FFFFFFu; });
    set_filters(D3DTEXF_LINEAR, D3DTEXF_POINT);
    EXPECT_GT(changed_alike([&] { draw_quad(-0.25f, -0.25f, 0.25f, 0.25f); }), 0);
}

TEST_F(texel_clip_test, ink_on_one_edge_shows_on_the_other_where_the_texture_repeats)
{
    // Ink in the first column of the top half and the last row of the
    // left half: a linear filter at the quad's right edge (u near 1) also
    // reads column 0, at its top edge (v near 0) the last row.
    for (int column : {0, 7}) {
        texture(8, 1, [&](int, int x, int y) { return x == column && y < 4 ? 0xFFFFFFFFu : 0x00FFFFFFu; });
        set_filters(D3DTEXF_LINEAR, D3DTEXF_NONE);
        EXPECT_GT(changed_alike([&] { draw_full_quad(); }), 0);
        const std::vector<std::uint32_t> p = picture(true, [&] { draw_full_quad(); });
        EXPECT_NE(p[16 * back_width + (column == 0 ? back_width - 1 : 0)], background) << "column " << column;
    }
    for (int row : {0, 7}) {
        texture(8, 1, [&](int, int x, int y) { return y == row && x < 4 ? 0xFFFFFFFFu : 0x00FFFFFFu; });
        EXPECT_GT(changed_alike([&] { draw_full_quad(); }), 0);
        const std::vector<std::uint32_t> p = picture(true, [&] { draw_full_quad(); });
        EXPECT_NE(p[(row == 0 ? back_height - 1 : 0) * back_width + 16], background) << "row " << row;
    }
}

TEST_F(texel_clip_test, a_sprite_under_inverse_source_alpha_is_cut_to_its_see_through_texels)
{
    // Opaque all over but for a soft spot: where alpha is 255 the target
    // stays; the spot puts in the texture's colour.
    texture(16, 0, [](int level, int x, int y) {
        const int c = 8 >> level, dx = x - c, dy = y - c;
        const int a = level == 0 && dx * dx + dy * dy < 9 ? 60 + 20 * (dx * dx + dy * dy) : 255;
        return static_cast<std::uint32_t>(a) << 24 | 0xFFC000;
    });
    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_INVSRCALPHA);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_SRCALPHA);
    set_filters(D3DTEXF_LINEAR, D3DTEXF_LINEAR);
    EXPECT_GT(changed_alike([&] { draw_quad(-0.9f, -0.6f, 0.7f, 0.8f); }), 0);
    EXPECT_GT(changed_alike([&] { draw_tilted_quad(); }), 0);
}

TEST_F(texel_clip_test, alpha_times_the_diffuse_alpha_and_a_taken_away_blend_are_cut_alike)
{
    texture(16, 1, [](int, int x, int y) { return x > 9 && y < 4 ? 0xC0FFFFFFu : 0x00FFFFFFu; });
    set_filters(D3DTEXF_LINEAR, D3DTEXF_NONE);
    d.set_texture_stage_state(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    d.set_texture_stage_state(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    EXPECT_GT(changed_alike([&] { draw_full_quad(); }), 0);
    d.set_render_state(D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT);
    EXPECT_GT(changed_alike([&] { draw_full_quad(); }), 0);
}

TEST_F(texel_clip_test, a_draw_that_writes_depth_is_drawn_whole)
{
    // Clear texels still write depth: a later quad behind them must fail
    // there, cut or not.
    device_texture* t = texture(16, 1, [](int, int x, int) { return x >= 6 && x < 10 ? 0xFFFFFFFFu : 0x00FFFFFFu; });
    set_filters(D3DTEXF_POINT, D3DTEXF_NONE);
    d.set_render_state(D3DRS_ZWRITEENABLE, 1);
    const auto draw = [&] {
        d.set_texture(0, t);
        d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
        draw_quad(-1, -1, 1, 1, 0.3f);
        d.set_render_state(D3DRS_ALPHABLENDENABLE, 0);
        d.set_texture(0, nullptr);
        draw_quad(-1, -1, 1, 1, 0.6f);
    };
    EXPECT_EQ(changed_alike(draw), 16 * back_height) << "the ink's 16 columns, the quad behind nowhere";
}

}  // namespace
}  // namespace vorlane::test
