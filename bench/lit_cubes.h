// A load like the show's last part (parts/part5.cpp): 2000 small cubes
// spread over a box of +-100 like the wandering particles, each with its
// own world matrix and material, flat shaded under a directional and a
// point light, with glowing edges drawn as lines with the directional
// light off and a white ambient. Shared by the benchmark cases that draw
// them through the device and by hand.
#pragma once

#include <cstdint>

namespace vorlane::lit_cubes {

inline constexpr int width = 640;
inline constexpr int height = 480;
inline constexpr int cubes = 2000;
inline constexpr std::uint32_t face_ambient = 0xFF606060;
inline constexpr std::uint32_t edge_ambient = 0xFFFFFFFF;

inline constexpr float corners[8][3] = {{-1, -1, 1}, {1, -1, 1}, {1, -1, -1}, {-1, -1, -1},
                                        {-1, 1, 1},  {1, 1, 1},  {1, 1, -1},  {-1, 1, -1}};
// As the part writes them: the last two corners keep no normal.
inline constexpr float normals[8][3] = {{-1, 0, 0}, {0, -1, 0}, {1, 0, 0}, {0, 0, -1},
                                        {0, 0, 1},  {0, 1, 0},  {0, 0, 0}, {0, 0, 0}};
inline constexpr std::uint16_t faces[36] = {1, 0, 3, 1, 3, 2, 5, 6, 7, 5, 7, 4, 3, 7, 6, 3, 6, 2,
                                            4, 1, 5, 4, 0, 1, 2, 6, 5, 2, 5, 1, 0, 4, 7, 0, 7, 3};
inline constexpr std::uint16_t edges[24] = {0, 1, 1, 2, 2, 3, 3, 0, 0, 4, 1, 5, 2, 6, 3, 7, 4, 5, 5, 6, 6, 7, 7, 4};

// The sun: white at half strength, ambient as much, from +x +y.
inline constexpr float sun_colour = 0.5f;
inline constexpr float sun_direction[3] = {1, 1, 0};
// The blue glow: 10 in blue, gone beyond 8 units, attenuated by
// 1 / (1 - 2d + d^2).
inline constexpr float glow_blue = 10;
inline constexpr float glow_position[3] = {-6, -3, 25};
inline constexpr float glow_range = 8;
inline constexpr float glow_attenuation[3] = {1, -2, 1};

inline constexpr float near_q = 1000 / (1000 - 0.1f);
inline constexpr float projection[16] = {0.75f * 1.5f, 0, 0, 0, 0,      1.5f, 0, 0,
                                         0,            0, near_q, 1, 0, 0, -near_q * 0.1f, 0};
inline constexpr float view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 150, 1};

struct cube {
    float position[3];
    float world[16];
    float colour[3];  // the material's diffuse, ambient and specular
};

// The cubes in drawing order, from a fixed seed.
inline void place(cube (&out)[cubes])
{
    std::uint32_t seed = 1;
    auto next = [&] {
        seed = seed * 214013u + 2531011u;
        return static_cast<float>((seed >> 16) & 0x7FFF) / 32767.0f * 200 - 100;
    };
    for (cube& c : out) {
        for (float& p : c.position)
            p = next();
        const float world[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.5f, 0,
                                 c.position[0], c.position[1], c.position[2], 1};
        for (int i = 0; i < 16; ++i)
            c.world[i] = world[i];
        c.colour[0] = -c.position[2] / 200 + 0.3f;
        c.colour[1] = c.position[1] / 200 + 0.15f;
        c.colour[2] = c.position[0] / 200 + 0.35f;
    }
}

}  // namespace vorlane::lit_cubes
