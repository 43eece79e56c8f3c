// Draws and clears: a draw turns the recorded Direct3D state into the
// generated program, its uniforms and the fixed OpenGL state (blending,
// depth, culling, textures, vertex layout), each set only when it changed.

#include "platform/device.h"
#include "platform/gl_backend.h"
#include "platform/texture_footprint.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vorlane {

namespace {

GLenum blend_factor(std::uint32_t b)
{
    switch (b) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
    }
}

GLenum blend_equation(std::uint32_t op)
{
    switch (op) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    default: return GL_FUNC_ADD;
    }
}

void set_enabled(GLint& shadow, GLenum cap, bool on)
{
    if (shadow == (on ? 1 : 0))
        return;
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
    shadow = on ? 1 : 0;
}

std::uint32_t filters_id(const texture_stage_state& st)
{
    return st.min_filter | st.mag_filter << 8 | st.mip_filter << 16;
}

GLuint sampler_for(gl_backend& gl, const texture_stage_state& st)
{
    std::uint32_t id = filters_id(st);
    auto found = gl.samplers.find(id);
    if (found != gl.samplers.end())
        return found->second;
    bool min_linear = st.min_filter == D3DTEXF_LINEAR;
    GLint min;
    switch (st.mip_filter) {
    case D3DTEXF_POINT: min = min_linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST; break;
    case D3DTEXF_LINEAR: min = min_linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR; break;
    default: min = min_linear ? GL_LINEAR : GL_NEAREST; break;
    }
    GLuint s = 0;
    glGenSamplers(1, &s);
    glSamplerParameteri(s, GL_TEXTURE_MIN_FILTER, min);
    glSamplerParameteri(s, GL_TEXTURE_MAG_FILTER, st.mag_filter == D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(s, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(s, GL_TEXTURE_WRAP_T, GL_REPEAT);
    gl.samplers[id] = s;
    return s;
}

// Byte size of a vertex of the format, 0 when the device cannot draw it.
std::uint32_t vertex_size(std::uint32_t fvf)
{
    if ((fvf & 0x00E) != D3DFVF_XYZ)
        return 0;
    std::uint32_t size = 12;
    if (fvf & D3DFVF_NORMAL)
        size += 12;
    if (((fvf >> 8) & 0xF) >= 1)
        size += 8;
    return size;
}

// The attributes start first_vertex vertices into the stream: where the
// dialect has no base vertex, a draw's base vertex is given so.
void set_vertex_layout(gl_backend& gl, const device_state& s, std::uint32_t first_vertex)
{
    GLint buffer = static_cast<GLint>(s.stream->buffer.name);
    if (gl.layout_valid && gl.array_buffer == buffer && gl.layout_fvf == s.fvf && gl.layout_stride == s.stride &&
        gl.layout_first == first_vertex)
        return;
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(buffer));
    GLsizei stride = static_cast<GLsizei>(s.stride);
    const std::uintptr_t start = std::uintptr_t{first_vertex} * s.stride;
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(start));
    glEnableVertexAttribArray(0);
    std::uintptr_t offset = start + 12;
    if (s.fvf & D3DFVF_NORMAL) {
        glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(offset));
        glEnableVertexAttribArray(1);
        offset += 12;
    } else {
        glDisableVertexAttribArray(1);
    }
    if (((s.fvf >> 8) & 0xF) >= 1) {
        glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(offset));
        glEnableVertexAttribArray(2);
    } else {
        glDisableVertexAttribArray(2);
    }
    gl.array_buffer = buffer;
    gl.layout_fvf = s.fvf;
    gl.layout_stride = s.stride;
    gl.layout_first = first_vertex;
    gl.layout_valid = true;
}

// A draw is dropped when the stream holds no storage or its vertices are
// not in a format the device draws or are wider than the stride.
bool stream_drawable(const device_state& s)
{
    std::uint32_t size = vertex_size(s.fvf);
    return s.stream && s.stream->buffer.name && size != 0 && s.stride >= size;
}

