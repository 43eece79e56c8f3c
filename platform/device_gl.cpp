// The device's OpenGL side: resources, the draw and clear calls that turn
// the recorded Direct3D state into OpenGL state and a generated program,
// render targets, presentation, and bringing the device up.

#include "platform/device.h"
#include "platform/gl_backend.h"
#include "platform/window.h"
#include "runtime/fatal.h"

#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace vorlane {

// Counts releases: a released OpenGL name may come back for a new object,
// so the shadowed bindings are redone after any release.
static std::uint64_t releases = 0;

// ---------------------------------------------------------------- buffers

void* gpu_buffer::lock()
{
    if (data.empty())
        return nullptr;
    locked = true;
    return data.data();
}

void gpu_buffer::unlock()
{
    if (!locked)
        return;
    locked = false;
    // The copy-write target leaves the vertex-array bindings alone.
    glBindBuffer(GL_COPY_WRITE_BUFFER, name);
    glBufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(data.size()), data.data(), GL_DYNAMIC_DRAW);
}

void gpu_buffer::release()
{
    ++releases;
    if (name)
        glDeleteBuffers(1, &name);
    name = 0;
    locked = false;
    data.clear();
    data.shrink_to_fit();
}

namespace {

bool make_buffer(gpu_buffer& b, std::uint32_t length)
{
    b.data.assign(length, 0);
    glGenBuffers(1, &b.name);
    glBindBuffer(GL_COPY_WRITE_BUFFER, b.name);
    glBufferData(GL_COPY_WRITE_BUFFER, length, b.data.data(), GL_DYNAMIC_DRAW);
    return glGetError() == GL_NO_ERROR;
}

}  // namespace

device_vertex_buffer* device::create_vertex_buffer(std::uint32_t length, std::uint32_t usage,
                                                   std::uint32_t fvf, std::uint32_t pool)
{
    if (!gl || length == 0 || (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED))
        return nullptr;
    auto vb = std::make_unique<device_vertex_buffer>();
    vb->length = length;
    vb->usage = usage;
    vb->fvf = fvf;
    if (!make_buffer(vb->buffer, length)) {
        vb->release();
        return nullptr;
    }
    gl->vertex_buffers.push_back(std::move(vb));
    return gl->vertex_buffers.back().get();
}

device_index_buffer* device::create_index_buffer(std::uint32_t length, std::uint32_t usage,
                                                 std::uint32_t format, std::uint32_t pool)
{
    if (!gl || length == 0 || format != D3DFMT_INDEX16 ||
        (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED))
        return nullptr;
    auto ib = std::make_unique<device_index_buffer>();
    ib->length = length;
    ib->usage = usage;
    if (!make_buffer(ib->buffer, length)) {
        ib->release();
        return nullptr;
    }
    gl->index_buffers.push_back(std::move(ib));
    return gl->index_buffers.back().get();
}

// ---------------------------------------------------------------- textures

void device_texture::unlock_rect(int level)
{
    if (released || level < 0 || level >= static_cast<int>(level_data.size()))
        return;
    // Unit 4 is outside the stages, so their bindings stay as they are.
    glActiveTexture(GL_TEXTURE0 + max_texture_stages);
    glBindTexture(GL_TEXTURE_2D, gl_texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, level_width(level), level_height(level), GL_BGRA,
                    GL_UNSIGNED_BYTE, level_data[level].data());
    glBindTexture(GL_TEXTURE_2D, 0);
}

void device_texture::release()
{
    if (released)
        return;
    released = true;
    ++releases;
    glDeleteTextures(1, &gl_texture);
    gl_texture = 0;
    level_data.clear();
    level_data.shrink_to_fit();
}

namespace {

int full_chain(int width, int height)
{
    int n = 1;
    for (int size = width > height ? width : height; size > 1; size >>= 1)
        ++n;
    return n;
}

}  // namespace

