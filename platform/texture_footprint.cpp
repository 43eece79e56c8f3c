#include "platform/texture_footprint.h"

#include "platform/device.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace vorlane {

namespace {

// The level of detail is computed per 2 x 2 pixels from differences that
// reach up to a pixel past the triangle's edge (helper pixels), and the
// renderer's logarithm is an approximation: the bound covers a wider rim
// and keeps a margin below one texel.
constexpr double rim = 1.5;
constexpr double most_texels_per_pixel = 0.95;
constexpr std::uint32_t most_triangles = 256;

// Gradient in window pixels of the affine function with values f at the
// corners at (x, y).
struct gradient {
    double dx = 0, dy = 0;
};

gradient gradient_of(const double (&x)[3], const double (&y)[3], const double (&f)[3], double det)
{
    const double e1x = x[1] - x[0], e1y = y[1] - y[0], e2x = x[2] - x[0], e2y = y[2] - y[0];
    const double d1 = f[1] - f[0], d2 = f[2] - f[0];
    return {(d1 * e2y - d2 * e1y) / det, (d2 * e1x - d1 * e2x) / det};
}

// The largest (a + b t) / (c + d t)^2 for t in [t0, t1], the denominator's
// base positive there: at an end or where the derivative vanishes.
double largest_ratio(double a, double b, double c, double d, double t0, double t1)
{
    auto at = [&](double t) { return (a + b * t) / ((c + d * t) * (c + d * t)); };
    double most = std::max(at(t0), at(t1));
    if (b * d != 0) {
        const double t = (b * c - 2 * d * a) / (b * d);
        if (t > t0 && t < t1)
            most = std::max(most, at(t));
    }
    return most;
}

// The largest (|n1| + |n2| + extra) / q^2 along an edge from t = 0 to 1,
// with n1, n2 and q affine, given by their values at the ends: pieces
// where n1 and n2 keep their signs, each an affine function over q^2.
double largest_on_edge(const double (&n1)[2], const double (&n2)[2], double extra, const double (&q)[2])
{
    double cuts[4] = {0, 1, 1, 1};
    int pieces = 1;
    for (const double* n : {n1, n2})
        if ((n[0] < 0) != (n[1] < 0))
            cuts[pieces++] = n[0] / (n[0] - n[1]);
    if (pieces == 3 && cuts[1] > cuts[2])
        std::swap(cuts[1], cuts[2]);
    double most = 0;
    for (int i = 0; i < pieces; ++i) {
        const double mid = (cuts[i] + cuts[i + 1]) / 2;
        const double sign1 = n1[0] + (n1[1] - n1[0]) * mid < 0 ? -1 : 1;
        const double sign2 = n2[0] + (n2[1] - n2[0]) * mid < 0 ? -1 : 1;
        const double a = sign1 * n1[0] + sign2 * n2[0] + extra;
        const double b = sign1 * (n1[1] - n1[0]) + sign2 * (n2[1] - n2[0]);
        most = std::max(most, largest_ratio(a, b, q[0], q[1] - q[0], cuts[i], cuts[i + 1]));
    }
    return most;
}

}  // namespace