void forget_released_bindings(gl_backend& gl)
{
    if (gl.generation == gl_releases)
        return;
    gl.generation = gl_releases;
    gl.layout_valid = false;
    gl.element_buffer = -1;
    for (GLint& t : gl.unit_texture)
        t = -1;
}

program_key key_for(const device_state& s)
{
    bool present[max_texture_stages];
    for (int i = 0; i < max_texture_stages; ++i)
        present[i] = s.textures[i] && !s.textures[i]->released;
    return make_program_key(s, present);
}

// Fog over eye distance starts at the fog start: a draw whose vertices all
// lie nearer than that by a hundredth of the fog's depth has a fog factor
// of exactly 1 at every fragment, and mixing black fog in by 1 leaves the
// colour exactly as it was (0 x 0 + c x 1, or 0 + 1 x (c - 0)), so its
// program can leave fog out for the same pixels.
bool fog_out_of_reach(const device_state& s, const draw_range& range)
{
    const float depth = s.fogend - s.fogstart;
    return (s.fogcolor & 0xFFFFFF) == 0 && depth > 0 && draw_within_w(s, range, s.fogstart - 0.01 * depth);
}

// Null when the key's program does not build.
gl_program* use_program(gl_backend& gl, const program_key& key)
{
    if (!gl.last_program || !(key == gl.last_key)) {
        gl.last_program = &program_for(gl, key);
        gl.last_key = key;
    }
    gl_program& p = *gl.last_program;
    if (!p.name)
        return nullptr;
    if (gl.program != static_cast<GLint>(p.name)) {
        glUseProgram(p.name);
        gl.program = static_cast<GLint>(p.name);
    }
    return &p;
}

void set_blending(gl_backend& gl, const device_state& s)
{
    bool blend = s.alphablendenable != 0;
    set_enabled(gl.blend, GL_BLEND, blend);
    if (!blend)
        return;
    GLint src = static_cast<GLint>(blend_factor(s.srcblend));
    GLint dst = static_cast<GLint>(blend_factor(s.destblend));
    if (src != gl.blend_src || dst != gl.blend_dst) {
        glBlendFunc(static_cast<GLenum>(src), static_cast<GLenum>(dst));
        gl.blend_src = src;
        gl.blend_dst = dst;
    }
    GLint eq = static_cast<GLint>(blend_equation(s.blendop));
    if (eq != gl.blend_equation) {
        glBlendEquation(static_cast<GLenum>(eq));
        gl.blend_equation = eq;
    }
}

void set_depth(gl_backend& gl, const device_state& s)
{
    // Without a depth surface the framebuffer has no depth buffer, and
    // OpenGL then neither tests nor writes depth, as Direct3D.
    bool depth = s.zenable != D3DZB_FALSE;
    set_enabled(gl.depth_test, GL_DEPTH_TEST, depth);
    GLint mask = s.zwriteenable ? 1 : 0;
    if (depth && mask != gl.depth_mask) {
        glDepthMask(mask ? GL_TRUE : GL_FALSE);
        gl.depth_mask = mask;
    }
    // Without clipping nothing is cut at the near and far planes.
    if (gl.context.depth_clamp)
        set_enabled(gl.depth_clamp, gl_depth_clamp, s.clipping == 0);
}

void set_culling(gl_backend& gl, const device_state& s)
{
    // Window y runs down as on the Direct3D screen, so OpenGL's positive
    // area is Direct3D's clockwise.
    bool cull = s.cullmode == D3DCULL_CW || s.cullmode == D3DCULL_CCW;
    set_enabled(gl.cull, GL_CULL_FACE, cull);
    if (!cull)
        return;
    GLint face = s.cullmode == D3DCULL_CW ? GL_FRONT : GL_BACK;
    if (face != gl.cull_face) {
        glCullFace(static_cast<GLenum>(face));
        gl.cull_face = face;
    }
}