device_texture* device::create_texture(int width, int height, int levels, std::uint32_t usage,
                                       std::uint32_t format, std::uint32_t pool)
{
    if (!gl || width <= 0 || height <= 0 || format != D3DFMT_A8R8G8B8 || levels < 0)
        return nullptr;
    GLint max_size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_size);
    if (width > max_size || height > max_size)
        return nullptr;
    bool render_target = (usage & D3DUSAGE_RENDERTARGET) != 0;
    int chain = full_chain(width, height);
    if (levels == 0)
        levels = chain;
    if (levels > chain)
        return nullptr;
    if (render_target ? (pool != D3DPOOL_DEFAULT || levels != 1) : pool != D3DPOOL_MANAGED)
        return nullptr;

    auto t = std::make_unique<device_texture>();
    t->width = width;
    t->height = height;
    t->levels = levels;
    t->usage = usage;
    t->pool = pool;
    glGenTextures(1, &t->gl_texture);
    glActiveTexture(GL_TEXTURE0 + max_texture_stages);
    glBindTexture(GL_TEXTURE_2D, t->gl_texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    // A mip filter over missing levels would leave the texture incomplete.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, levels - 1);
    for (int level = 0; level < levels; ++level) {
        int w = t->level_width(level), h = t->level_height(level);
        const void* pixels = nullptr;
        if (!render_target) {
            t->level_data.emplace_back(static_cast<std::size_t>(w) * h * 4, 0);
            pixels = t->level_data.back().data();
        }
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, pixels);
        auto surface = std::make_unique<device_surface>();
        surface->width = w;
        surface->height = h;
        surface->usage = usage;
        surface->texture = t.get();
        surface->level = level;
        surface->gl_texture = t->gl_texture;
        t->surfaces.push_back(std::move(surface));
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    if (glGetError() != GL_NO_ERROR) {
        t->release();
        return nullptr;
    }
    device_texture* result = t.get();
    gl->textures.push_back(std::move(t));
    if (render_target) {
        // Start black rather than with whatever the memory held.
        bind_framebuffer(*gl, framebuffer_for(*gl, result->surfaces[0].get(), nullptr));
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    return result;
}

// ---------------------------------------------------------------- targets

GLuint framebuffer_for(gl_backend& gl, const device_surface* target, const device_surface* depth)
{
    auto found = gl.framebuffers.find({target, depth});
    if (found != gl.framebuffers.end())
        return found->second;
    GLuint fb = 0;
    glGenFramebuffers(1, &fb);
    glBindFramebuffer(GL_FRAMEBUFFER, fb);
    gl.framebuffer = static_cast<GLint>(fb);
    if (target->gl_renderbuffer)
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, target->gl_renderbuffer);
    else
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target->gl_texture,
                               target->level);
    if (depth)
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth->gl_renderbuffer);
    gl.framebuffers[{target, depth}] = fb;
    return fb;
}

void bind_framebuffer(gl_backend& gl, GLuint fb)
{
    if (gl.framebuffer == static_cast<GLint>(fb))
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, fb);
    gl.framebuffer = static_cast<GLint>(fb);
}

bool bind_target(gl_backend& gl)
{
    if (gl.target->texture && gl.target->texture->released)
        return false;
    bind_framebuffer(gl, framebuffer_for(gl, gl.target, gl.depth));
    // The viewport always covers the whole target.
    if (gl.viewport_width != gl.target->width || gl.viewport_height != gl.target->height) {
        glViewport(0, 0, gl.target->width, gl.target->height);
        gl.viewport_width = gl.target->width;
        gl.viewport_height = gl.target->height;
    }
    return true;
}

device_surface* device::get_render_target()
{
    return gl ? gl->target : nullptr;
}

device_surface* device::get_depth_stencil_surface()
{
    return gl ? gl->depth : nullptr;
}

device_surface* device::get_back_buffer()
{
    return gl ? &gl->back_buffer : nullptr;
}

