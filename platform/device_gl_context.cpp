// The device's OpenGL context and its back buffer: bringing them up and
// tearing them down, showing the back buffer in the window, and reading
// drawn pixels back.

#include "platform/device.h"
#include "platform/gl_backend.h"
#include "platform/gl_context.h"
#include "platform/window.h"
#include "runtime/fatal.h"

#include <cmath>

namespace vorlane {

namespace {

// The back buffer and the depth buffer live in renderbuffers: nothing
// samples them.
void make_renderbuffer(device_surface& s, int width, int height, std::uint32_t format, GLenum storage)
{
    s.width = width;
    s.height = height;
    s.format = format;
    glGenRenderbuffers(1, &s.gl_renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, s.gl_renderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, storage, width, height);
}

}  // namespace

device* create_device(window& w, int width, int height)
{
    gl_context context = create_gl_context(w);
    if (width <= 0 || height <= 0)
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
    make_renderbuffer(back, width, height, D3DFMT_A8R8G8B8, GL_RGBA8);
    back.usage = D3DUSAGE_RENDERTARGET;
    device_surface& depth = gl.depth_buffer;
    make_renderbuffer(depth, width, height, D3DFMT_D16, GL_DEPTH_COMPONENT16);
    gl.target = &back;
    gl.depth = &depth;
    bind_framebuffer(gl, framebuffer_for(gl, &back, &depth));
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        fatal("Create3dDevice");

    glGenVertexArrays(1, &gl.vao);
    glBindVertexArray(gl.vao);
    glDisable(GL_DITHER);
    glDepthFunc(GL_LEQUAL);
    glFrontFace(GL_CCW);
    glClearColor(0, 0, 0, 0);
    clear_depth(1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (glGetError() != GL_NO_ERROR)
        fatal("Create3dDevice");
    return d;
}

void device::release()
{
    if (!gl)
        return;
    // Held draws would go out as the buffers below are freed, with their
    // programs gone and, at exit, the renderer's compiler half torn down.
    gl->held.draws.clear();
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
    glDeleteBuffers(1, &gl->flat_indices);
    glDeleteVertexArrays(1, &gl->vao);
    destroy_gl_context(*owner, gl->context);
    delete gl;
    gl = nullptr;
}

device_surface* device::get_back_buffer()
{
    return gl ? &gl->back_buffer : nullptr;
}

void device::present()
{
    if (!gl || !owner)
        return;
    flush_draws(*this);
    int w = 0, h = 0;
    drawable_size(*owner, w, h);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_for(*gl, &gl->back_buffer, nullptr));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    gl->framebuffer = -1;
    gl->viewport_width = -1;
    glViewport(0, 0, w, h);
    set_scissor(*gl, nullptr);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    present_rect r = fit_back_buffer(w, h, width, height);
    // The back buffer's first row is the top; the window's is the bottom.
    glBlitFramebuffer(0, 0, width, height, r.x, r.y + r.height, r.x + r.width, r.y, GL_COLOR_BUFFER_BIT,
                      GL_LINEAR);
    swap_window(*owner);
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

std::vector<std::uint32_t> device::read_surface(device_surface* surface)
{
    std::vector<std::uint32_t> pixels;
    if (!gl || !surface || surface->format != D3DFMT_A8R8G8B8 || !(surface->usage & D3DUSAGE_RENDERTARGET) ||
        (surface->texture && surface->texture->released))
        return pixels;
    flush_draws(*this);
    pixels.resize(static_cast<std::size_t>(surface->width) * surface->height);
    bind_framebuffer(*gl, framebuffer_for(*gl, surface, nullptr));
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // Rows are stored top row first, so OpenGL's first row is the top.
    read_texels(surface->width, surface->height, pixels.data());
    return pixels;
}

}  // namespace vorlane