// The filters stage i samples with in this draw. Where the draw magnifies
// a mip-mapped texture everywhere, OpenGL picks the magnification filter
// on the base level for every fragment; a sampler with that filter alone
// and no mipmapping gives the same texels without the renderer working out
// a level of detail and a second level per fragment.
bool magnifies_mipmaps(const gl_backend& gl, const device_state& s, const program_key& key, int i,
                       const draw_range& range)
{
    return key.stages[i].samples && s.stages[i].mip_filter != D3DTEXF_NONE && s.textures[i]->levels > 1 &&
           draw_magnifies(s, i, key.stages[i], range, gl.target->width, gl.target->height);
}

texture_stage_state filters_for(const gl_backend& gl, const device_state& s, const program_key& key, int i,
                                const draw_range& range)
{
    texture_stage_state st = s.stages[i];
    if (magnifies_mipmaps(gl, s, key, i, range)) {
        st.mip_filter = D3DTEXF_NONE;
        st.min_filter = st.mag_filter;
    }
    return st;
}

// The texture and sampler of every stage the program samples.
void bind_textures(gl_backend& gl, const device_state& s, const program_key& key, const draw_range& range)
{
    for (int i = 0; i < max_texture_stages; ++i) {
        if (!key.stages[i].samples)
            continue;
        GLint tex = static_cast<GLint>(s.textures[i]->gl_texture);
        if (tex != gl.unit_texture[i]) {
            glActiveTexture(GL_TEXTURE0 + i);
            glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(tex));
            gl.unit_texture[i] = tex;
        }
        const texture_stage_state st = filters_for(gl, s, key, i, range);
        std::uint32_t filters = filters_id(st);
        if (filters != gl.unit_filters[i]) {
            glBindSampler(i, sampler_for(gl, st));
            gl.unit_filters[i] = filters;
        }
    }
}

// For a draw that samples one texture and whose alpha is that texture's
// (or a product with it), the rectangles, per level, of the texels whose
// alpha is not the one at which the blend leaves the target exactly as it
// was: source x 0 added to the target x 1 (alpha 0), or source x (1 - 1)
// and the target x 1 (alpha 255). The depth buffer must stay as it is
// too. Null when the draw is not of that kind.
const std::vector<texel_rect>* texels_that_show(const device_state& s, const program_key& key)
{
    const stage_key& k = key.stages[0];
    if (!s.alphablendenable || (s.zenable != D3DZB_FALSE && s.zwriteenable) || !k.samples ||
        key.stages[1].color_op != op_disable || key.instanced ||
        (s.blendop != D3DBLENDOP_ADD && s.blendop != D3DBLENDOP_REVSUBTRACT))
        return nullptr;
    const device_texture& t = *s.textures[0];
    if (t.not_clear.empty())
        return nullptr;  // a render target: its texels are not known here
    const bool alpha_is_texel = (k.alpha_op == op_select1 && k.alpha_arg1 == arg_texture) ||
                                (k.alpha_op == op_select2 && k.alpha_arg2 == arg_texture);
    const bool alpha_has_texel =
        alpha_is_texel || (k.alpha_op == op_modulate && (k.alpha_arg1 == arg_texture || k.alpha_arg2 == arg_texture));
    if (s.srcblend == D3DBLEND_SRCALPHA && (s.destblend == D3DBLEND_ONE || s.destblend == D3DBLEND_INVSRCALPHA) &&
        alpha_has_texel)
        return &t.not_clear;
    if (s.srcblend == D3DBLEND_INVSRCALPHA && (s.destblend == D3DBLEND_ONE || s.destblend == D3DBLEND_SRCALPHA) &&
        alpha_is_texel)
        return &t.not_opaque;
    return nullptr;
}

// How much of a draw can change the target: the pixels that can sample a
// texel that shows (reach), when cutting the draw to them pays.
enum class texel_cut { whole, part, none };

