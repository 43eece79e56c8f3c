// The device's resources on the OpenGL side: vertex and index buffers,
// textures with their CPU copies, and the framebuffers that make surfaces
// into render targets.

#include "platform/device.h"
#include "platform/gl_backend.h"

#include <algorithm>
#include <type_traits>

namespace vorlane {

// ---------------------------------------------------------------- buffers

namespace {

// Index buffers go up as the vertex array's element buffer, since WebGL
// fixes a buffer's kind at its first binding; the others through the
// copy-write target, which leaves the vertex-array bindings alone.
void upload(gpu_buffer& b)
{
    GLenum target = GL_COPY_WRITE_BUFFER;
    if (b.indices && b.owner) {
        target = GL_ELEMENT_ARRAY_BUFFER;
        b.owner->gl->element_buffer = static_cast<GLint>(b.name);
    }
    glBindBuffer(target, b.name);
    glBufferData(target, static_cast<GLsizeiptr>(b.data.size()), b.data.data(), GL_DYNAMIC_DRAW);
}

}  // namespace

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
    if (owner)
        flush_draws(*owner);
    upload(*this);
}

void gpu_buffer::release()
{
    if (owner)
        flush_draws(*owner);
    ++gl_releases;
    if (name)
        glDeleteBuffers(1, &name);
    name = 0;
    locked = false;
    data.clear();
    data.shrink_to_fit();
}

namespace {

// Shared by both buffer kinds: the storage, all zero, and the handle the
// device keeps; null when OpenGL cannot make the storage.
template <class buffer_type>
buffer_type* make_buffer(device& d, std::vector<std::unique_ptr<buffer_type>>& kept, std::uint32_t length,
                         std::uint32_t usage)
{
    auto b = std::make_unique<buffer_type>();
    b->length = length;
    b->usage = usage;
    gpu_buffer& g = b->buffer;
    g.owner = &d;
    g.indices = std::is_same_v<buffer_type, device_index_buffer>;
    g.data.assign(length, 0);
    glGenBuffers(1, &g.name);
    upload(g);
    if (glGetError() != GL_NO_ERROR) {
        b->release();
        return nullptr;
    }
    kept.push_back(std::move(b));
    return kept.back().get();
}

}  // namespace

device_vertex_buffer* device::create_vertex_buffer(std::uint32_t length, std::uint32_t usage,
                                                   std::uint32_t fvf, std::uint32_t pool)
{
    if (!gl || length == 0 || (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED))
        return nullptr;
    device_vertex_buffer* vb = make_buffer(*this, gl->vertex_buffers, length, usage);
    if (vb)
        vb->fvf = fvf;
    return vb;
}

device_index_buffer* device::create_index_buffer(std::uint32_t length, std::uint32_t usage,
                                                 std::uint32_t format, std::uint32_t pool)
{
    if (!gl || length == 0 || format != D3DFMT_INDEX16 ||
        (pool != D3DPOOL_DEFAULT && pool != D3DPOOL_MANAGED))
        return nullptr;
    return make_buffer(*this, gl->index_buffers, length, usage);
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
    const int w = level_width(level), h = level_height(level);
    const std::uint8_t* texels = level_data[level].data();
    upload_texels(level, w, h, texels);
    glBindTexture(GL_TEXTURE_2D, 0);
    not_clear[level] = texels_other_than(texels, w, h, 0);
    not_opaque[level] = texels_other_than(texels, w, h, 255);
}

void device_texture::release()
{
    if (released)
        return;
    released = true;
    ++gl_releases;
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
            t->not_clear.emplace_back();
            t->not_opaque.push_back({0, 0, w, h});
        }
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, w, h, 0, gl_texel_format, GL_UNSIGNED_BYTE, pixels);
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
        set_scissor(*gl, nullptr);
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

bool device::set_render_target(device_surface* target, device_surface* depth)
{
    if (!gl)
        return false;
    flush_draws(*this);
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

// ---------------------------------------------------------------- destroying

namespace {

// Frees the handle the device kept for r.
template <class resource>
void forget(std::vector<std::unique_ptr<resource>>& kept, const resource* r)
{
    auto found = std::find_if(kept.begin(), kept.end(), [r](const auto& k) { return k.get() == r; });
    if (found != kept.end())
        kept.erase(found);
}

// Calls visit on the current state and on every state block's.
template <class visitor>
void each_state(device& d, visitor visit)
{
    visit(d.state);
    for (auto& block : d.gl->state_blocks)
        visit(block->state);
}

template <class buffer_type>
void destroy_buffer(device& d, std::vector<std::unique_ptr<buffer_type>>& kept, buffer_type* buffer,
                    buffer_type* device_state::*slot)
{
    if (!buffer)
        return;
    flush_draws(d);
    each_state(d, [&](device_state& s) {
        if (s.*slot == buffer)
            s.*slot = nullptr;
    });
    buffer->release();
    forget(kept, buffer);
}

}  // namespace

void device::destroy(device_texture* texture)
{
    if (!gl || !texture)
        return;
    flush_draws(*this);
    each_state(*this, [&](device_state& s) {
        for (device_texture*& t : s.textures)
            if (t == texture)
                t = nullptr;
    });
    for (const auto& surface : texture->surfaces) {
        if (gl->target == surface.get())
            gl->target = &gl->back_buffer;
        for (auto it = gl->framebuffers.begin(); it != gl->framebuffers.end();) {
            if (it->first.first != surface.get()) {
                ++it;
                continue;
            }
            glDeleteFramebuffers(1, &it->second);
            if (gl->framebuffer == static_cast<GLint>(it->second))
                gl->framebuffer = -1;
            it = gl->framebuffers.erase(it);
        }
    }
    texture->release();
    forget(gl->textures, texture);
}

void device::destroy(device_vertex_buffer* buffer)
{
    if (gl)
        destroy_buffer(*this, gl->vertex_buffers, buffer, &device_state::stream);
}

void device::destroy(device_index_buffer* buffer)
{
    if (gl)
        destroy_buffer(*this, gl->index_buffers, buffer, &device_state::indices);
}

}  // namespace vorlane
