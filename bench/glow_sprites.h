// The glowing cloud of the metaball part (parts/part4.cpp) 20 s in: one
// camera-facing sprite per surface point of the three balls, 205 of them,
// each a two-triangle strip of the 256 x 256 glow texture (white, clear
// within radius 42, opaque from 125 out) that covers what is behind it
// with white where the texture is clear. The balls, the cloud's roll and
// slide and the sprite sizes are the part's own at that time; the camera
// is the part's first one, before any cut. Shared by the benchmark cases
// that draw them through the device and by hand.
#pragma once

#include "engine/dyn_array.h"
#include "engine/matrix.h"
#include "engine/vector.h"
#include "parts/metaballs.h"
#include "parts/part4.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vorlane::glow_sprites {

inline constexpr int width = 640;
inline constexpr int height = 480;
inline constexpr int texture_size = 256;
inline constexpr float time = 20000;  // ms of part time
inline constexpr float motion = 0.2f;  // the balls' motion parameter then
inline constexpr float zoom = 1.5f;

inline matrix view()
{
    matrix v = identity_matrix;
    v(3, 1) = -0.5f;
    v(3, 2) = 7;
    return v;
}

inline matrix projection()
{
    matrix p = identity_matrix;
    p.perspective(0.1f, 1000, zoom);
    return p;
}

// The strip: corners from top left, row by row.
struct corner {
    float x, y, u, v;
};
inline constexpr corner corners[4] = {{-1, 1, 0, 0}, {1, 1, 1, 0}, {-1, -1, 0, 1}, {1, -1, 1, 1}};

// The glow picture as the part makes it (the alpha map: 255 clear, 0
// opaque).
inline std::uint8_t picture(int x, int y)
{
    const int dx = x - texture_size / 2, dy = y - texture_size / 2;
    const double v = (127 - std::sqrt(static_cast<double>(dx * dx + dy * dy))) * 3;
    return static_cast<std::uint8_t>(v < 5 ? 0 : std::min(v, 255.0));
}

// Calls draw(x, y, z, w, size) for every sprite, in the part's order (the
// sizes at rest: no swell from a cue within the last 300 ms).
template <class f>
void for_each_sprite(f&& draw)
{
    float field[field_points];
    dyn_array<vector> positions;
    dyn_array<float> sizes;
    fill_field(field, motion);
    const int count = find_surface(field, positions, sizes);
    matrix roll = identity_matrix;
    roll.rotate_ypr(0, 0, cloud_roll(time));
    for (int n = 0; n < count; ++n) {
        vector p = *positions.at(n);
        p.x += cloud_slide(time);
        vector q;
        q.transform(p, roll);
        draw(q.x, q.y, q.z, q.w, *sizes.at(n));
    }
}

}  // namespace vorlane::glow_sprites