texel_cut cut_to_texels(const device& d, const program_key& key, const draw_range& range, pixel_rect& reach)
{
    const gl_backend& gl = *d.gl;
    const device_state& s = d.state;
    const std::vector<texel_rect>* shown = d.clip_to_texels ? texels_that_show(s, key) : nullptr;
    // Without a mip filter only the base level is sampled.
    const int levels = s.stages[0].mip_filter == D3DTEXF_NONE ? 1 : static_cast<int>(shown ? shown->size() : 0);
    if (!shown ||
        !draw_reach(s, 0, key.stages[0], range, shown->data(), levels, gl.target->width, gl.target->height, reach))
        return texel_cut::whole;
    if (reach.empty())
        return texel_cut::none;
    pixel_rect extent;
    const auto area = [](const pixel_rect& r) { return std::int64_t{r.x1 - r.x0} * (r.y1 - r.y0); };
    if (!d.clip_every_draw && draw_extent(s, range, gl.target->width, gl.target->height, extent) &&
        area(extent) - area(reach) < std::max<std::int64_t>(area(extent) / 2, 64 * 64))
        return texel_cut::whole;
    return texel_cut::part;
}

// Scissors the draw to the pixels it can change. False when it can change
// none.
bool limit_to_texels(device& d, const program_key& key, const draw_range& range)
{
    pixel_rect reach;
    const texel_cut cut = cut_to_texels(d, key, range, reach);
    set_scissor(*d.gl, cut == texel_cut::part ? &reach : nullptr);
    return cut != texel_cut::none;
}

// Everything a draw of range needs, in the order OpenGL needs it; an
// instanced draw's program reads world-view matrix and material per
// instance; the vertex attributes start first_vertex vertices into the
// stream; instances_out_of_fog says that fog reaches none of the
// instances. False when the draw cannot happen or would change nothing.
bool prepare_draw(device& d, const draw_range& range, bool instanced = false, std::uint32_t first_vertex = 0,
                  bool instances_out_of_fog = false)
{
    gl_backend& gl = *d.gl;
    const device_state& s = d.state;
    if (!stream_drawable(s) || !bind_target(gl))
        return false;
    forget_released_bindings(gl);
    program_key key = key_for(s);
    key.instanced = instanced;
    if (!limit_to_texels(d, key, range))
        return false;
    if (key.fog == fog_w && (instanced ? instances_out_of_fog : fog_out_of_reach(s, range)))
        key.fog = fog_none;
    gl_program* p = use_program(gl, key);
    if (!p)
        return false;
    update_uniforms(*p, key, s, *gl.target);
    set_blending(gl, s);
    set_depth(gl, s);
    set_culling(gl, s);
    bind_textures(gl, s, key, range);
    set_vertex_layout(gl, s, first_vertex);
    return true;
}

// OpenGL mode and vertex (or index) count of a primitive list; count 0
// for a type the device does not draw.
GLenum primitive_mode(d3d_primitive_type type, std::uint32_t primitives, std::uint32_t& count)
{
    switch (type) {
    case D3DPT_LINELIST: count = 2 * primitives; return GL_LINES;
    case D3DPT_LINESTRIP: count = primitives + 1; return GL_LINE_STRIP;
    case D3DPT_TRIANGLELIST: count = 3 * primitives; return GL_TRIANGLES;
    case D3DPT_TRIANGLESTRIP: count = primitives + 2; return GL_TRIANGLE_STRIP;
    }
    count = 0;
    return GL_POINTS;
}

void bind_element_buffer(gl_backend& gl, GLuint name)
{
    if (static_cast<GLint>(name) != gl.element_buffer) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, name);
        gl.element_buffer = static_cast<GLint>(name);
    }
}

