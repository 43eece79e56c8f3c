// The bound on texels per pixel that lets a draw sample a mip-mapped
// texture without its chain: it must never call a triangle magnified
// where some pixel of it is not.

#include "platform/texture_footprint.h"

#include "platform/device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace vorlane {
namespace {

constexpr int width = 640, height = 480;

// A corner at window pixel (px, py) from the centre, at depth w, with
// texel coordinates (s, t).
footprint_vertex at(double px, double py, double w, double s, double t)
{
    return {px / (width / 2.0) * w, py / (height / 2.0) * w, w, s, t};
}

TEST(texture_footprint, a_flat_triangle_is_magnified_below_one_texel_per_pixel)
{
    // 100 pixels wide and high.
    const footprint_vertex half[3] = {at(0, 0, 1, 0, 0), at(100, 0, 1, 50, 0), at(0, 100, 1, 0, 50)};
    EXPECT_TRUE(magnifies(half, width, height));
    const footprint_vertex one[3] = {at(0, 0, 1, 0, 0), at(100, 0, 1, 100, 0), at(0, 100, 1, 0, 100)};
    EXPECT_FALSE(magnifies(one, width, height));
    // Depth alone does not change a flat triangle's footprint.
    const footprint_vertex deep[3] = {at(0, 0, 7, 0, 0), at(100, 0, 7, 50, 0), at(0, 100, 7, 0, 50)};
    EXPECT_TRUE(magnifies(deep, width, height));
}

TEST(texture_footprint, both_coordinates_count_along_each_axis)
{
    // 0.6 texels of s and 0.6 of t per pixel step in x: 0.85 texels as a
    // length, which OpenGL calls magnified, but the renderer may estimate
    // the scale from the sum, 1.2, and minify.
    const footprint_vertex c[3] = {at(0, 0, 1, 0, 0), at(100, 0, 1, 60, 60), at(0, 100, 1, 0, 10)};
    EXPECT_FALSE(magnifies(c, width, height));
}

TEST(texture_footprint, corners_at_or_behind_the_eye_and_empty_triangles_are_not_bounded)
{
    const footprint_vertex behind[3] = {at(0, 0, 1, 0, 0), at(100, 0, 1, 1, 0), {0, 0, -1, 0, 1}};
    EXPECT_FALSE(magnifies(behind, width, height));
    const footprint_vertex at_eye[3] = {at(0, 0, 1, 0, 0), at(100, 0, 1, 1, 0), {0, 0, 0, 0, 1}};
    EXPECT_FALSE(magnifies(at_eye, width, height));
    const footprint_vertex line[3] = {at(0, 0, 1, 0, 0), at(50, 50, 1, 1, 0), at(100, 100, 1, 2, 0)};
    EXPECT_FALSE(magnifies(line, width, height));
}

TEST(texture_footprint, a_tilted_triangle_minified_at_its_far_end_is_not_magnified)
{
    // Near corners 4 texels apart over 200 pixels; the far corner at 10
    // times the depth, where the same texels shrink to a tenth.
    const footprint_vertex c[3] = {at(-100, -100, 1, 0, 0), at(100, -100, 1, 4, 0), at(0, 100, 10, 2, 40)};
    EXPECT_FALSE(magnifies(c, width, height));
}

// |ds/dx| + |dt/dx| and the same along y of the perspective-correct map at
// window point (x, y), from the plane equations of the corners.
double texels_per_pixel(const footprint_vertex (&c)[3], double x, double y)
{
    double px[3], py[3];
    for (int i = 0; i < 3; ++i) {
        px[i] = c[i].x / c[i].w * width / 2;
        py[i] = c[i].y / c[i].w * height / 2;
    }
    // Barycentric weights over w, normalised: perspective-correct.
    auto coords = [&](double qx, double qy, double& s, double& t) {
        const double det = (px[1] - px[0]) * (py[2] - py[0]) - (py[1] - py[0]) * (px[2] - px[0]);
        const double b1 = ((qx - px[0]) * (py[2] - py[0]) - (qy - py[0]) * (px[2] - px[0])) / det;
        const double b2 = ((px[1] - px[0]) * (qy - py[0]) - (py[1] - py[0]) * (qx - px[0])) / det;
        const double b[3] = {1 - b1 - b2, b1, b2};
        double sum = 0;
        s = t = 0;
        for (int i = 0; i < 3; ++i) {
            sum += b[i] / c[i].w;
            s += b[i] / c[i].w * c[i].s;
            t += b[i] / c[i].w * c[i].t;
        }
        s /= sum;
        t /= sum;
    };
    const double h = 1e-3;
    double s0, t0, sx, tx, sy, ty;
    coords(x, y, s0, t0);
    coords(x + h, y, sx, tx);
    coords(x, y + h, sy, ty);
    return std::max(std::abs(sx - s0) + std::abs(tx - t0), std::abs(sy - s0) + std::abs(ty - t0)) / h;
}

TEST(texture_footprint, no_point_of_a_triangle_called_magnified_steps_a_texel_per_pixel)
{
    // Random tilted triangles: wherever the bound says magnified, sampled
    // points over the whole triangle stay below a texel per pixel.
    std::uint32_t seed = 7;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<double>(seed >> 8) / (1 << 24);
    };
    int magnified = 0;
    for (int n = 0; n < 2000; ++n) {
        footprint_vertex c[3];
        for (auto& v : c)
            v = at(next() * 600 - 300, next() * 400 - 200, 0.2 + next() * 3, next() * 64, next() * 64);
        if (!magnifies(c, width, height))
            continue;
        ++magnified;
        double worst = 0;
        for (int i = 0; i <= 40; ++i)
            for (int j = 0; i + j <= 40; ++j) {
                const double a = i / 40.0, b = j / 40.0;
                double x = 0, y = 0;
                for (int k = 0; k < 3; ++k) {
                    const double weight = k == 0 ? 1 - a - b : k == 1 ? a : b;
                    x += weight * c[k].x / c[k].w * width / 2;
                    y += weight * c[k].y / c[k].w * height / 2;
                }
                worst = std::max(worst, texels_per_pixel(c, x, y));
            }
        EXPECT_LT(worst, 0.95) << "triangle " << n;
    }
    // Enough of them pass for the check to mean something.
    EXPECT_GT(magnified, 100);
}

