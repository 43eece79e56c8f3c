// The Direct3D 8 names and values the show is written in: the render and
// texture-stage states, their values, transform slots, primitive types and
// the light and material records. Only what the show sets or passes is here.
#pragma once

#include <cstdint>

namespace vorlane {

enum d3d_render_state_type : std::uint32_t {
    D3DRS_ZENABLE = 7,
    D3DRS_SHADEMODE = 9,
    D3DRS_ZWRITEENABLE = 14,
    D3DRS_SRCBLEND = 19,
    D3DRS_DESTBLEND = 20,
    D3DRS_CULLMODE = 22,
    D3DRS_ALPHABLENDENABLE = 27,
    D3DRS_FOGENABLE = 28,
    D3DRS_FOGCOLOR = 34,
    D3DRS_FOGTABLEMODE = 35,
    D3DRS_FOGSTART = 36,  // a float passed as its bit pattern
    D3DRS_FOGEND = 37,    // a float passed as its bit pattern
    D3DRS_CLIPPING = 136,
    D3DRS_LIGHTING = 137,
    D3DRS_AMBIENT = 139,  // A8R8G8B8
    D3DRS_BLENDOP = 171,
};

enum d3d_zbuffer_type : std::uint32_t { D3DZB_FALSE = 0, D3DZB_TRUE = 1 };
enum d3d_shade_mode : std::uint32_t { D3DSHADE_FLAT = 1, D3DSHADE_GOURAUD = 2 };
enum d3d_cull : std::uint32_t { D3DCULL_NONE = 1, D3DCULL_CW = 2, D3DCULL_CCW = 3 };

enum d3d_blend : std::uint32_t {
    D3DBLEND_ZERO = 1,
    D3DBLEND_ONE = 2,
    D3DBLEND_SRCCOLOR = 3,
    D3DBLEND_INVSRCCOLOR = 4,
    D3DBLEND_SRCALPHA = 5,
    D3DBLEND_INVSRCALPHA = 6,
    D3DBLEND_DESTALPHA = 7,
    D3DBLEND_INVDESTALPHA = 8,
    D3DBLEND_DESTCOLOR = 9,
    D3DBLEND_INVDESTCOLOR = 10,
};

enum d3d_blend_op : std::uint32_t {
    D3DBLENDOP_ADD = 1,
    D3DBLENDOP_SUBTRACT = 2,     // source - destination
    D3DBLENDOP_REVSUBTRACT = 3,  // destination - source
};

enum d3d_fog_mode : std::uint32_t { D3DFOG_NONE = 0, D3DFOG_LINEAR = 3 };

enum d3d_texture_stage_state_type : std::uint32_t {
    D3DTSS_COLOROP = 1,
    D3DTSS_COLORARG1 = 2,
    D3DTSS_COLORARG2 = 3,
    D3DTSS_ALPHAOP = 4,
    D3DTSS_ALPHAARG1 = 5,
    D3DTSS_ALPHAARG2 = 6,
    D3DTSS_TEXCOORDINDEX = 11,
    D3DTSS_MAGFILTER = 16,
    D3DTSS_MINFILTER = 17,
    D3DTSS_MIPFILTER = 18,
    D3DTSS_TEXTURETRANSFORMFLAGS = 24,
};

enum d3d_texture_op : std::uint32_t {
    D3DTOP_DISABLE = 1,
    D3DTOP_SELECTARG1 = 2,
    D3DTOP_SELECTARG2 = 3,
    D3DTOP_MODULATE = 4,
    D3DTOP_ADD = 7,
};

// Texture-stage arguments.
enum d3d_texture_arg : std::uint32_t {
    D3DTA_DIFFUSE = 0,
    D3DTA_CURRENT = 1,
    D3DTA_TEXTURE = 2,
};

enum d3d_texture_filter_type : std::uint32_t {
    D3DTEXF_NONE = 0,
    D3DTEXF_POINT = 1,
    D3DTEXF_LINEAR = 2,
};

// D3DTSS_TEXCOORDINDEX: the low bits pick the vertex's coordinate set,
// these flags generate the coordinates instead.
enum d3d_texcoord_index : std::uint32_t {
    D3DTSS_TCI_PASSTHRU = 0,
    D3DTSS_TCI_CAMERASPACENORMAL = 0x10000,
    D3DTSS_TCI_CAMERASPACEPOSITION = 0x20000,
};

enum d3d_texture_transform_flags : std::uint32_t {
    D3DTTFF_DISABLE = 0,
    D3DTTFF_COUNT2 = 2,
};

enum d3d_transform_state_type : std::uint32_t {
    D3DTS_VIEW = 2,
    D3DTS_PROJECTION = 3,
    D3DTS_TEXTURE0 = 16,
    D3DTS_TEXTURE1 = 17,
    D3DTS_TEXTURE2 = 18,
    D3DTS_TEXTURE3 = 19,
    D3DTS_WORLD = 256,
};

enum d3d_primitive_type : std::uint32_t {
    D3DPT_LINELIST = 2,
    D3DPT_LINESTRIP = 3,
    D3DPT_TRIANGLELIST = 4,
    D3DPT_TRIANGLESTRIP = 5,
};

enum d3d_light_type : std::uint32_t {
    D3DLIGHT_POINT = 1,
    D3DLIGHT_SPOT = 2,
    D3DLIGHT_DIRECTIONAL = 3,
};

enum d3d_clear_flags : std::uint32_t {
    D3DCLEAR_TARGET = 1,
    D3DCLEAR_ZBUFFER = 2,
    D3DCLEAR_STENCIL = 4,
};

// Flexible vertex format bits: XYZ | NORMAL | TEX1 (0x112) is the 32-byte
// vertex every buffer of the show holds.
enum d3d_fvf : std::uint32_t {
    D3DFVF_XYZ = 0x002,
    D3DFVF_NORMAL = 0x010,
    D3DFVF_TEX1 = 0x100,
};

enum d3d_usage : std::uint32_t { D3DUSAGE_RENDERTARGET = 0x1 };
enum d3d_pool : std::uint32_t { D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1 };

enum d3d_format : std::uint32_t {
    D3DFMT_A8R8G8B8 = 21,
    D3DFMT_D16 = 80,
    D3DFMT_INDEX16 = 101,
};

enum d3d_state_block_type : std::uint32_t { D3DSBT_ALL = 1 };

struct d3d_color_value {
    float r = 0, g = 0, b = 0, a = 0;
};

struct d3d_vector {
    float x = 0, y = 0, z = 0;
};

// D3DMATERIAL8: the colours the lighting multiplies with. Power only
// matters with specular lighting, which the show never enables.
struct d3d_material {
    d3d_color_value diffuse;
    d3d_color_value ambient;
    d3d_color_value specular;
    d3d_color_value emissive;
    float power = 0;
};

// D3DLIGHT8. Position and direction are in world space; range and the
// attenuation apply to point and spot lights, theta and phi (radians) and
// falloff to spot lights.
struct d3d_light {
    std::uint32_t type = 0;  // d3d_light_type; 0 is no type, which set_light refuses
    d3d_color_value diffuse;
    d3d_color_value specular;
    d3d_color_value ambient;
    d3d_vector position;
    d3d_vector direction;
    float range = 0;
    float falloff = 0;
    float attenuation0 = 0;
    float attenuation1 = 0;
    float attenuation2 = 0;
    float theta = 0;
    float phi = 0;
};

// Render states that take a float carry its bit pattern.
inline std::uint32_t float_bits(float f)
{
    return __builtin_bit_cast(std::uint32_t, f);
}

}  // namespace vorlane