bool device::set_render_target(device_surface* target, device_surface* depth)
{
    if (!gl)
        return false;
    if (!target)
        target = gl->target;
    if (target->format != D3DFMT_A8R8G8B8 || !(target->usage & D3DUSAGE_RENDERTARGET) ||
        (target->texture && target->texture->released))
        return false;
    if (depth && (depth->format != D3DFMT_D16 || depth->width < target->width || depth->height < target->height))
        return false;
    gl->target = target;
    gl->depth = depth;
    return true;
}

std::vector<std::uint32_t> device::read_surface(device_surface* surface)
{
    std::vector<std::uint32_t> pixels;
    if (!gl || !surface || surface->format != D3DFMT_A8R8G8B8 || !(surface->usage & D3DUSAGE_RENDERTARGET) ||
        (surface->texture && surface->texture->released))
        return pixels;
    pixels.resize(static_cast<std::size_t>(surface->width) * surface->height);
    bind_framebuffer(*gl, framebuffer_for(*gl, surface, nullptr));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // Rows are stored top row first, so OpenGL's first row is the top.
    glReadPixels(0, 0, surface->width, surface->height, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// ---------------------------------------------------------------- programs

namespace {

GLuint compile(GLenum kind, const std::string& source)
{
    GLuint shader = glCreateShader(kind);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "shader compilation failed:\n%s\n%s\n", log, text);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

gl_program link_program(const program_key& key)
{
    gl_program p;
    GLuint vs = compile(GL_VERTEX_SHADER, vertex_shader_source(key));
    GLuint fs = compile(GL_FRAGMENT_SHADER, fragment_shader_source(key));
    if (!vs || !fs) {
        glDeleteShader(vs);
        glDeleteShader(fs);
        return p;
    }
    p.name = glCreateProgram();
    glAttachShader(p.name, vs);
    glAttachShader(p.name, fs);
    glLinkProgram(p.name);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(p.name, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        glGetProgramInfoLog(p.name, sizeof log, nullptr, log);
        std::fprintf(stderr, "shader linking failed:\n%s\n", log);
        glDeleteProgram(p.name);
        p.name = 0;
        return p;
    }
    auto at = [&](const char* name) { return glGetUniformLocation(p.name, name); };
    p.world_view = at("u_world_view");
    p.projection = at("u_projection");
    p.normal_matrix = at("u_normal_matrix");
    p.pixel = at("u_pixel");
    p.texture_matrix = at("u_texture_matrix");
    p.material_diffuse = at("u_material_diffuse");
    p.material_ambient = at("u_material_ambient");
    p.material_emissive = at("u_material_emissive");
    p.global_ambient = at("u_global_ambient");
    p.light_count = at("u_light_count");
    p.light_type = at("u_light_type");
    p.light_position = at("u_light_position");
    p.light_direction = at("u_light_direction");
    p.light_diffuse = at("u_light_diffuse");
    p.light_ambient = at("u_light_ambient");
    p.light_attenuation = at("u_light_attenuation");
    p.light_spot = at("u_light_spot");
    p.fog = at("u_fog");
    p.fog_color = at("u_fog_color");
    glUseProgram(p.name);
    for (int i = 0; i < max_texture_stages; ++i) {
        std::string name = "u_texture" + std::to_string(i);
        GLint loc = at(name.c_str());
        if (loc >= 0)
            glUniform1i(loc, i);
    }
    return p;
}

// out = a * b, row-major.
void multiply(const float* a, const float* b, float* out)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out[4 * r + c] = a[4 * r] * b[c] + a[4 * r + 1] * b[4 + c] + a[4 * r + 2] * b[8 + c] +
                             a[4 * r + 3] * b[12 + c];
}

// Normals go through the inverse transpose of the world-view matrix's 3x3
// part (its cofactors over the determinant); they are not renormalised.
void normal_matrix(const float* m, float* out)
{
    auto e = [&](int r, int c) { return m[4 * r + c]; };
    float c[9] = {
        e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1), e(1, 2) * e(2, 0) - e(1, 0) * e(2, 2),
        e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0), e(0, 2) * e(2, 1) - e(0, 1) * e(2, 2),
        e(0, 0) * e(2, 2) - e(0, 2) * e(2, 0), e(0, 1) * e(2, 0) - e(0, 0) * e(2, 1),
        e(0, 1) * e(1, 2) - e(0, 2) * e(1, 1), e(0, 2) * e(1, 0) - e(0, 0) * e(1, 2),
        e(0, 0) * e(1, 1) - e(0, 1) * e(1, 0),
    };
    float det = e(0, 0) * c[0] + e(0, 1) * c[1] + e(0, 2) * c[2];
    float inv = det != 0 ? 1 / det : 0;
    for (int i = 0; i < 9; ++i)
        out[i] = c[i] * inv;
}