// Where flat shading takes a primitive's last vertex, a flat list of lines
// or triangles is drawn from a copy of its indices (the count from first,
// or vertex numbers from first on when indices is null) in which each
// primitive's first vertex comes last: (i0, i1, i2) -> (i1, i2, i0) keeps
// the winding. Strips keep their order. False when nothing needs moving.
bool bind_flat_indices(gl_backend& gl, d3d_primitive_type type, const std::uint8_t* indices, std::uint32_t first,
                       std::uint32_t count)
{
    const std::uint32_t per = type == D3DPT_TRIANGLELIST ? 3 : type == D3DPT_LINELIST ? 2 : 0;
    if (gl.context.first_vertex_flat || !gl.last_key.flat || per == 0 ||
        (!indices && std::uint64_t{first} + count > 0x10000))
        return false;
    std::vector<std::uint16_t>& out = gl.flat_index_data;
    out.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t from = i - i % per + (i % per + 1) % per;
        std::uint16_t index = static_cast<std::uint16_t>(first + from);
        if (indices)
            std::memcpy(&index, indices + 2 * (std::size_t{first} + from), 2);
        out[i] = index;
    }
    if (!gl.flat_indices)
        glGenBuffers(1, &gl.flat_indices);
    bind_element_buffer(gl, gl.flat_indices);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(count * 2), out.data(), GL_STREAM_DRAW);
    return true;
}

// The indices of the held draws, once for each of instances.
void draw_elements(gl_backend& gl, const device_state& s, const held_draws& h, GLsizei instances)
{
    std::uint32_t count = 0;
    GLenum mode = primitive_mode(h.type, 1, count);
    const void* first = nullptr;
    if (!bind_flat_indices(gl, h.type, s.indices->buffer.data.data(), h.start_index, h.count)) {
        bind_element_buffer(gl, s.indices->buffer.name);
        first = reinterpret_cast<const void*>(std::uintptr_t{h.start_index} * 2);
    }
    // Without a base vertex in the draw the attributes already start there.
    const GLint base = gl_has_base_vertex ? static_cast<GLint>(h.base_vertex) : 0;
    draw_indices(mode, static_cast<GLsizei>(h.count), first, instances, base);
}

// Puts gl.instances into the instance buffer, which feeds attributes 3 to
// 12 one record an instance; the buffer grows to twice what is needed.
// False when it cannot be made.
bool upload_instances(device& d)
{
    gl_backend& gl = *d.gl;
    const std::size_t bytes = gl.instances.size() * sizeof(instance_values);
    if (!gl.instance_buffer || gl.instance_buffer->length < bytes) {
        d.destroy(gl.instance_buffer);
        gl.instance_buffer = d.create_vertex_buffer(static_cast<std::uint32_t>(2 * bytes), 0, 0, D3DPOOL_DEFAULT);
        if (!gl.instance_buffer)
            return false;
        glBindBuffer(GL_ARRAY_BUFFER, gl.instance_buffer->buffer.name);
        gl.array_buffer = static_cast<GLint>(gl.instance_buffer->buffer.name);
        for (GLuint i = 0; i < sizeof(instance_values) / 16; ++i) {
            glVertexAttribPointer(3 + i, 4, GL_FLOAT, GL_FALSE, sizeof(instance_values),
                                  reinterpret_cast<const void*>(std::uintptr_t{16} * i));
            glVertexAttribDivisor(3 + i, 1);
            glEnableVertexAttribArray(3 + i);
        }
    }
    gpu_buffer& b = gl.instance_buffer->buffer;
    std::memcpy(b.lock(), gl.instances.data(), bytes);
    b.unlock();
    return true;
}

}  // namespace

void set_scissor(gl_backend& gl, const pixel_rect* rect)
{
    set_enabled(gl.scissor_test, GL_SCISSOR_TEST, rect != nullptr);
    if (!rect || std::memcmp(rect, &gl.scissor, sizeof *rect) == 0)
        return;
    // Rows are stored top row first, so OpenGL's row y is the picture's.
    glScissor(rect->x0, rect->y0, rect->x1 - rect->x0, rect->y1 - rect->y0);
    gl.scissor = *rect;
}

