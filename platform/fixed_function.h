// The Direct3D fixed-function pipeline as generated GLSL: the device state
// that shapes the shaders is reduced to a small key, and each key gets one
// vertex and fragment shader pair, written out here.
#pragma once

#include "platform/device_state.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vorlane {

// Reduced stage operations and arguments, as stored in the key.
enum stage_op : std::uint32_t { op_disable, op_select1, op_select2, op_modulate, op_add };
enum stage_arg : std::uint32_t { arg_diffuse, arg_current, arg_texture };
enum texcoord_source : std::uint32_t { coords_vertex, coords_position, coords_normal, coords_none };
enum fog_kind : std::uint32_t { fog_none, fog_w, fog_z };

struct stage_key {
    std::uint32_t color_op = op_disable;
    std::uint32_t color_arg1 = arg_diffuse;
    std::uint32_t color_arg2 = arg_diffuse;
    std::uint32_t alpha_op = op_disable;
    std::uint32_t alpha_arg1 = arg_diffuse;
    std::uint32_t alpha_arg2 = arg_diffuse;
    bool samples = false;  // reads a bound texture
    std::uint32_t coords = coords_none;
    bool transformed = false;  // through the stage's texture matrix

    bool operator==(const stage_key&) const = default;
};

struct program_key {
    bool lighting = false;
    bool flat = false;
    bool has_normal = false;
    std::uint32_t fog = fog_none;
    bool instanced = false;  // world-view matrix and material per instance
    // Stages up to the first whose colour operation is DISABLE; the rest
    // stay in their default (disabled) form so they do not split the cache.
    stage_key stages[max_texture_stages];

    bool operator==(const program_key&) const = default;
};

struct program_key_hash {
    std::size_t operator()(const program_key& k) const;
};

// textures_present[i]: stage i has a live texture bound.
program_key make_program_key(const device_state& s, const bool (&textures_present)[max_texture_stages]);

// Fog distance: eye-relative (clip w) unless the projection's last column
// is (0, 0, 0, 1), which makes it the depth z / w.
std::uint32_t fog_kind_for(const device_state& s);

std::string vertex_shader_source(const program_key& key);
std::string fragment_shader_source(const program_key& key);

}  // namespace vorlane