void argb_to_rgb(std::uint32_t argb, float* out)
{
    out[0] = ((argb >> 16) & 0xFF) / 255.0f;
    out[1] = ((argb >> 8) & 0xFF) / 255.0f;
    out[2] = (argb & 0xFF) / 255.0f;
}

void fill_lighting(const device_state& s, lighting_uniforms& u)
{
    const d3d_material& m = s.material;
    u.material_diffuse[0] = m.diffuse.r;
    u.material_diffuse[1] = m.diffuse.g;
    u.material_diffuse[2] = m.diffuse.b;
    u.material_diffuse[3] = m.diffuse.a;
    u.material_ambient[0] = m.ambient.r;
    u.material_ambient[1] = m.ambient.g;
    u.material_ambient[2] = m.ambient.b;
    u.material_emissive[0] = m.emissive.r;
    u.material_emissive[1] = m.emissive.g;
    u.material_emissive[2] = m.emissive.b;
    argb_to_rgb(s.ambient, u.global_ambient);

    // Lights are given in world space and lit in camera space.
    const float* v = s.view.m;
    int n = 0;
    for (int i = 0; i < max_lights; ++i) {
        if (!s.light_enabled[i])
            continue;
        const d3d_light& l = s.lights[i];
        u.light_type[n] = static_cast<int>(l.type);
        const d3d_vector& p = l.position;
        for (int c = 0; c < 3; ++c)
            u.light_position[n][c] = p.x * v[c] + p.y * v[4 + c] + p.z * v[8 + c] + v[12 + c];
        const d3d_vector& d = l.direction;
        float dir[3];
        for (int c = 0; c < 3; ++c)
            dir[c] = d.x * v[c] + d.y * v[4 + c] + d.z * v[8 + c];
        float len = std::sqrt(dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2]);
        for (int c = 0; c < 3; ++c)
            u.light_direction[n][c] = len > 0 ? dir[c] / len : 0;
        u.light_diffuse[n][0] = l.diffuse.r;
        u.light_diffuse[n][1] = l.diffuse.g;
        u.light_diffuse[n][2] = l.diffuse.b;
        u.light_ambient[n][0] = l.ambient.r;
        u.light_ambient[n][1] = l.ambient.g;
        u.light_ambient[n][2] = l.ambient.b;
        u.light_attenuation[n][0] = l.attenuation0;
        u.light_attenuation[n][1] = l.attenuation1;
        u.light_attenuation[n][2] = l.attenuation2;
        u.light_attenuation[n][3] = l.range;
        u.light_spot[n][0] = std::cos(l.theta / 2);
        u.light_spot[n][1] = std::cos(l.phi / 2);
        u.light_spot[n][2] = l.falloff;
        ++n;
    }
    u.light_count = n;
}

