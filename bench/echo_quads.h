// The title's echoes as the opening part draws them at 380 frames (19 s
// into the part): 200 copies of one label quad, 160 x 64 texels of a 256 x
// 64 white picture with an alpha map, trilinearly filtered, each copy
// nearer the camera, shrinking and darker, added onto the picture with
// source alpha. Shared by the benchmark cases that draw them through the
// device and by hand, so both draw the same fragments.
#pragma once

#include "bench/clip_space.h"
#include "engine/matrix.h"

#include <cstdint>

namespace vorlane::echo_quads {

inline constexpr int width = 640;
inline constexpr int height = 480;
inline constexpr int copies = 200;
inline constexpr int texture_width = 256;
inline constexpr int texture_height = 64;

// Row-major, points are row vectors (the device's layout). The part's
// projection leaves [3][3] at 0, so clip w is the camera z; its camera
// looks down at the title, tilted by 0.49.
inline matrix projection()
{
    matrix p = identity_matrix;
    p(3, 3) = 0;
    p.perspective(0.1f, 1000, 1.5f);
    return p;
}

inline matrix view()
{
    matrix v = identity_matrix;
    v(3, 2) = -0.3f;
    v.rotate_ypr(0, 0.49f, 0);
    return v;
}

struct corner {
    float x, y, z, u, v;
};
inline constexpr corner corners[4] = {
    {-1, -1, 1, 0, 0}, {1, -1, 1, 0.625f, 0}, {1, 1, 1, 0.625f, 1}, {-1, 1, 1, 0, 1}};
inline constexpr std::uint16_t indices[6] = {0, 1, 2, 0, 2, 3};

// Copy r's world matrix: 0.5 % smaller per copy and 0.005 nearer.
inline void world(int r, float (&m)[16])
{
    const float size = 0.125f * (1 - 0.002f * static_cast<float>(r));
    const float w[16] = {size, 0, 0, 0, 0, size, 0, 0, 0, 0, 1, 0, 0, 0.3f, -static_cast<float>(r) / 200, 1};
    for (int i = 0; i < 16; ++i)
        m[i] = w[i];
}

// Copy r's material colour (grey): the first at full brightness.
inline float brightness(int r)
{
    return 3 * (r == 0 ? 1.0f : 0.2f - 0.001f * static_cast<float>(r));
}

// The picture's alpha: blocky strokes where the glyphs would be.
inline std::uint8_t alpha(int x, int y)
{
    return ((x / 4 + y / 8) % 3 == 0 || (x % 32 < 6 && y < 48)) ? 255 : 0;
}

// A corner where the device puts it for OpenGL.
inline void clip_position(const corner& c, const float (&w)[16], float (&out)[4])
{
    const float p[4] = {c.x, c.y, c.z, 1};
    gl_clip_position(p, w, view().e, projection().e, width, height, out);
}

}  // namespace vorlane::echo_quads