bool draws_commute(const device_state& s)
{
    const auto source_only = [](std::uint32_t f) {
        return f == D3DBLEND_ZERO || f == D3DBLEND_ONE || f == D3DBLEND_SRCCOLOR || f == D3DBLEND_INVSRCCOLOR ||
               f == D3DBLEND_SRCALPHA || f == D3DBLEND_INVSRCALPHA;
    };
    for (int i = 1; i < max_texture_stages; ++i)
        if (s.textures[i])
            return false;
    return s.alphablendenable && s.destblend == D3DBLEND_ONE && source_only(s.srcblend) &&
           (s.blendop == D3DBLENDOP_ADD || s.blendop == D3DBLENDOP_REVSUBTRACT) &&
           (s.zenable == D3DZB_FALSE || !s.zwriteenable);
}

void flush_draws(device& d)
{
    gl_backend& gl = *d.gl;
    if (gl.held.draws.empty())
        return;
    // Taken out first: nothing drawn here is held again.
    held_draws h;
    std::swap(h, gl.held);
    // The state is the held draws' in all but world, material and, when
    // they commute, stage 0's texture, which each draw brings.
    device_state& s = d.state;
    const d3d_matrix world = s.world;
    const d3d_material material = s.material;
    device_texture* const texture = s.textures[0];
    const draw_range range{h.type, h.start_index, h.count, true};
    const std::uint32_t first_vertex = gl_has_base_vertex ? 0 : h.base_vertex;
    std::vector<bool>& drawn = gl.held_drawn;
    drawn.assign(h.draws.size(), false);
    const auto take_state = [&](const held_draw& draw) {
        s.world = draw.world;
        s.material = draw.material;
        s.textures[0] = draw.texture;
    };
    // Textured draws that commute: one cut to its texels goes out alone,
    // with its scissor, and one that can change nothing not at all; the
    // others learn which sampler they need.
    if (h.commuting && h.draws.size() > 1)
        for (std::size_t k = 0; k < h.draws.size(); ++k) {
            held_draw& draw = h.draws[k];
            take_state(draw);
            if (!draw.texture)
                continue;
            const program_key key = key_for(s);
            pixel_rect reach;
            const texel_cut cut = cut_to_texels(d, key, range, reach);
            drawn[k] = cut != texel_cut::whole;
            if (cut == texel_cut::part && prepare_draw(d, range, false, first_vertex))
                draw_elements(gl, s, h, 1);
            draw.magnified = magnifies_mipmaps(gl, s, key, 0, range);
        }
    // Groups in the order they first appear, each draw once.
    for (std::size_t first = 0; first < h.draws.size(); ++first) {
        if (drawn[first])
            continue;
        const held_draw& lead = h.draws[first];
        gl.instances.clear();
        // Whether fog reaches the group: the lead is looked at below, and
        // only when it has company (a single draw looks for itself).
        bool out_of_fog = s.fogenable != 0;
        for (std::size_t k = first; k < h.draws.size(); ++k) {
            const held_draw& draw = h.draws[k];
            if (drawn[k] || draw.texture != lead.texture || draw.magnified != lead.magnified)
                continue;
            drawn[k] = true;
            gl.instances.push_back({object_values(draw.world, s.view), material_values(draw.material)});
            s.world = draw.world;
            out_of_fog = out_of_fog && (k == first || fog_out_of_reach(s, range));
        }
        // The lead's place gives the sampler that the whole group shares.
        take_state(lead);
        const auto members = static_cast<GLsizei>(gl.instances.size());
        if (members == 1) {
            if (prepare_draw(d, range, false, first_vertex))
                draw_elements(gl, s, h, 1);
        } else if (prepare_draw(d, range, true, first_vertex, out_of_fog && fog_out_of_reach(s, range)) &&
                   upload_instances(d)) {
            draw_elements(gl, s, h, members);
        }
    }
    s.world = world;
    s.material = material;
    s.textures[0] = texture;
    // The list's storage is kept for the next draws.
    h.draws.clear();
    std::swap(h.draws, gl.held.draws);
}