void send_uniforms(gl_program& p, const transform_uniforms& t, const lighting_uniforms* l, const fog_uniforms& f)
{
    if (!p.sent || std::memcmp(&t, &p.transform, sizeof t) != 0) {
        glUniformMatrix4fv(p.world_view, 1, GL_FALSE, t.world_view);
        glUniformMatrix4fv(p.projection, 1, GL_FALSE, t.projection);
        glUniformMatrix3fv(p.normal_matrix, 1, GL_FALSE, t.normal_matrix);
        glUniform2fv(p.pixel, 1, t.pixel);
        glUniformMatrix4fv(p.texture_matrix, max_texture_stages, GL_FALSE, &t.texture_matrix[0][0]);
        p.transform = t;
    }
    if (l && (!p.sent || std::memcmp(l, &p.lighting, sizeof *l) != 0)) {
        glUniform4fv(p.material_diffuse, 1, l->material_diffuse);
        glUniform3fv(p.material_ambient, 1, l->material_ambient);
        glUniform3fv(p.material_emissive, 1, l->material_emissive);
        glUniform3fv(p.global_ambient, 1, l->global_ambient);
        glUniform1i(p.light_count, l->light_count);
        glUniform1iv(p.light_type, max_lights, l->light_type);
        glUniform3fv(p.light_position, max_lights, &l->light_position[0][0]);
        glUniform3fv(p.light_direction, max_lights, &l->light_direction[0][0]);
        glUniform3fv(p.light_diffuse, max_lights, &l->light_diffuse[0][0]);
        glUniform3fv(p.light_ambient, max_lights, &l->light_ambient[0][0]);
        glUniform4fv(p.light_attenuation, max_lights, &l->light_attenuation[0][0]);
        glUniform3fv(p.light_spot, max_lights, &l->light_spot[0][0]);
        p.lighting = *l;
    }
    if (!p.sent || std::memcmp(&f, &p.fog_values, sizeof f) != 0) {
        glUniform3fv(p.fog, 1, f.fog);
        glUniform3fv(p.fog_color, 1, f.color);
        p.fog_values = f;
    }
    p.sent = true;
}

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

GLuint sampler_for(gl_backend& gl, const texture_stage_state& st)
{
    std::uint32_t id = st.min_filter | st.mag_filter << 8 | st.mip_filter << 16;
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

void set_vertex_layout(gl_backend& gl, const device_state& s)
{
    GLint buffer = static_cast<GLint>(s.stream->buffer.name);
    if (gl.layout_valid && gl.array_buffer == buffer && gl.layout_fvf == s.fvf && gl.layout_stride == s.stride)
        return;
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(buffer));
    GLsizei stride = static_cast<GLsizei>(s.stride);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
    glEnableVertexAttribArray(0);
    std::uintptr_t offset = 12;
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
    gl.layout_valid = true;
}