// Perspective-correct coordinates are s = S / Q with S = s / w and Q = 1 / w
// affine in window space, so ds/dx = (S_x Q - Q_x S) / Q^2: an affine
// numerator over Q^2. Within the rim r of a point p0 of the triangle the
// numerators grow by at most r times their gradients' lengths and Q
// shrinks by at most r |grad Q|, so (|ds/dx| + |dt/dx|) there is at most
// (|Ns(p0)| + |Nt(p0)| + r (|grad Ns| + |grad Nt|)) / (Q(p0) - r |grad Q|)^2.
// Along a line of constant Q that numerator is convex, so its largest value
// over the triangle is on an edge, where it is found exactly.
bool magnifies(const footprint_vertex (&c)[3], int width, int height)
{
    double x[3], y[3], q[3], sq[3], tq[3];
    for (int i = 0; i < 3; ++i) {
        if (!(c[i].w > 0))
            return false;
        q[i] = 1 / c[i].w;
        x[i] = c[i].x * q[i] * width / 2;
        y[i] = c[i].y * q[i] * height / 2;
        sq[i] = c[i].s * q[i];
        tq[i] = c[i].t * q[i];
    }
    const double det = (x[1] - x[0]) * (y[2] - y[0]) - (y[1] - y[0]) * (x[2] - x[0]);
    if (!(std::abs(det) > 0))
        return false;
    const gradient Q = gradient_of(x, y, q, det);
    const gradient S = gradient_of(x, y, sq, det);
    const gradient T = gradient_of(x, y, tq, det);

    double shrunk[3];
    for (int i = 0; i < 3; ++i) {
        shrunk[i] = q[i] - rim * std::hypot(Q.dx, Q.dy);
        if (!(shrunk[i] > 0))
            return false;
    }
    // The gradient of S_x Q - Q_x S is (0, S_x Q_y - Q_x S_y), that of
    // S_y Q - Q_y S its mirror image: the same length for both directions.
    const double extra = rim * (std::abs(S.dx * Q.dy - Q.dx * S.dy) + std::abs(T.dx * Q.dy - Q.dx * T.dy));
    double sx[3], tx[3], sy[3], ty[3];
    for (int i = 0; i < 3; ++i) {
        sx[i] = S.dx * q[i] - Q.dx * sq[i];
        tx[i] = T.dx * q[i] - Q.dx * tq[i];
        sy[i] = S.dy * q[i] - Q.dy * sq[i];
        ty[i] = T.dy * q[i] - Q.dy * tq[i];
    }
    double most = 0;
    for (int i = 0; i < 3; ++i) {
        const int j = (i + 1) % 3;
        const double qe[2] = {shrunk[i], shrunk[j]};
        most = std::max(most, largest_on_edge({sx[i], sx[j]}, {tx[i], tx[j]}, extra, qe));
        most = std::max(most, largest_on_edge({sy[i], sy[j]}, {ty[i], ty[j]}, extra, qe));
    }
    return !(most > most_texels_per_pixel);
}

namespace {

double row_times(const double (&p)[4], const double* m, int c)
{
    return p[0] * m[c] + p[1] * m[4 + c] + p[2] * m[8 + c] + p[3] * m[12 + c];
}

double row_times(const double (&p)[4], const float* m, int c)
{
    return p[0] * m[c] + p[1] * m[4 + c] + p[2] * m[8 + c] + p[3] * m[12 + c];
}

// The draw's vertices as the vertex program sees them, on the CPU: each
// triangle's corners from the stream (through the indices), with their
// camera-space and clip-space positions.
struct draw_vertices {
    const device_state& s;
    const draw_range& range;
    double world_view[16] = {};
    double clip[16] = {};

    draw_vertices(const device_state& state, const draw_range& r) : s(state), range(r)
    {
        for (int row = 0; row < 4; ++row)
            for (int c = 0; c < 4; ++c) {
                double v = 0;
                for (int k = 0; k < 4; ++k)
                    v += static_cast<double>(s.world.m[4 * row + k]) * s.view.m[4 * k + c];
                world_view[4 * row + c] = v;
            }
        for (int row = 0; row < 4; ++row)
            for (int c = 0; c < 4; ++c) {
                double v = 0;
                for (int k = 0; k < 4; ++k)
                    v += world_view[4 * row + k] * s.projection.m[4 * k + c];
                clip[4 * row + c] = v;
            }
    }

    // The n-th vertex of the range: its bytes in the stream.
    const std::uint8_t* vertex(std::uint32_t n) const
    {
        std::uint32_t v = range.first + n;
        if (range.indexed) {
            std::uint16_t index;
            std::memcpy(&index, &s.indices->buffer.data[(std::size_t{range.first} + n) * 2], 2);
            v = s.base_vertex + index;
        }
        return s.stream->buffer.data.data() + std::size_t{v} * s.stride;
    }

    static void position(const std::uint8_t* v, double (&out)[4])
    {
        float p[3];
        std::memcpy(p, v, sizeof p);
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
        out[3] = 1;
    }
};

// A stage's coordinates at a vertex, in texels, as the vertex program
// makes them.
void texels_at(const draw_vertices& dv, const std::uint8_t* v, const double (&position)[4], int stage,
               const stage_key& key, double (&out)[2])
{
    const device_texture& texture = *dv.s.textures[stage];
    double in[4];
    if (key.coords == coords_vertex) {
        float uv[2];
        std::memcpy(uv, v + ((dv.s.fvf & D3DFVF_NORMAL) ? 24 : 12), sizeof uv);
        in[0] = uv[0];
        in[1] = uv[1];
        in[2] = 1;
        in[3] = 0;
    } else {
        for (int c = 0; c < 3; ++c)
            in[c] = row_times(position, dv.world_view, c);
        in[3] = 1;
    }
    double st[2] = {in[0], in[1]};
    if (key.transformed)
        for (int c = 0; c < 2; ++c)
            st[c] = row_times(in, dv.s.texture_transform[stage].m, c);
    out[0] = st[0] * texture.width;
    out[1] = st[1] * texture.height;
}

std::uint32_t triangle_count(const draw_range& range)
{
    if (range.type == D3DPT_TRIANGLELIST)
        return range.count / 3;
    if (range.type == D3DPT_TRIANGLESTRIP)
        return range.count >= 3 ? range.count - 2 : 0;
    return 0;
}

}  // namespace