// A full-target quad on a 64 x 64 target with (u, v) from 0 to 1 over a
// 16 x 16 texture of two levels; positions are clip space as they are.
struct reach_case {
    device_vertex_buffer stream;
    device_texture texture;
    device_state s;

    reach_case(float u_end = 1)
    {
        const float quad[4][8] = {
            {-1, 1, 0.5f, 0, 0, -1, 0, 0}, {1, 1, 0.5f, 0, 0, -1, u_end, 0},
            {-1, -1, 0.5f, 0, 0, -1, 0, 1}, {1, -1, 0.5f, 0, 0, -1, u_end, 1}};
        stream.buffer.data.resize(sizeof quad);
        std::memcpy(stream.buffer.data.data(), quad, sizeof quad);
        texture.width = texture.height = 16;
        texture.levels = 2;
        s.fvf = 0x112;
        s.stream = &stream;
        s.stride = 32;
        s.textures[0] = &texture;
    }

    bool reach(std::initializer_list<texel_rect> rects, pixel_rect& out) const
    {
        stage_key key;
        key.samples = true;
        key.coords = coords_vertex;
        const std::vector<texel_rect> levels(rects);
        return draw_reach(s, 0, key, {D3DPT_TRIANGLESTRIP, 0, 4, false}, levels.data(), int(levels.size()), 64, 64,
                          out);
    }
};

TEST(texel_reach, a_quad_is_cut_to_where_the_filters_of_each_level_reach_its_ink)
{
    const reach_case c;
    pixel_rect r;
    // Texels 4..7 across, 8..11 down: a linear filter reads them from 3.5
    // to 8.5 texels, pixels 14 to 34 across and 30 to 50 down, and one
    // pixel more on each side.
    ASSERT_TRUE(c.reach({{4, 8, 8, 12}}, r));
    EXPECT_EQ(r.x0, 13);
    EXPECT_EQ(r.x1, 36);
    EXPECT_EQ(r.y0, 29);
    EXPECT_EQ(r.y1, 52);
    // Level 1's texel (3, 2) covers base texels 6..7 across and 4..5 down,
    // read from 5 to 9 and from 3 to 7.
    ASSERT_TRUE(c.reach({{4, 8, 8, 12}, {3, 2, 4, 3}}, r));
    EXPECT_EQ(r.x1, 38);
    EXPECT_EQ(r.y0, 11);
    // Ink in the first column shows again beside the last one.
    ASSERT_TRUE(c.reach({{0, 8, 2, 12}}, r));
    EXPECT_EQ(r.x0, 0);
    EXPECT_EQ(r.x1, 64);
    // Nothing to show: nothing to draw.
    ASSERT_TRUE(c.reach({{}, {}}, r));
    EXPECT_TRUE(r.empty());
}

TEST(texel_reach, coordinates_beyond_the_texture_or_lines_are_not_bounded)
{
    pixel_rect r;
    EXPECT_FALSE(reach_case(1.5f).reach({{4, 8, 8, 12}}, r)) << "the texture repeats beyond u = 1";
    const reach_case c;
    stage_key key;
    key.samples = true;
    key.coords = coords_vertex;
    const texel_rect ink{4, 8, 8, 12};
    EXPECT_FALSE(draw_reach(c.s, 0, key, {D3DPT_LINESTRIP, 0, 4, false}, &ink, 1, 64, 64, r));
    key.coords = coords_normal;
    EXPECT_FALSE(draw_reach(c.s, 0, key, {D3DPT_TRIANGLESTRIP, 0, 4, false}, &ink, 1, 64, 64, r));
}

TEST(texel_reach, a_draw_extends_over_its_projected_vertices_unless_one_is_behind_the_eye)
{
    reach_case c;
    // Clip w is the z of each vertex, all at 0.5: x and y are doubled.
    c.s.projection.m[11] = 1;
    c.s.projection.m[15] = 0;
    auto* v = reinterpret_cast<float*>(c.stream.buffer.data.data());
    const float xy[4][2] = {{-0.25f, 0.25f}, {0.125f, 0.25f}, {-0.25f, -0.125f}, {0.125f, -0.125f}};
    for (int i = 0; i < 4; ++i) {
        v[8 * i] = xy[i][0];
        v[8 * i + 1] = xy[i][1];
    }
    const draw_range quad{D3DPT_TRIANGLESTRIP, 0, 4, false};
    pixel_rect r;
    // Window x from 16 to 40 and y from 16 to 40, a pixel wider each side.
    ASSERT_TRUE(draw_extent(c.s, quad, 64, 64, r));
    EXPECT_EQ(r.x0, 15);
    EXPECT_EQ(r.x1, 42);
    EXPECT_EQ(r.y0, 15);
    EXPECT_EQ(r.y1, 42);
    // Beyond the target's edge it stops at the edge.
    v[0] = v[16] = -2;
    ASSERT_TRUE(draw_extent(c.s, quad, 64, 64, r));
    EXPECT_EQ(r.x0, 0);
    v[2] = -0.5f;
    EXPECT_FALSE(draw_extent(c.s, quad, 64, 64, r)) << "a vertex behind the eye projects nowhere";
}

}  // namespace
}  // namespace vorlane
