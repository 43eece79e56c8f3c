// Everything the graphics device remembers between calls, as Direct3D 8
// holds it: render states, four texture stages, transforms, material,
// lights and the bound textures and buffers. A state block is a copy.
#pragma once

#include "platform/d3d_types.h"

#include <cstdint>

namespace vorlane {

class device_texture;
class device_vertex_buffer;
class device_index_buffer;

inline constexpr int max_texture_stages = 4;
// Lights beyond this index cannot be set or enabled, as on a device that
// reports eight active lights.
inline constexpr int max_lights = 8;

struct texture_stage_state {
    std::uint32_t color_op = D3DTOP_DISABLE;
    std::uint32_t color_arg1 = D3DTA_TEXTURE;
    std::uint32_t color_arg2 = D3DTA_CURRENT;
    std::uint32_t alpha_op = D3DTOP_DISABLE;
    std::uint32_t alpha_arg1 = D3DTA_TEXTURE;
    std::uint32_t alpha_arg2 = D3DTA_CURRENT;
    std::uint32_t tex_coord_index = 0;  // the stage number by default
    std::uint32_t texture_transform_flags = D3DTTFF_DISABLE;
    std::uint32_t mag_filter = D3DTEXF_POINT;
    std::uint32_t min_filter = D3DTEXF_POINT;
    std::uint32_t mip_filter = D3DTEXF_NONE;
};

// Row-major, points are row vectors: p' = p * m (the engine's matrix
// layout, element [r][c] at m[4r + c]).
struct d3d_matrix {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

struct device_state {
    // Render states, with the defaults of a device made with an automatic
    // depth buffer.
    std::uint32_t zenable = D3DZB_TRUE;
    std::uint32_t zwriteenable = 1;
    std::uint32_t shademode = D3DSHADE_GOURAUD;
    std::uint32_t cullmode = D3DCULL_CCW;
    std::uint32_t alphablendenable = 0;
    std::uint32_t srcblend = D3DBLEND_ONE;
    std::uint32_t destblend = D3DBLEND_ZERO;
    std::uint32_t blendop = D3DBLENDOP_ADD;
    std::uint32_t fogenable = 0;
    std::uint32_t fogcolor = 0;  // X8R8G8B8
    std::uint32_t fogtablemode = D3DFOG_NONE;
    float fogstart = 0;
    float fogend = 1;
    std::uint32_t clipping = 1;
    std::uint32_t lighting = 1;
    std::uint32_t ambient = 0;  // A8R8G8B8

    texture_stage_state stages[max_texture_stages];

    d3d_matrix world;
    d3d_matrix view;
    d3d_matrix projection;
    d3d_matrix texture_transform[max_texture_stages];

    // A fresh device lights with white diffuse only.
    d3d_material material = {{1, 1, 1, 1}, {}, {}, {}, 0};
    // Never-set lights hold the light that enabling an unset index creates:
    // directional, white diffuse, pointing along +z.
    d3d_light lights[max_lights] = {};
    bool light_enabled[max_lights] = {};

    device_texture* textures[max_texture_stages] = {};
    std::uint32_t fvf = 0;
    device_vertex_buffer* stream = nullptr;
    std::uint32_t stride = 0;
    device_index_buffer* indices = nullptr;
    std::uint32_t base_vertex = 0;

    device_state();
};

}  // namespace vorlane