// Everything a draw needs: target, program, uniforms, fixed OpenGL state,
// textures and vertex layout. False when the draw cannot happen.
bool prepare_draw(device& d)
{
    gl_backend& gl = *d.gl;
    const device_state& s = d.state;
    std::uint32_t size = vertex_size(s.fvf);
    if (!s.stream || !s.stream->buffer.name || size == 0 || s.stride < size)
        return false;

    if (!bind_target(gl))
        return false;
    if (gl.generation != releases) {
        gl.generation = releases;
        gl.layout_valid = false;
        gl.element_buffer = -1;
        for (GLint& t : gl.unit_texture)
            t = -1;
    }

    bool present[max_texture_stages];
    for (int i = 0; i < max_texture_stages; ++i)
        present[i] = s.textures[i] && !s.textures[i]->released;
    program_key key = make_program_key(s, present);
    auto found = gl.programs.find(key);
    if (found == gl.programs.end())
        found = gl.programs.emplace(key, link_program(key)).first;
    gl_program& p = found->second;
    if (!p.name)
        return false;
    if (gl.program != static_cast<GLint>(p.name)) {
        glUseProgram(p.name);
        gl.program = static_cast<GLint>(p.name);
    }

    transform_uniforms t;
    multiply(s.world.m, s.view.m, t.world_view);
    std::memcpy(t.projection, s.projection.m, sizeof t.projection);
    normal_matrix(t.world_view, t.normal_matrix);
    t.pixel[0] = 1.0f / static_cast<float>(gl.target->width);
    t.pixel[1] = 1.0f / static_cast<float>(gl.target->height);
    for (int i = 0; i < max_texture_stages; ++i)
        std::memcpy(t.texture_matrix[i], s.texture_transform[i].m, sizeof t.texture_matrix[i]);
    lighting_uniforms l;
    if (key.lighting)
        fill_lighting(s, l);
    fog_uniforms f;
    if (key.fog != fog_none) {
        float range = s.fogend - s.fogstart;
        f.fog[0] = s.fogstart;
        f.fog[1] = s.fogend;
        // Equal start and end: a hard edge instead of a division by zero.
        f.fog[2] = range != 0 ? 1 / range : 1e30f;
        argb_to_rgb(s.fogcolor, f.color);
    }
    send_uniforms(p, t, key.lighting ? &l : nullptr, f);

    bool blend = s.alphablendenable != 0;
    set_enabled(gl.blend, GL_BLEND, blend);
    if (blend) {
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
    set_enabled(gl.depth_clamp, GL_DEPTH_CLAMP, s.clipping == 0);
    // Window y runs down as on the Direct3D screen, so OpenGL's positive
    // area is Direct3D's clockwise.
    bool cull = s.cullmode == D3DCULL_CW || s.cullmode == D3DCULL_CCW;
    set_enabled(gl.cull, GL_CULL_FACE, cull);
    if (cull) {
        GLint face = s.cullmode == D3DCULL_CW ? GL_FRONT : GL_BACK;
        if (face != gl.cull_face) {
            glCullFace(static_cast<GLenum>(face));
            gl.cull_face = face;
        }
    }

    for (int i = 0; i < max_texture_stages; ++i) {
        if (!key.stages[i].samples)
            continue;
        GLint tex = static_cast<GLint>(s.textures[i]->gl_texture);
        GLint sampler = static_cast<GLint>(sampler_for(gl, s.stages[i]));
        if (tex != gl.unit_texture[i]) {
            glActiveTexture(GL_TEXTURE0 + i);
            glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(tex));
            gl.unit_texture[i] = tex;
        }
        if (sampler != gl.unit_sampler[i]) {
            glBindSampler(i, static_cast<GLuint>(sampler));
            gl.unit_sampler[i] = sampler;
        }
    }
    set_vertex_layout(gl, s);
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

}  // namespace

// ---------------------------------------------------------------- drawing

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
    if (!prepare_draw(*this))
        return;
    glDrawArrays(mode, static_cast<GLint>(start_vertex), static_cast<GLsizei>(count));
}

void device::draw_indexed_primitive(d3d_primitive_type type, std::uint32_t min_index, std::uint32_t num_vertices,
                                    std::uint32_t start_index, std::uint32_t primitive_count)
{
    (void)min_index;  // a hint for Direct3D's vertex processing; every index is checked below
    (void)num_vertices;
    std::uint32_t count = 0;
    GLenum mode = primitive_mode(type, primitive_count, count);
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
    if (!prepare_draw(*this))
        return;
    GLint element = static_cast<GLint>(state.indices->buffer.name);
    if (element != gl->element_buffer) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLuint>(element));
        gl->element_buffer = element;
    }
    glDrawElementsBaseVertex(mode, static_cast<GLsizei>(count), GL_UNSIGNED_SHORT,
                             reinterpret_cast<const void*>(std::uintptr_t{start_index} * 2),
                             static_cast<GLint>(state.base_vertex));
}

void device::clear(std::uint32_t flags, std::uint32_t color, float z, std::uint32_t stencil)
{
    (void)stencil;  // the depth surface has no stencil bits
    if (!gl)
        return;
    if ((flags & D3DCLEAR_ZBUFFER) && !gl->depth)
        return;
    if (!bind_target(*gl))
        return;
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
        glClearDepth(z);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (mask)
        glClear(mask);
}

void device::present()
{
    if (!gl || !owner)
        return;
    auto* sdl_window = static_cast<SDL_Window*>(owner->sdl_window);
    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(sdl_window, &w, &h);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_for(*gl, &gl->back_buffer, nullptr));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    gl->framebuffer = -1;
    gl->viewport_width = -1;
    glViewport(0, 0, w, h);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    present_rect r = fit_back_buffer(w, h, width, height);
    // The back buffer's first row is the top; the window's is the bottom.
    glBlitFramebuffer(0, 0, width, height, r.x, r.y + r.height, r.x + r.width, r.y, GL_COLOR_BUFFER_BIT,
                      GL_LINEAR);
    SDL_GL_SwapWindow(sdl_window);
}