bool draw_magnifies(const device_state& s, int stage, const stage_key& key, const draw_range& range, int width,
                    int height)
{
    if (key.coords != coords_vertex && key.coords != coords_position)
        return false;
    const std::uint32_t triangles = triangle_count(range);
    if (triangles == 0 || triangles > most_triangles)
        return false;
    const draw_vertices dv(s, range);
    for (std::uint32_t t = 0; t < triangles; ++t) {
        const std::uint32_t first = range.type == D3DPT_TRIANGLELIST ? 3 * t : t;
        footprint_vertex corners[3];
        for (std::uint32_t k = 0; k < 3; ++k) {
            const std::uint8_t* v = dv.vertex(first + k);
            double p[4], st[2];
            draw_vertices::position(v, p);
            texels_at(dv, v, p, stage, key, st);
            corners[k] = {row_times(p, dv.clip, 0), row_times(p, dv.clip, 1), row_times(p, dv.clip, 3), st[0], st[1]};
        }
        if (!magnifies(corners, width, height))
            return false;
    }
    return true;
}

namespace {

// Texel coordinates along one axis, in texels of the base level, at which
// a filter can read a texel of some level's rectangle.
struct reach_span {
    double lo = std::numeric_limits<double>::infinity();
    double hi = -std::numeric_limits<double>::infinity();

    // Adds the texels [first, end) of a level level_size wide, base_size
    // at the base. A linear filter at s reads the two texels nearest to s
    // - 0.5 and s + 0.5 (in the level's texels), a nearest one the texel
    // at s, which lies between them.
    void add(int first, int end, int level_size, int base_size)
    {
        const double scale = static_cast<double>(base_size) / level_size;
        double from = (first - 0.5) * scale, to = (end + 0.5) * scale;
        // The texture repeats: the first texel is read beside the far
        // edge too, the last beside the near one.
        if (first == 0)
            to = std::numeric_limits<double>::infinity();
        if (end == level_size)
            from = -std::numeric_limits<double>::infinity();
        lo = std::min(lo, from);
        hi = std::max(hi, to);
    }
};

// A point of a triangle in clip space with its texel coordinates, all of
// which are affine over the triangle.
struct clip_point {
    double x, y, w, s, t;
};

// A triangle cut by at most eight planes.
struct clip_polygon {
    clip_point points[12];
    int count = 0;

    // Keeps where f >= 0, f affine (Sutherland and Hodgman).
    template <class affine>
    void keep(affine f)
    {
        clip_point out[12];
        int n = 0;
        for (int i = 0; i < count; ++i) {
            const clip_point& a = points[i];
            const clip_point& b = points[(i + 1) % count];
            const double fa = f(a), fb = f(b);
            if (fa >= 0)
                out[n++] = a;
            if ((fa >= 0) != (fb >= 0)) {
                const double k = fa / (fa - fb);
                out[n++] = {a.x + k * (b.x - a.x), a.y + k * (b.y - a.y), a.w + k * (b.w - a.w),
                            a.s + k * (b.s - a.s), a.t + k * (b.t - a.t)};
            }
        }
        std::copy(out, out + n, points);
        count = n;
    }
};

// The pixels around a span of Direct3D window positions (pixel centres on
// whole numbers), a pixel wider on each side for rounding, within the target.
pixel_rect pixels_around(double least_x, double most_x, double least_y, double most_y, int width, int height)
{
    auto bound = [](double v, int size) { return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(size))); };
    pixel_rect r;
    r.x0 = bound(std::floor(least_x) - 1, width);
    r.x1 = bound(std::floor(most_x) + 2, width);
    r.y0 = bound(std::floor(least_y) - 1, height);
    r.y1 = bound(std::floor(most_y) + 2, height);
    return r;
}

}  // namespace

