// What the device keeps on the OpenGL side: the context, the back buffer,
// framebuffers per target, the generated programs with the uniform values
// last sent to each, and a shadow of the OpenGL state to skip redundant
// calls. Private to the device's sources, which share it by concern:
// device_gl_resources.cpp (buffers, textures, render targets),
// device_gl_program.cpp (generated programs and their uniforms),
// device_gl_draw.cpp (draws and clears) and device_gl_context.cpp (the
// context, the back buffer, presenting and reading back).
#pragma once

#include "platform/device.h"
#include "platform/fixed_function.h"
#include "platform/gl_context.h"
#include "platform/gl_dialect.h"
#include "platform/texture_footprint.h"

#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vorlane {

// Uniform values in groups that change at different rates; a group is
// sent when it differs from what the program last received. The vertex
// stage's groups are vec4 arrays, so that each goes in one call.
struct object_uniforms {  // u_object: every draw of a new object
    float world_view[16] = {};
    float normal_matrix[3][4] = {};  // columns, w unused
};

struct camera_uniforms {  // per target and projection
    float projection[16] = {};
    float pixel[2] = {};
};

struct material_uniforms {  // u_material
    float diffuse[4] = {};
    float ambient[4] = {};   // w unused
    float emissive[4] = {};  // w unused
};

struct light_uniform {
    float position[4] = {};  // camera space; w: the type
    float direction[4] = {};  // camera space, unit
    float diffuse[4] = {};
    float ambient[4] = {};
    float attenuation[4] = {};  // a0, a1, a2, range
    float spot[4] = {};         // cos(theta/2), cos(phi/2), falloff
};

// u_lights: the enabled lights packed to the front, in camera space; the
// entries from light_count on stay zero and are neither read nor sent.
struct light_uniforms {
    float global_ambient[3] = {};
    float light_count = 0;
    light_uniform lights[max_lights];
};

struct fog_uniforms {
    float fog[3] = {};
    float color[3] = {};
};

struct gl_program {
    GLuint name = 0;
    GLint object_at = -1, projection = -1, pixel = -1, material_at = -1, lights_at = -1;
    GLint texture_matrix[max_texture_stages] = {-1, -1, -1, -1};
    GLint fog = -1, fog_color = -1;

    bool sent = false;  // nothing sent yet
    object_uniforms object;
    camera_uniforms camera;
    d3d_matrix texture_matrix_values[max_texture_stages];
    material_uniforms material;
    light_uniforms lights;
    fog_uniforms fog_values;
};

// Indexed draws held back (device::batching): consecutive draws of the
// same indices and state but for world matrix and material. Any call that
// changes other state, draws otherwise, clears, reads, presents or changes
// a buffer's or texture's contents draws them first (flush_draws).
//
// Under a blend whose outcome does not depend on the order of the draws
// (the target times one, plus or minus the source scaled by a factor of
// the source alone, with no depth written) the held draws also each keep
// stage 0's texture, and go out grouped by texture and by whether they
// magnify it everywhere (the sampler they need).
struct held_draw {
    d3d_matrix world;
    d3d_material material;
    device_texture* texture = nullptr;
    bool magnified = false;
};

struct held_draws {
    d3d_primitive_type type = D3DPT_TRIANGLELIST;
    std::uint32_t start_index = 0;
    std::uint32_t count = 0;  // indices
    std::uint32_t base_vertex = 0;
    bool commuting = false;
    std::vector<held_draw> draws;
};

// What an instanced draw's vertex program reads per instance (a_object,
// a_material) in place of those uniform groups.
struct instance_values {
    object_uniforms object;
    material_uniforms material;
};

struct gl_backend {
    gl_context context;
    GLuint vao = 0;
    // Where flat shading takes the last vertex: the indices of the draw
    // with each primitive's first vertex moved to its end.
    GLuint flat_indices = 0;
    std::vector<std::uint16_t> flat_index_data;
    device_surface back_buffer;
    device_surface depth_buffer;
    device_surface* target = nullptr;
    device_surface* depth = nullptr;
    std::map<std::pair<const device_surface*, const device_surface*>, GLuint> framebuffers;

    std::unordered_map<program_key, gl_program, program_key_hash> programs;
    // The program of the last draw's key: consecutive draws mostly share it.
    program_key last_key;
    gl_program* last_program = nullptr;
    std::map<std::uint32_t, GLuint> samplers;  // by filters_id: min | mag << 8 | mip << 16

    held_draws held;
    std::vector<bool> held_drawn;  // which held draws a flush has drawn
    std::vector<instance_values> instances;  // filled for each instanced draw
    device_vertex_buffer* instance_buffer = nullptr;

    std::vector<std::unique_ptr<device_vertex_buffer>> vertex_buffers;
    std::vector<std::unique_ptr<device_index_buffer>> index_buffers;
    std::vector<std::unique_ptr<device_texture>> textures;
    std::vector<std::unique_ptr<device_state_block>> state_blocks;

    // Shadow of the OpenGL state; -1 is unknown.
    GLint framebuffer = -1;
    GLint viewport_width = -1, viewport_height = -1;
    std::uint64_t generation = 0;  // releases seen by the bindings below
    GLint program = -1;
    GLint blend = -1, blend_src = -1, blend_dst = -1, blend_equation = -1;
    GLint depth_test = -1, depth_mask = -1, depth_clamp = -1;
    GLint cull = -1, cull_face = -1;
    GLint scissor_test = -1;
    pixel_rect scissor;
    GLint unit_texture[max_texture_stages] = {-1, -1, -1, -1};
    std::int64_t unit_filters[max_texture_stages] = {-1, -1, -1, -1};  // the bound samplers' ids
    GLint array_buffer = -1, element_buffer = -1;
    std::uint32_t layout_fvf = 0, layout_stride = 0, layout_first = 0;
    bool layout_valid = false;
};

// Counts releases: a released OpenGL name may come back for a new object,
// so the shadowed bindings are redone after any release.
inline std::uint64_t gl_releases = 0;

// The framebuffer for the current target and depth surface, made once.
GLuint framebuffer_for(gl_backend& gl, const device_surface* target, const device_surface* depth);
void bind_framebuffer(gl_backend& gl, GLuint fb);
// Binds the current target and depth surface with a viewport over the
// whole target. False when the target's texture has been released.
bool bind_target(gl_backend& gl);

// The program for a key, linked the first time the key is seen; its name
// is 0 when the sources do not build (the log is printed once).
gl_program& program_for(gl_backend& gl, const program_key& key);
// Sends the uniform values the state gives a program drawing into target,
// each group only when it differs from what the program last received;
// an instanced program's object and material come per instance instead.
void update_uniforms(gl_program& p, const program_key& key, const device_state& s, const device_surface& target);
object_uniforms object_values(const d3d_matrix& world, const d3d_matrix& view);
material_uniforms material_values(const d3d_material& m);

// Limits drawing to the rectangle, or with null lets it reach the whole
// target again: clears and the blit to the window always do.
void set_scissor(gl_backend& gl, const pixel_rect* rect);

// True when draws in state s give the same pixels in any order, so that
// their texture on stage 0 (the only stage allowed one) may differ.
bool draws_commute(const device_state& s);

// Draws the held draws, if any, and forgets them.
void flush_draws(device& d);

}  // namespace vorlane