present_rect fit_back_buffer(int window_width, int window_height, int width, int height)
{
    present_rect r;
    if (window_width <= 0 || window_height <= 0 || width <= 0 || height <= 0)
        return r;
    double scale = std::fmin(static_cast<double>(window_width) / width, static_cast<double>(window_height) / height);
    r.width = static_cast<int>(width * scale + 0.5);
    r.height = static_cast<int>(height * scale + 0.5);
    r.x = (window_width - r.width) / 2;
    r.y = (window_height - r.height) / 2;
    return r;
}

// ---------------------------------------------------------------- device

device* create_device(window& w, int width, int height)
{
    auto* sdl_window = static_cast<SDL_Window*>(w.sdl_window);
    SDL_GLContext context = sdl_window ? SDL_GL_CreateContext(sdl_window) : nullptr;
    if (!context)
        fatal("d3dCreate");
    SDL_DisplayMode mode;
    int display = SDL_GetWindowDisplayIndex(sdl_window);
    if (display < 0 || SDL_GetDesktopDisplayMode(display, &mode) != 0)
        fatal("GetDisplayMode");
    if (width <= 0 || height <= 0 || epoxy_gl_version() < 33)
        fatal("Create3dDevice");
    GLint max_size = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &max_size);
    if (width > max_size || height > max_size)
        fatal("Create3dDevice");

    auto* d = new device;
    d->width = width;
    d->height = height;
    d->owner = &w;
    d->gl = new gl_backend;
    gl_backend& gl = *d->gl;
    gl.context = context;

    device_surface& back = gl.back_buffer;
    back.width = width;
    back.height = height;
    back.format = D3DFMT_A8R8G8B8;
    back.usage = D3DUSAGE_RENDERTARGET;
    glGenRenderbuffers(1, &back.gl_renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, back.gl_renderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    device_surface& depth = gl.depth_buffer;
    depth.width = width;
    depth.height = height;
    depth.format = D3DFMT_D16;
    glGenRenderbuffers(1, &depth.gl_renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, depth.gl_renderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    gl.target = &back;
    gl.depth = &depth;
    bind_framebuffer(gl, framebuffer_for(gl, &back, &depth));
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        fatal("Create3dDevice");

    glGenVertexArrays(1, &gl.vao);
    glBindVertexArray(gl.vao);
    // Flat shading takes a triangle's first vertex, as Direct3D.
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    glDisable(GL_DITHER);
    glDepthFunc(GL_LEQUAL);
    glFrontFace(GL_CCW);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Full screen waits for the display as Direct3D's default interval
    // does; a window presents at once.
    SDL_GL_SetSwapInterval(w.windowed ? 0 : 1);
    if (glGetError() != GL_NO_ERROR)
        fatal("Create3dDevice");
    return d;
}

void device::release()
{
    if (!gl)
        return;
    for (auto& [key, p] : gl->programs)
        if (p.name)
            glDeleteProgram(p.name);
    for (auto& [id, s] : gl->samplers)
        glDeleteSamplers(1, &s);
    for (auto& [surfaces, fb] : gl->framebuffers)
        glDeleteFramebuffers(1, &fb);
    for (auto& t : gl->textures)
        t->release();
    for (auto& b : gl->vertex_buffers)
        b->release();
    for (auto& b : gl->index_buffers)
        b->release();
    glDeleteRenderbuffers(1, &gl->back_buffer.gl_renderbuffer);
    glDeleteRenderbuffers(1, &gl->depth_buffer.gl_renderbuffer);
    glDeleteVertexArrays(1, &gl->vao);
    SDL_GL_MakeCurrent(static_cast<SDL_Window*>(owner->sdl_window), nullptr);
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(gl->context));
    delete gl;
    gl = nullptr;
}

}  // namespace vorlane
