// The graphics device: the Direct3D 8 operations the show draws with, one
// call each and with their Direct3D meaning, over OpenGL 3.3 core. Calls
// only record state; a draw or a clear turns the state into a generated
// shader program and OpenGL state. Main thread only.
//
// Images are kept top row first everywhere (textures, render targets, the
// back buffer), so a picture drawn into a render target and sampled later
// keeps its orientation, as in Direct3D.
#pragma once

#include "platform/d3d_types.h"
#include "platform/device_state.h"
#include "platform/texel_bounds.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vorlane {

class window;
class device;
struct gl_backend;

// Bytes in GPU memory with a CPU copy: lock hands out the copy (contents
// kept), unlock uploads it.
struct gpu_buffer {
    std::vector<std::uint8_t> data;
    unsigned name = 0;  // OpenGL buffer object
    bool locked = false;
    device* owner = nullptr;  // whose held draws go out before the contents change
    bool indices = false;     // an index buffer's

    void* lock();
    void unlock();
    void release();
};

class device_vertex_buffer {
public:
    std::uint32_t length = 0;  // bytes
    std::uint32_t usage = 0;
    std::uint32_t fvf = 0;
    gpu_buffer buffer;

    // The whole buffer; null once released.
    void* lock() { return buffer.lock(); }
    void unlock() { buffer.unlock(); }
    // Frees the storage. The handle stays valid (drawing from it draws
    // nothing) so that state blocks and stale bindings never dangle.
    void release() { buffer.release(); }
};

// 16-bit indices.
class device_index_buffer {
public:
    std::uint32_t length = 0;  // bytes
    std::uint32_t usage = 0;
    gpu_buffer buffer;

    void* lock() { return buffer.lock(); }
    void unlock() { buffer.unlock(); }
    void release() { buffer.release(); }
};

// A level of a texture, the back buffer or a depth buffer.
class device_surface {
public:
    int width = 0;
    int height = 0;
    std::uint32_t format = D3DFMT_A8R8G8B8;  // or D3DFMT_D16
    std::uint32_t usage = 0;                  // D3DUSAGE_RENDERTARGET when drawable
    device_texture* texture = nullptr;        // owner, null for the device's own
    int level = 0;
    unsigned gl_texture = 0;       // colour surfaces of textures
    unsigned gl_renderbuffer = 0;  // the back buffer and the depth buffer
};

struct d3d_locked_rect {
    int pitch = 0;  // bytes per row: width x 4
    void* bits = nullptr;
};

// A8R8G8B8 texture: bytes B, G, R, A per texel, row 0 at the top (v = 0).
class device_texture {
public:
    int width = 0;
    int height = 0;
    int levels = 0;
    std::uint32_t usage = 0;
    std::uint32_t pool = D3DPOOL_MANAGED;
    unsigned gl_texture = 0;
    bool released = false;
    // The CPU copy of each level (managed textures only).
    std::vector<std::vector<std::uint8_t>> level_data;
    // Per level of the CPU copy, as last uploaded: the texels whose alpha
    // is not 0 and those whose alpha is not 255.
    std::vector<texel_rect> not_clear;
    std::vector<texel_rect> not_opaque;
    std::vector<std::unique_ptr<device_surface>> surfaces;

    int level_width(int level) const;
    int level_height(int level) const;

    // Hands out the CPU copy of a level, rows packed at width x 4 bytes.
    // False for render targets (their pixels live on the GPU only), for a
    // level that does not exist and after release.
    bool lock_rect(int level, d3d_locked_rect& out);
    // Uploads the level.
    void unlock_rect(int level);
    // Null for a level that does not exist.
    device_surface* get_surface_level(int level);
    // Frees the storage; bound or captured, the texture then samples as no
    // texture at all.
    void release();
};

class device_state_block {
public:
    device_state state;
};

class device {
public:
    // The current state; every call below reads or writes it.
    device_state state;

    int width = 0;   // of the back buffer
    int height = 0;
    // Indexed draws without textures that differ from the one before only
    // in world matrix and material are held and go out together as one
    // instanced draw, with the same pixels; off, every draw goes out at
    // once.
    bool batching = true;
    // A textured draw whose blend leaves the target as it was where the
    // texture is clear (alpha 0 added, or alpha 255 under inverse source
    // alpha) is cut to the pixels that can sample other texels, with the
    // same pixels; off, every draw covers all of its primitives.
    bool clip_to_texels = true;
    // The cut is made only where it takes away at least half of what the
    // draw covers and 64 x 64 pixels, as each new cut costs the renderer
    // a copy of its state. On, every draw that can be cut is (for tests,
    // which look at the pixels of the cut).
    bool clip_every_draw = false;
    window* owner = nullptr;
    gl_backend* gl = nullptr;

    // --- resources (null when the arguments are invalid) ---

