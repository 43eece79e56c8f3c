// The label flight's echoes (parts/part2.cpp) at a cue 24 s into the
// flight, when all thirteen labels are in view: every label drawn again in
// rings, each ring 1/200 further in front and behind, 0.2 % smaller and
// darker, until a ring would add nothing; at a cue that is rings 0 to 79,
// 2060 quads. Each quad is the 256 x 64 label picture's left 160 texels,
// its own texture per label, added with source alpha under the frame's
// ambient light. The cameras, label places and colours are the flight's
// at that frame. Shared by the benchmark cases that draw them through the
// device and by hand.
#pragma once

#include "bench/echo_quads.h"
#include "parts/part2.h"

#include <cstdint>
#include <initializer_list>

namespace vorlane::label_echoes {

inline constexpr int width = 640;
inline constexpr int height = 480;
inline constexpr int labels = 13;
inline constexpr int main_labels = 3;  // ring 0 holds only these
inline constexpr int rings = 100;
inline constexpr int texture_width = 256;
inline constexpr int texture_height = 64;
inline constexpr std::uint32_t ambient = 0xFF606060;
// The echo brightness right at a cue.
inline constexpr float cue_brightness = 0.04f;

inline constexpr float view[16] = {0.999826f,  -0.0166822f, 0.00832166f, 0, 0.0166828f, 0.999861f, 0, 0,
                                   -0.0083205f, 0.000138829f, 0.999965f, 0, -35.8701f,  0.343669f, -25.6994f, 1};
inline constexpr float projection[16] = {1.125f, 0, 0, 0, 0, 1.5f, 0, 0, 0, 0, 1.00001f, 1, 0, 0, -0.0100001f, 0};

// Label n's place (row 3) and size (rows 0 and 1), n from 1.
struct place {
    float x_row[2], y_row[2], position[3];
};
inline constexpr place places[labels] = {
    {{0.124873f, 0.00562246f}, {0.00562246f, -0.124873f}, {36.2403f, 0.461094f, 27.1417f}},
    {{0.1f, 0}, {0, -0.1f}, {36.4877f, 0.334615f, 27.6692f}},
    {{0.3f, 0}, {0, -0.3f}, {36, -0.697619f, 28.5798f}},
    {{0.08f, 0}, {0, -0.08f}, {36.9869f, -0.267307f, 27.2202f}},
    {{0.08f, 0}, {0, -0.08f}, {37.0975f, -0.26471f, 27.7038f}},
    {{0.08f, 0}, {0, -0.08f}, {37.1554f, -0.262182f, 28.2235f}},
    {{0.08f, 0}, {0, -0.08f}, {37.18f, -0.259735f, 28.7463f}},
    {{0.08f, 0}, {0, -0.08f}, {37.1957f, -0.257378f, 29.2324f}},
    {{0.08f, 0}, {0, -0.08f}, {36.8732f, 0.875508f, 29.7596f}},
    {{0.08f, 0}, {0, -0.08f}, {36.3335f, 0.865265f, 30.2021f}},
    {{0.08f, 0}, {0, -0.08f}, {35.9312f, 0.854953f, 30.4022f}},
    {{0.08f, 0}, {0, -0.08f}, {35.7433f, 0.844515f, 30.3141f}},
    {{0.08f, 0}, {0, -0.08f}, {35.8844f, 0.83086f, 29.9024f}},
};

// The quad: the opening part's, flattened to z = 0.
inline echo_quads::corner quad_corner(int k)
{
    echo_quads::corner c = echo_quads::corners[k];
    c.z = 0;
    return c;
}

// Calls draw(n, world, material colour) for every echo of label n (from 1) in the part's order:
// ring by ring, each label behind and then in front.
template <class f>
void for_each_echo(f&& draw)
{
    for (int r = 0; r < rings; ++r) {
        const float a = 2 * (r == 0 ? 0.2f : cue_brightness - 0.0005f * static_cast<float>(r));
        if (a <= 0)
            return;
        const float size = 1 - 0.002f * static_cast<float>(r);
        const float offset = static_cast<float>(r) / 200;
        for (int n = 1; n <= (r == 0 ? main_labels : labels); ++n) {
            const place& p = places[n - 1];
            float world[16] = {p.x_row[0] * size, p.x_row[1] * size, 0, 0, p.y_row[0] * size, p.y_row[1] * size, 0, 0,
                               0, 0, 1, 0, p.position[0], p.position[1], 0, 1};
            const label_rgb c = label_colour(n);
            const label_rgb lit = {c.r * 3 * a, c.g * 3 * a, c.b * 3 * a};
            for (float z : {p.position[2] - offset, p.position[2] + offset}) {
                world[14] = z;
                draw(n, world, lit);
            }
        }
    }
}

// Label n's picture as the part's font leaves it, 0 where there is ink
// and 255 elsewhere: a word of blocky glyphs, 32 pixels a character in
// the top 48 rows, a different word per label.
inline std::uint8_t picture(int n, int x, int y)
{
    const int letters = n == 3 ? 8 : 5;
    if (x / 32 >= letters || y < 6 || y >= 42)
        return 255;
    const int gx = x % 32, gy = y - 6, shape = (x / 32 + n) % 4;
    const bool stem = gx >= 4 && gx < 9;
    const bool bar = gx >= 4 && gx < 24 && (gy < 5 || (shape & 1 ? gy >= 15 && gy < 20 : gy >= 31));
    const bool right = gx >= 19 && gx < 24 && (shape & 2 ? gy < 20 : gy >= 15);
    return stem || bar || right ? 0 : 255;
}

}  // namespace vorlane::label_echoes
