// What a draw's fragments cover, worked out on the CPU from its vertices.
// How many texels they step over per pixel: where a draw magnifies a
// stage's texture everywhere, OpenGL colours every fragment with the
// magnification filter on the base level, so the same picture comes from a
// sampler without mipmapping, which the software renderer samples at about
// two thirds of the cost. And how far from the eye they lie: a draw nearer
// than where fog starts gets none.
#pragma once

#include "platform/device_state.h"
#include "platform/fixed_function.h"
#include "platform/texel_bounds.h"

#include <cstdint>

namespace vorlane {

// One corner of a triangle: clip-space x, y and w, and the texture
// coordinates in texels of the base level.
struct footprint_vertex {
    double x = 0, y = 0, w = 1;
    double s = 0, t = 0;
};

// True when no pixel within a pixel and a half of the triangle, drawn into
// a width x height target, steps more than 0.95 texels (|ds| + |dt|, which
// is at least the level-of-detail scale OpenGL allows) per pixel in x or
// y. False when that cannot be bounded: a corner at or behind the eye, or
// no area.
bool magnifies(const footprint_vertex (&corners)[3], int width, int height);

// The vertices of one draw call: first is the first vertex, or the first
// index of an indexed draw (whose indices are offset by the state's base
// vertex).
struct draw_range {
    d3d_primitive_type type = D3DPT_TRIANGLELIST;
    std::uint32_t first = 0;
    std::uint32_t count = 0;  // vertices or indices
    bool indexed = false;
};

// True when every triangle of the draw magnifies stage i's texture, its
// coordinates as the stage's key makes them (from the vertices or the
// camera-space position, through the texture matrix when transformed).
// False for lines, for coordinates from the normal or none, and for draws
// of more than 256 triangles, which are left to the renderer.
bool draw_magnifies(const device_state& s, int stage, const stage_key& key, const draw_range& range, int width,
                    int height);

// Pixels of the target, [x0, x1) x [y0, y1), row 0 at the top.
struct pixel_rect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;

    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

// The pixels whose fragments in the draw can sample any texel of rects
// (one per level of stage i's texture, levels 0 to level_count - 1, each
// in that level's texels) with a linear or nearest filter, the texture
// repeating: outside them every fragment samples only other texels. A
// pixel beyond the exact bound on each side allows for rounding. Empty
// when no fragment can reach them. False when that cannot be bounded: a
// coordinate source other than the vertices or the position, texture
// coordinates outside 0..1 (where the texture repeats), lines, or draws
// of more than 256 triangles.
bool draw_reach(const device_state& s, int stage, const stage_key& key, const draw_range& range,
                const texel_rect* rects, int level_count, int width, int height, pixel_rect& out);

// The pixels of a width x height target within the bounds of the draw's
// projected vertices (a bound of all it covers). False when a vertex is
// not in front of the eye, or for draws of more than 768 vertices.
bool draw_extent(const device_state& s, const draw_range& range, int width, int height, pixel_rect& out);

// True when every vertex of the draw has a clip w of at most most, so that
// every fragment has (clipping keeps them inside the primitives). False
// for draws of more than 768 vertices, which are not looked at.
bool draw_within_w(const device_state& s, const draw_range& range, double most);

}  // namespace vorlane