    // length in bytes, pool D3DPOOL_DEFAULT or D3DPOOL_MANAGED.
    device_vertex_buffer* create_vertex_buffer(std::uint32_t length, std::uint32_t usage,
                                               std::uint32_t fvf, std::uint32_t pool);
    // format D3DFMT_INDEX16.
    device_index_buffer* create_index_buffer(std::uint32_t length, std::uint32_t usage,
                                             std::uint32_t format, std::uint32_t pool);
    // Format D3DFMT_A8R8G8B8. levels 0 makes the full chain down to 1 x 1;
    // D3DUSAGE_RENDERTARGET needs D3DPOOL_DEFAULT and one level. Managed
    // textures start all zero.
    device_texture* create_texture(int width, int height, int levels, std::uint32_t usage,
                                   std::uint32_t format, std::uint32_t pool);

    // Frees a resource for good, handle and all. The current state and
    // every state block then hold null where they held it, and a released
    // render target's framebuffers go with it, so that a later resource
    // that happens to get the same address is never mistaken for it. A
    // target being drawn into gives way to the back buffer. Null does
    // nothing.
    void destroy(device_texture* texture);
    void destroy(device_vertex_buffer* buffer);
    void destroy(device_index_buffer* buffer);

    // --- states ---

    // States the device does not know are ignored.
    void set_render_state(d3d_render_state_type state, std::uint32_t value);
    void set_texture_stage_state(int stage, d3d_texture_stage_state_type type,
                                 std::uint32_t value);
    // m: 16 floats, row-major, row vectors (matrix::e).
    void set_transform(d3d_transform_state_type type, const float* m);
    void set_material(const d3d_material& material);
    // False (and nothing changes) for an index beyond max_lights or a light
    // without a valid type.
    bool set_light(int index, const d3d_light& light);
    bool light_enable(int index, bool enable);
    void set_texture(int stage, device_texture* texture);
    // An FVF code: D3DFVF_XYZ with optional D3DFVF_NORMAL and D3DFVF_TEX1.
    void set_vertex_shader(std::uint32_t fvf);
    void set_stream_source(int stream, device_vertex_buffer* buffer, std::uint32_t stride);
    void set_indices(device_index_buffer* buffer, std::uint32_t base_vertex);

    // --- drawing ---

    void begin_scene();
    void end_scene();
    // flags: D3DCLEAR_TARGET, D3DCLEAR_ZBUFFER; colour A8R8G8B8. Clears the
    // whole current target. Asking for the depth buffer while none is set
    // fails as a whole: nothing is cleared.
    void clear(std::uint32_t flags, std::uint32_t color, float z, std::uint32_t stencil);
    // From the stream: vertices start_vertex onwards.
    void draw_primitive(d3d_primitive_type type, std::uint32_t start_vertex,
                        std::uint32_t primitive_count);
    // Indices start_index onwards, each plus the base vertex of
    // set_indices; min_index and num_vertices bound the vertices used.
    void draw_indexed_primitive(d3d_primitive_type type, std::uint32_t min_index,
                                std::uint32_t num_vertices, std::uint32_t start_index,
                                std::uint32_t primitive_count);
    // Shows the back buffer in the window, scaled with its aspect kept.
    void present();

    // --- render targets ---

    device_surface* get_render_target();
    device_surface* get_depth_stencil_surface();  // null when drawing without one
    device_surface* get_back_buffer();
    // A null target keeps the current one; a null depth surface draws
    // without a depth buffer. False (nothing changes) when the target is
    // not a render target or the depth surface is smaller than it.
    bool set_render_target(device_surface* target, device_surface* depth);

    // --- state blocks (D3DSBT_ALL only; null / false otherwise) ---

    device_state_block* create_state_block(std::uint32_t type);
    bool capture_state_block(device_state_block* block);
    bool apply_state_block(device_state_block* block);

    // --- beyond Direct3D ---

    // Reads a colour surface (the back buffer or a render-target texture
    // level) as width x height A8R8G8B8 values, top row first. Empty for
    // other surfaces.
    std::vector<std::uint32_t> read_surface(device_surface* surface);

    // Frees every OpenGL object and the context. The handles the device
    // gave out must not be used afterwards.
    void release();
};

struct present_rect {
    int x = 0;  // from the window's left edge
    int y = 0;  // from the window's bottom edge
    int width = 0;
    int height = 0;
};

// Where present puts a width x height back buffer in a window of the given
// size: as large as fits with its aspect kept, centred, black bars around.
present_rect fit_back_buffer(int window_width, int window_height, int width, int height);

// Brings up OpenGL on the window and makes the device with a back buffer
// of exactly width x height (32-bit colour, 16-bit depth) and the Direct3D
// default states. Fatal "d3dCreate" when no OpenGL context can be made,
// "GetDisplayMode" when the display mode cannot be read, "Create3dDevice"
// when OpenGL 3.3 core or the back buffer is not available.
device* create_device(window& w, int width, int height);

}  // namespace vorlane