void device::draw_primitive(d3d_primitive_type type, std::uint32_t start_vertex, std::uint32_t primitive_count)
{
    std::uint32_t count = 0;
    GLenum mode = primitive_mode(type, primitive_count, count);
    if (!gl || primitive_count == 0 || count == 0 || !state.stream || state.stride == 0)
        return;
    // Never read past the end of the stream.
    std::uint64_t vertices = state.stream->buffer.data.size() / state.stride;
    if (std::uint64_t{start_vertex} + count > vertices)
        return;
    flush_draws(*this);
    if (!prepare_draw(*this, {type, start_vertex, count, false}))
        return;
    if (bind_flat_indices(*gl, type, nullptr, start_vertex, count))
        glDrawElements(mode, static_cast<GLsizei>(count), GL_UNSIGNED_SHORT, nullptr);
    else
        glDrawArrays(mode, static_cast<GLint>(start_vertex), static_cast<GLsizei>(count));
}

void device::draw_indexed_primitive(d3d_primitive_type type, std::uint32_t min_index, std::uint32_t num_vertices,
                                    std::uint32_t start_index, std::uint32_t primitive_count)
{
    (void)min_index;  // a hint for Direct3D's vertex processing; every index is checked below
    (void)num_vertices;
    std::uint32_t count = 0;
    primitive_mode(type, primitive_count, count);
    if (!gl || primitive_count == 0 || count == 0 || !state.stream || state.stride == 0 || !state.indices ||
        !state.indices->buffer.name)
        return;
    const std::vector<std::uint8_t>& index_bytes = state.indices->buffer.data;
    if ((std::uint64_t{start_index} + count) * 2 > index_bytes.size())
        return;
    // Every index must name a vertex the stream holds: the draw is dropped
    // rather than read past the end.
    std::uint64_t vertices = state.stream->buffer.data.size() / state.stride;
    std::uint16_t highest = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint16_t index;
        std::memcpy(&index, &index_bytes[(start_index + i) * 2], 2);
        if (index > highest)
            highest = index;
    }
    if (std::uint64_t{state.base_vertex} + highest >= vertices)
        return;
    held_draws& h = gl->held;
    const bool commuting = batching && draws_commute(state);
    bool textured = false;
    for (const device_texture* t : state.textures)
        textured = textured || t;
    if (!h.draws.empty() && (h.type != type || h.start_index != start_index || h.count != count ||
                             h.base_vertex != state.base_vertex || h.commuting != commuting))
        flush_draws(*this);
    h.type = type;
    h.start_index = start_index;
    h.count = count;
    h.base_vertex = state.base_vertex;
    h.commuting = commuting;
    held_draw& draw = h.draws.emplace_back();
    draw.world = state.world;
    draw.material = state.material;
    draw.texture = state.textures[0];
    // Other textured draws go out at once: their filters may depend on
    // where each one lands.
    if (!batching || (textured && !commuting))
        flush_draws(*this);
}

void device::clear(std::uint32_t flags, std::uint32_t color, float z, std::uint32_t stencil)
{
    (void)stencil;  // the depth surface has no stencil bits
    if (!gl)
        return;
    flush_draws(*this);
    if ((flags & D3DCLEAR_ZBUFFER) && !gl->depth)
        return;
    if (!bind_target(*gl))
        return;
    set_scissor(*gl, nullptr);
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        glClearColor(((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f, (color & 0xFF) / 255.0f,
                     ((color >> 24) & 0xFF) / 255.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        // Clearing ignores the depth write switch.
        if (gl->depth_mask != 1) {
            glDepthMask(GL_TRUE);
            gl->depth_mask = 1;
        }
        clear_depth(z);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (mask)
        glClear(mask);
}

}  // namespace vorlane
