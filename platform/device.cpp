// The device's state calls: they only record what Direct3D would hold.
// Drawing, clearing and the OpenGL side are in the device_gl_*.cpp files.

#include "platform/device.h"

#include "platform/gl_backend.h"

#include <cstring>

namespace vorlane {

device_state::device_state()
{
    stages[0].color_op = D3DTOP_MODULATE;
    stages[0].alpha_op = D3DTOP_SELECTARG1;
    for (int i = 0; i < max_texture_stages; ++i)
        stages[i].tex_coord_index = i;
    for (d3d_light& l : lights) {
        l.type = D3DLIGHT_DIRECTIONAL;
        l.diffuse = {1, 1, 1, 0};
        l.direction = {0, 0, 1};
    }
}

namespace {

// Held draws go out before a state they were drawn with changes.
template <class value_type>
void change(device& d, value_type& slot, const value_type& value)
{
    if (std::memcmp(&slot, &value, sizeof value) == 0)
        return;
    if (d.gl)
        flush_draws(d);
    slot = value;
}

float as_float(std::uint32_t value)
{
    float f;
    std::memcpy(&f, &value, 4);
    return f;
}

}  // namespace

void device::set_render_state(d3d_render_state_type type, std::uint32_t value)
{
    device_state& s = state;
    switch (type) {
    case D3DRS_ZENABLE: change(*this, s.zenable, value); break;
    case D3DRS_SHADEMODE: change(*this, s.shademode, value); break;
    case D3DRS_ZWRITEENABLE: change(*this, s.zwriteenable, value); break;
    case D3DRS_SRCBLEND: change(*this, s.srcblend, value); break;
    case D3DRS_DESTBLEND: change(*this, s.destblend, value); break;
    case D3DRS_CULLMODE: change(*this, s.cullmode, value); break;
    case D3DRS_ALPHABLENDENABLE: change(*this, s.alphablendenable, value); break;
    case D3DRS_FOGENABLE: change(*this, s.fogenable, value); break;
    case D3DRS_FOGCOLOR: change(*this, s.fogcolor, value); break;
    case D3DRS_FOGTABLEMODE: change(*this, s.fogtablemode, value); break;
    case D3DRS_FOGSTART: change(*this, s.fogstart, as_float(value)); break;
    case D3DRS_FOGEND: change(*this, s.fogend, as_float(value)); break;
    case D3DRS_CLIPPING: change(*this, s.clipping, value); break;
    case D3DRS_LIGHTING: change(*this, s.lighting, value); break;
    case D3DRS_AMBIENT: change(*this, s.ambient, value); break;
    case D3DRS_BLENDOP: change(*this, s.blendop, value); break;
    }
}

void device::set_texture_stage_state(int stage, d3d_texture_stage_state_type type, std::uint32_t value)
{
    if (stage < 0 || stage >= max_texture_stages)
        return;
    texture_stage_state& t = state.stages[stage];
    switch (type) {
    case D3DTSS_COLOROP: change(*this, t.color_op, value); break;
    case D3DTSS_COLORARG1: change(*this, t.color_arg1, value); break;
    case D3DTSS_COLORARG2: change(*this, t.color_arg2, value); break;
    case D3DTSS_ALPHAOP: change(*this, t.alpha_op, value); break;
    case D3DTSS_ALPHAARG1: change(*this, t.alpha_arg1, value); break;
    case D3DTSS_ALPHAARG2: change(*this, t.alpha_arg2, value); break;
    case D3DTSS_TEXCOORDINDEX: change(*this, t.tex_coord_index, value); break;
    case D3DTSS_MAGFILTER: change(*this, t.mag_filter, value); break;
    case D3DTSS_MINFILTER: change(*this, t.min_filter, value); break;
    case D3DTSS_MIPFILTER: change(*this, t.mip_filter, value); break;
    case D3DTSS_TEXTURETRANSFORMFLAGS: change(*this, t.texture_transform_flags, value); break;
    }
}

void device::set_transform(d3d_transform_state_type type, const float* m)
{
    d3d_matrix value;
    std::memcpy(value.m, m, sizeof value.m);
    switch (type) {
    // Held draws each keep their own world matrix.
    case D3DTS_WORLD: state.world = value; break;
    case D3DTS_VIEW: change(*this, state.view, value); break;
    case D3DTS_PROJECTION: change(*this, state.projection, value); break;
    case D3DTS_TEXTURE0:
    case D3DTS_TEXTURE1:
    case D3DTS_TEXTURE2:
    case D3DTS_TEXTURE3: change(*this, state.texture_transform[type - D3DTS_TEXTURE0], value); break;
    }
}

// Held draws each keep their own material.
void device::set_material(const d3d_material& material)
{
    state.material = material;
}

bool device::set_light(int index, const d3d_light& light)
{
    if (index < 0 || index >= max_lights)
        return false;
    if (light.type != D3DLIGHT_POINT && light.type != D3DLIGHT_SPOT && light.type != D3DLIGHT_DIRECTIONAL)
        return false;
    change(*this, state.lights[index], light);
    return true;
}

bool device::light_enable(int index, bool enable)
{
    if (index < 0 || index >= max_lights)
        return false;
    change(*this, state.light_enabled[index], enable);
    return true;
}

void device::set_texture(int stage, device_texture* texture)
{
    if (stage < 0 || stage >= max_texture_stages)
        return;
    // Held draws that commute each keep their own texture on stage 0.
    if (stage == 0 && gl && gl->held.commuting)
        state.textures[0] = texture;
    else
        change(*this, state.textures[stage], texture);
}

void device::set_vertex_shader(std::uint32_t fvf)
{
    change(*this, state.fvf, fvf);
}

void device::set_stream_source(int stream, device_vertex_buffer* buffer, std::uint32_t stride)
{
    if (stream != 0)
        return;
    change(*this, state.stream, buffer);
    change(*this, state.stride, stride);
}

void device::set_indices(device_index_buffer* buffer, std::uint32_t base_vertex)
{
    change(*this, state.indices, buffer);
    change(*this, state.base_vertex, base_vertex);
}

// Scenes are not recorded; drawing works at any time.
void device::begin_scene() {}
void device::end_scene() {}

device_state_block* device::create_state_block(std::uint32_t type)
{
    if (type != D3DSBT_ALL || !gl)
        return nullptr;
    gl->state_blocks.push_back(std::make_unique<device_state_block>());
    device_state_block* block = gl->state_blocks.back().get();
    block->state = state;
    return block;
}

bool device::capture_state_block(device_state_block* block)
{
    if (!block)
        return false;
    block->state = state;
    return true;
}

bool device::apply_state_block(device_state_block* block)
{
    if (!block)
        return false;
    if (gl)
        flush_draws(*this);
    state = block->state;
    return true;
}

int device_texture::level_width(int level) const
{
    int w = width >> level;
    return w > 0 ? w : 1;
}

int device_texture::level_height(int level) const
{
    int h = height >> level;
    return h > 0 ? h : 1;
}

bool device_texture::lock_rect(int level, d3d_locked_rect& out)
{
    if (released || level < 0 || level >= static_cast<int>(level_data.size()))
        return false;
    out.pitch = level_width(level) * 4;
    out.bits = level_data[level].data();
    return true;
}

device_surface* device_texture::get_surface_level(int level)
{
    if (released || level < 0 || level >= levels)
        return nullptr;
    return surfaces[level].get();
}

}  // namespace vorlane