bool draw_reach(const device_state& s, int stage, const stage_key& key, const draw_range& range,
                const texel_rect* rects, int level_count, int width, int height, pixel_rect& out)
{
    if (key.coords != coords_vertex && key.coords != coords_position)
        return false;
    const std::uint32_t triangles = triangle_count(range);
    if (triangles == 0 || triangles > most_triangles)
        return false;
    const device_texture& texture = *s.textures[stage];
    reach_span along_s, along_t;
    for (int level = 0; level < level_count; ++level) {
        const texel_rect& r = rects[level];
        if (r.empty())
            continue;
        along_s.add(r.x0, r.x1, texture.level_width(level), texture.width);
        along_t.add(r.y0, r.y1, texture.level_height(level), texture.height);
    }
    out = {};
    if (along_s.lo > along_s.hi)
        return true;  // not one texel to reach
    const draw_vertices dv(s, range);
    double least_x = std::numeric_limits<double>::infinity(), most_x = -least_x;
    double least_y = least_x, most_y = most_x;
    for (std::uint32_t t = 0; t < triangles; ++t) {
        const std::uint32_t first = range.type == D3DPT_TRIANGLELIST ? 3 * t : t;
        clip_polygon poly;
        for (std::uint32_t k = 0; k < 3; ++k) {
            const std::uint8_t* v = dv.vertex(first + k);
            double p[4], st[2];
            draw_vertices::position(v, p);
            texels_at(dv, v, p, stage, key, st);
            // Beyond 0..1 the texture repeats, which the spans do not follow.
            if (!(st[0] >= 0 && st[0] <= texture.width && st[1] >= 0 && st[1] <= texture.height))
                return false;
            poly.points[poly.count++] = {row_times(p, dv.clip, 0), row_times(p, dv.clip, 1), row_times(p, dv.clip, 3),
                                         st[0], st[1]};
        }
        if (std::isfinite(along_s.lo))
            poly.keep([&](const clip_point& c) { return c.s - along_s.lo; });
        if (std::isfinite(along_s.hi))
            poly.keep([&](const clip_point& c) { return along_s.hi - c.s; });
        if (std::isfinite(along_t.lo))
            poly.keep([&](const clip_point& c) { return c.t - along_t.lo; });
        if (std::isfinite(along_t.hi))
            poly.keep([&](const clip_point& c) { return along_t.hi - c.t; });
        // The sides of the view, which also keep every point in front of
        // the eye.
        poly.keep([](const clip_point& c) { return c.w - c.x; });
        poly.keep([](const clip_point& c) { return c.w + c.x; });
        poly.keep([](const clip_point& c) { return c.w - c.y; });
        poly.keep([](const clip_point& c) { return c.w + c.y; });
        for (int i = 0; i < poly.count; ++i) {
            const clip_point& c = poly.points[i];
            if (!(c.w > 0))
                return false;
            // Direct3D's window: pixel centres on whole numbers, row 0 at the top.
            const double x = (c.x / c.w + 1) * width / 2, y = (1 - c.y / c.w) * height / 2;
            least_x = std::min(least_x, x);
            most_x = std::max(most_x, x);
            least_y = std::min(least_y, y);
            most_y = std::max(most_y, y);
        }
    }
    if (least_x <= most_x && least_y <= most_y)
        out = pixels_around(least_x, most_x, least_y, most_y, width, height);
    return true;
}

bool draw_extent(const device_state& s, const draw_range& range, int width, int height, pixel_rect& out)
{
    if (range.count > 3 * most_triangles)
        return false;
    const draw_vertices dv(s, range);
    double least_x = std::numeric_limits<double>::infinity(), most_x = -least_x;
    double least_y = least_x, most_y = most_x;
    for (std::uint32_t n = 0; n < range.count; ++n) {
        double p[4];
        draw_vertices::position(dv.vertex(n), p);
        const double w = row_times(p, dv.clip, 3);
        if (!(w > 0))
            return false;
        const double x = (row_times(p, dv.clip, 0) / w + 1) * width / 2;
        const double y = (1 - row_times(p, dv.clip, 1) / w) * height / 2;
        least_x = std::min(least_x, x);
        most_x = std::max(most_x, x);
        least_y = std::min(least_y, y);
        most_y = std::max(most_y, y);
    }
    out = {};
    if (least_x <= most_x && least_y <= most_y)
        out = pixels_around(least_x, most_x, least_y, most_y, width, height);
    return true;
}

bool draw_within_w(const device_state& s, const draw_range& range, double most)
{
    if (range.count > 3 * most_triangles)
        return false;
    const draw_vertices dv(s, range);
    for (std::uint32_t n = 0; n < range.count; ++n) {
        double p[4];
        draw_vertices::position(dv.vertex(n), p);
        if (!(row_times(p, dv.clip, 3) <= most))
            return false;
    }
    return true;
}

}  // namespace vorlane
