// Frames per second of the graphics device on pictures of the show, each
// drawn through the device with the states its part uses and as the least
// OpenGL program that gives the same picture (the renderer's own limit for
// it), at 640 x 480: a load like the last part's 2000 lit cubes with their
// glowing edges, the opening part's title echoes, the label flight's 2060
// echoes and the metaball part's glow cloud.
//
// The device cases take clip: device::clip_to_texels off (0) or on (1).
// The hand-written cases draw the device's picture once at setup as well
// and report diff, the mean absolute difference per colour channel (out
// of 255) between the two pictures (diff clip 0: against the device
// without clip_to_texels).
// Headless (SDL's offscreen driver) unless SDL_VIDEODRIVER says otherwise.
// One iteration is one frame, ended by reading the picture back so that
// the renderer has finished it.
//
// Each group makes its own window and context when it first runs, and the
// newest context stays current: the groups run in the order they are
// registered here.

#include "bench/echo_quads.h"
#include "bench/glow_sprites.h"
#include "bench/label_echoes.h"
#include "bench/lit_cubes.h"
#include "engine/engine.h"
#include "platform/device.h"
#include "platform/process_clock.h"
#include "platform/texture_footprint.h"
#include "platform/window.h"
#include "scene/frame.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

using namespace vorlane;

namespace lc = lit_cubes;

struct vertex {
    float x, y, z, nx, ny, nz, u, v;
};

// The frame rate and the CPU time of all threads (ours and the renderer's)
// per frame, which a busy machine disturbs less than the wall time.
template <class draw>
void time_frames(benchmark::State& state, draw&& frame)
{
    frame();  // programs linked and shader variants made before timing
    const double cpu = process_cpu_seconds();
    for (auto _ : state)
        frame();
    const double frames = static_cast<double>(state.iterations());
    state.counters["frames/s"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["cpu ms/frame"] = (process_cpu_seconds() - cpu) * 1000 / frames;
}

device* make_device(int width, int height)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    window* w = create_window(width, height, true);
    return create_device(*w, width, height);
}

std::vector<std::uint32_t> device_picture(device& d)
{
    return d.read_surface(d.get_back_buffer());
}

// A picture's scene through the device, built on first use: its device,
// then what set_up makes and sets.
template <class scene>
scene& device_scene(int width, int height, void (*set_up)(scene&))
{
    static scene* s = [&] {
        auto* made = new scene;
        made->d = make_device(width, height);
        set_up(*made);
        return made;
    }();
    return *s;
}

// Frames drawn through the device, cut to their texels as the case's
// argument says, each ended by reading the picture back.
template <class draw>
void time_device_frames(benchmark::State& state, device& d, draw&& frame)
{
    d.clip_to_texels = state.range(0) != 0;
    time_frames(state, [&] {
        frame();
        benchmark::DoNotOptimize(device_picture(d).data());
    });
}

struct cube_scene {
    device* d = nullptr;
    lc::cube cubes[lc::cubes];
};

void draw_cubes(cube_scene& s, bool edges);

void set_up_cubes(cube_scene& s)
{
    device& d = *s.d;
    device_vertex_buffer* vb = d.create_vertex_buffer(8 * sizeof(vertex), 0, 0x112, D3DPOOL_DEFAULT);
    auto* v = static_cast<vertex*>(vb->lock());
    for (int i = 0; i < 8; ++i)
        v[i] = {lc::corners[i][0], lc::corners[i][1], lc::corners[i][2], lc::normals[i][0], lc::normals[i][1],
                lc::normals[i][2], 0, 0};
    vb->unlock();
    device_index_buffer* ib = d.create_index_buffer(64 * 2, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT);
    auto* idx = static_cast<std::uint16_t*>(ib->lock());
    std::memcpy(idx, lc::faces, sizeof lc::faces);
    std::memcpy(idx + 40, lc::edges, sizeof lc::edges);
    ib->unlock();

    d.set_vertex_shader(0x112);
    d.set_stream_source(0, vb, sizeof(vertex));
    d.set_indices(ib, 0);
    d.set_render_state(D3DRS_LIGHTING, 1);
    d.set_render_state(D3DRS_AMBIENT, lc::face_ambient);
    d.set_render_state(D3DRS_SHADEMODE, D3DSHADE_FLAT);
    d.set_render_state(D3DRS_CULLMODE, D3DCULL_CCW);
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);

    d3d_light sun;
    sun.type = D3DLIGHT_DIRECTIONAL;
    sun.diffuse = sun.ambient = {lc::sun_colour, lc::sun_colour, lc::sun_colour, 1};
    sun.direction = {lc::sun_direction[0], lc::sun_direction[1], lc::sun_direction[2]};
    d.set_light(0, sun);
    d.light_enable(0, true);
    d3d_light blue;
    blue.type = D3DLIGHT_POINT;
    blue.diffuse = blue.ambient = {0, 0, lc::glow_blue, 0};
    blue.position = {lc::glow_position[0], lc::glow_position[1], lc::glow_position[2]};
    blue.range = lc::glow_range;
    blue.attenuation0 = lc::glow_attenuation[0];
    blue.attenuation1 = lc::glow_attenuation[1];
    blue.attenuation2 = lc::glow_attenuation[2];
    d.set_light(1, blue);
    d.light_enable(1, true);
    d.set_transform(D3DTS_PROJECTION, lc::projection);
    d.set_transform(D3DTS_VIEW, lc::view);
    lc::place(s.cubes);
}

// The first frames link the programs and build the renderer's shader
// variants; they are drawn here so that every timed frame is a steady one.
cube_scene& cubes_through_device()
{
    static cube_scene* s = [] {
        auto* sc = new cube_scene;
        sc->d = make_device(lc::width, lc::height);
        set_up_cubes(*sc);
        draw_cubes(*sc, false);
        draw_cubes(*sc, true);
        return sc;
    }();
    return *s;
}

void draw_cubes(cube_scene& s, bool edges)
{
    device& d = *s.d;
    d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    d.begin_scene();
    d3d_material m;
    for (const lc::cube& c : s.cubes) {
        d.set_transform(D3DTS_WORLD, c.world);
        m.diffuse = m.ambient = m.specular = {c.colour[0], c.colour[1], c.colour[2], 1};
        d.set_material(m);
        d.draw_indexed_primitive(D3DPT_TRIANGLELIST, 0, 8, 0, 12);
        if (edges) {
            d.light_enable(0, false);
            d.set_render_state(D3DRS_AMBIENT, lc::edge_ambient);
            d.draw_indexed_primitive(D3DPT_LINELIST, 0, 8, 40, 12);
            d.set_render_state(D3DRS_AMBIENT, lc::face_ambient);
            d.light_enable(0, true);
        }
    }
    d.end_scene();
    benchmark::DoNotOptimize(device_picture(d).data());
}

void cubes_faces(benchmark::State& state)
{
    cube_scene& s = cubes_through_device();
    for (auto _ : state)
        draw_cubes(s, false);
    state.SetItemsProcessed(state.iterations() * lc::cubes);
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(cubes_faces)->Unit(benchmark::kMillisecond)->UseRealTime();

// Faces and glowing edges: two draws per cube with a light switched off
// and the ambient changed around the second, as the last part does.
void cubes_faces_and_edges(benchmark::State& state)
{
    cube_scene& s = cubes_through_device();
    s.d->clip_to_texels = state.range(0) != 0;
    time_frames(state, [&] { draw_cubes(s, true); });
    state.SetItemsProcessed(state.iterations() * lc::cubes * 2);
}
BENCHMARK(cubes_faces_and_edges)->DenseRange(0, 1)->ArgName("clip")->Unit(benchmark::kMillisecond)->UseRealTime();

// ---------------------------------------------------------------- echoes

namespace eq = echo_quads;

// The label picture as the part makes it: white, its alpha map in every
// level of the full chain (each level's alpha the 2x2 mean of the one
// above).
std::vector<std::vector<std::uint32_t>> label_levels()
{
    std::vector<std::vector<std::uint32_t>> levels;
    int w = eq::texture_width, h = eq::texture_height;
    std::vector<int> a(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            a[y * w + x] = eq::alpha(x, y);
    for (;;) {
        auto& level = levels.emplace_back(a.size());
        for (std::size_t i = 0; i < a.size(); ++i)
            level[i] = static_cast<std::uint32_t>(a[i]) << 24 | 0xFFFFFF;
        if (w == 1 && h == 1)
            return levels;
        const int nw = w > 1 ? w / 2 : 1, nh = h > 1 ? h / 2 : 1;
        std::vector<int> next(static_cast<std::size_t>(nw) * nh);
        for (int y = 0; y < nh; ++y)
            for (int x = 0; x < nw; ++x) {
                const int x1 = w > 1 ? 2 * x + 1 : x, y1 = h > 1 ? 2 * y + 1 : y;
                next[y * nw + x] = (a[2 * y * w + 2 * x] + a[2 * y * w + x1] + a[y1 * w + 2 * x] + a[y1 * w + x1]) / 4;
            }
        a.swap(next);
        w = nw;
        h = nh;
    }
}

// The quads through the device, in the part's state: lit by its one point
// light (out of range, so only the global ambient lights them), under its
// fog, depth tested without writing, added with source alpha.
void echo_quads_device(benchmark::State& state)
{
    static device* d = [] {
        device* dev = make_device(eq::width, eq::height);
        device_vertex_buffer* vb = dev->create_vertex_buffer(4 * sizeof(vertex), 0, 0x112, D3DPOOL_DEFAULT);
        auto* v = static_cast<vertex*>(vb->lock());
        for (int i = 0; i < 4; ++i)
            v[i] = {eq::corners[i].x, eq::corners[i].y, eq::corners[i].z, 0, 0, 0, eq::corners[i].u, eq::corners[i].v};
        vb->unlock();
        device_index_buffer* ib = dev->create_index_buffer(sizeof eq::indices, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT);
        std::memcpy(ib->lock(), eq::indices, sizeof eq::indices);
        ib->unlock();
        const auto levels = label_levels();
        device_texture* t = dev->create_texture(eq::texture_width, eq::texture_height, 0, 0, D3DFMT_A8R8G8B8,
                                                D3DPOOL_MANAGED);
        for (int l = 0; l < static_cast<int>(levels.size()); ++l) {
            d3d_locked_rect rect;
            t->lock_rect(l, rect);
            std::memcpy(rect.bits, levels[l].data(), levels[l].size() * 4);
            t->unlock_rect(l);
        }

        dev->set_vertex_shader(0x112);
        dev->set_stream_source(0, vb, sizeof(vertex));
        dev->set_indices(ib, 0);
        dev->set_texture(0, t);
        dev->set_texture_stage_state(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
        dev->set_texture_stage_state(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
        dev->set_texture_stage_state(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
        dev->set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        dev->set_texture_stage_state(0, D3DTSS_COLORARG2, D3DTA_TEXTURE);
        dev->set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        dev->set_render_state(D3DRS_CULLMODE, D3DCULL_NONE);
        dev->set_render_state(D3DRS_ALPHABLENDENABLE, 1);
        dev->set_render_state(D3DRS_ZWRITEENABLE, 0);
        dev->set_render_state(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        dev->set_render_state(D3DRS_DESTBLEND, D3DBLEND_ONE);
        dev->set_render_state(D3DRS_LIGHTING, 1);
        dev->set_render_state(D3DRS_AMBIENT, 0xFF606060);
        dev->set_render_state(D3DRS_FOGENABLE, 1);
        dev->set_render_state(D3DRS_FOGCOLOR, 0);
        dev->set_render_state(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
        dev->set_render_state(D3DRS_FOGSTART, float_bits(6.0f));
        dev->set_render_state(D3DRS_FOGEND, float_bits(10.0f));
        d3d_light light;
        light.type = D3DLIGHT_POINT;
        light.diffuse = light.ambient = {1, 1, 1, 1};
        dev->set_light(0, light);
        dev->light_enable(0, true);
        dev->set_transform(D3DTS_PROJECTION, eq::projection().e);
        dev->set_transform(D3DTS_VIEW, eq::view().e);
        return dev;
    }();
    d->clip_to_texels = state.range(0) != 0;
    time_frames(state, [] {
        d->clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        d->begin_scene();
        for (int r = 0; r < eq::copies; ++r) {
            float world[16];
            eq::world(r, world);
            d->set_transform(D3DTS_WORLD, world);
            const float b = eq::brightness(r);
            d3d_material m;
            m.diffuse = m.ambient = m.specular = {b, b, b, 1};
            d->set_material(m);
            d->draw_indexed_primitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2);
        }
        d->end_scene();
        benchmark::DoNotOptimize(device_picture(*d).data());
    });
}
BENCHMARK(echo_quads_device)->DenseRange(0, 1)->ArgName("clip")->Unit(benchmark::kMillisecond)->UseRealTime();

GLuint compile(GLenum kind, const char* text)
{
    GLuint s = glCreateShader(kind);
    glShaderSource(s, 1, &text, nullptr);
    glCompileShader(s);
    return s;
}

// The same quads in one draw of the least OpenGL that gives their picture:
// positions already in clip space, the lit colour per vertex, texture x
// colour, the same blending, texture and filters, into the same colour
// format. depth 1 adds the device's 16-bit depth buffer and its test; 0
// leaves them out, as the quads never fail it (nothing writes depth).
// magnified 1 samples the quads that magnify the texture everywhere
// without mipmapping, as the device does (the same texels), in runs of
// quads that share a sampler.
void echo_quads_gl(benchmark::State& state)
{
    struct gl_vertex {
        float position[4];
        float colour[4];
        float u, v;
    };
    static GLuint framebuffer[2] = {};
    static GLuint samplers[2] = {};   // with and without mipmapping
    static std::vector<int> runs{0};  // quads in turn with and without mipmapping
    static bool made = [] {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        window* w = create_window(eq::width, eq::height, true);
        create_device(*w, eq::width, eq::height);  // for its context only

        std::vector<gl_vertex> vertices;
        std::vector<std::uint16_t> indices;
        for (int r = 0; r < eq::copies; ++r) {
            float world[16];
            eq::world(r, world);
            // The global ambient 0x60 times the material: the part's light
            // is out of range.
            const float lit = std::min(eq::brightness(r) * 0x60 / 255.0f, 1.0f);
            for (int i : eq::indices)
                indices.push_back(static_cast<std::uint16_t>(vertices.size() + i));
            footprint_vertex corners[4];
            for (int k = 0; k < 4; ++k) {
                const eq::corner& c = eq::corners[k];
                gl_vertex& v = vertices.emplace_back();
                eq::clip_position(c, world, v.position);
                v.colour[0] = v.colour[1] = v.colour[2] = lit;
                v.colour[3] = 1;
                v.u = c.u;
                v.v = c.v;
                corners[k] = {v.position[0], v.position[1], v.position[3], c.u * eq::texture_width,
                              c.v * eq::texture_height};
            }
            const footprint_vertex first[3] = {corners[0], corners[1], corners[2]};
            const footprint_vertex second[3] = {corners[0], corners[2], corners[3]};
            const bool magnified = magnifies(first, eq::width, eq::height) && magnifies(second, eq::width, eq::height);
            if ((runs.size() - 1) % 2 != (magnified ? 1u : 0u))
                runs.push_back(0);
            ++runs.back();
        }
        GLuint vao = 0, buffers[2] = {};
        glGenVertexArrays(1, &vao);
        glBindVertexArray(vao);
        glGenBuffers(2, buffers);
        glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(gl_vertex)), vertices.data(),
                     GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * 2), indices.data(),
                     GL_STATIC_DRAW);
        glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(gl_vertex), nullptr);
        glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, sizeof(gl_vertex),
                              reinterpret_cast<const void*>(offsetof(gl_vertex, colour)));
        glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(gl_vertex),
                              reinterpret_cast<const void*>(offsetof(gl_vertex, u)));
        for (GLuint a = 0; a < 3; ++a)
            glEnableVertexAttribArray(a);

        GLuint program = glCreateProgram();
        glAttachShader(program, compile(GL_VERTEX_SHADER, "#version 330 core\n"
                                                          "layout(location = 0) in vec4 a_position;\n"
                                                          "layout(location = 1) in vec4 a_colour;\n"
                                                          "layout(location = 2) in vec2 a_texcoord;\n"
                                                          "out vec4 v_colour;\n"
                                                          "out vec2 v_texcoord;\n"
                                                          "void main()\n"
                                                          "{\n"
                                                          "    gl_Position = a_position;\n"
                                                          "    v_colour = a_colour;\n"
                                                          "    v_texcoord = a_texcoord;\n"
                                                          "}\n"));
        glAttachShader(program, compile(GL_FRAGMENT_SHADER, "#version 330 core\n"
                                                            "in vec4 v_colour;\n"
                                                            "in vec2 v_texcoord;\n"
                                                            "uniform sampler2D u_texture;\n"
                                                            "out vec4 o_colour;\n"
                                                            "void main()\n"
                                                            "{\n"
                                                            "    o_colour = texture(u_texture, v_texcoord) * v_colour;\n"
                                                            "}\n"));
        glLinkProgram(program);
        glUseProgram(program);

        const auto levels = label_levels();
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels.size()) - 1);
        glGenSamplers(2, samplers);
        for (GLuint sampler : samplers) {
            glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
            glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
            glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
        }
        glSamplerParameteri(samplers[0], GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glSamplerParameteri(samplers[1], GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        for (int l = 0, w = eq::texture_width, h = eq::texture_height; l < static_cast<int>(levels.size());
             ++l, w = std::max(w / 2, 1), h = std::max(h / 2, 1))
            glTexImage2D(GL_TEXTURE_2D, l, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, levels[l].data());

        GLuint colour = 0, depth = 0;
        glGenRenderbuffers(1, &colour);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, eq::width, eq::height);
        glGenRenderbuffers(1, &depth);
        glBindRenderbuffer(GL_RENDERBUFFER, depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, eq::width, eq::height);
        glGenFramebuffers(2, framebuffer);
        for (GLuint fb : framebuffer) {
            glBindFramebuffer(GL_FRAMEBUFFER, fb);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        }
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
        glViewport(0, 0, eq::width, eq::height);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glDepthFunc(GL_LEQUAL);
        glDepthMask(GL_FALSE);
        return true;
    }();
    benchmark::DoNotOptimize(made);
    const bool depth = state.range(0) != 0;
    const bool magnified = state.range(1) != 0;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(eq::width) * eq::height);
    time_frames(state, [&] {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer[depth ? 1 : 0]);
        if (depth)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
        glDepthMask(GL_TRUE);
        glClearColor(0, 0, 0, 0);
        glClearDepth(1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDepthMask(GL_FALSE);
        if (!magnified) {
            glBindSampler(0, samplers[0]);
            glDrawElements(GL_TRIANGLES, eq::copies * 6, GL_UNSIGNED_SHORT, nullptr);
        }
        for (std::size_t run = 0, quad = 0; magnified && run < runs.size(); quad += runs[run++]) {
            glBindSampler(0, samplers[run % 2]);
            glDrawElements(GL_TRIANGLES, runs[run] * 6, GL_UNSIGNED_SHORT,
                           reinterpret_cast<const void*>(quad * 6 * sizeof(std::uint16_t)));
        }
        glReadPixels(0, 0, eq::width, eq::height, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
        benchmark::DoNotOptimize(pixels.data());
    });
}
BENCHMARK(echo_quads_gl)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"depth", "magnified"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// ------------------------------------------------- hand-written twins

// What every hand-written program below needs from the context. The
// device drew its picture in the same context first, so every state it
// may have left that matters here is set again.
void reset_gl_state(int width, int height)
{
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_CLAMP);
    glDisable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glBlendEquation(GL_FUNC_ADD);
    for (GLuint unit = 0; unit < 4; ++unit)
        glBindSampler(unit, 0);
    glActiveTexture(GL_TEXTURE0);
    glViewport(0, 0, width, height);
}

GLuint link_program(const char* vertex_text, const char* fragment_text)
{
    GLuint program = glCreateProgram();
    glAttachShader(program, compile(GL_VERTEX_SHADER, vertex_text));
    glAttachShader(program, compile(GL_FRAGMENT_SHADER, fragment_text));
    glLinkProgram(program);
    return program;
}

// The device's back buffer formats: 32-bit colour, and a 16-bit depth
// buffer in framebuffer[1] only.
struct gl_target {
    GLuint framebuffer[2] = {};
    int width = 0, height = 0;

    void clear(bool depth) const
    {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer[depth ? 1 : 0]);
        glDepthMask(GL_TRUE);
        glClearColor(0, 0, 0, 0);
        glClearDepth(1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (depth)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
    }

    // A8R8G8B8, top row first as the device reads its pictures: the
    // positions put the top row at OpenGL's row 0, as the device does.
    std::vector<std::uint32_t> read() const
    {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
        glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
};

gl_target make_gl_target(int width, int height)
{
    gl_target t;
    t.width = width;
    t.height = height;
    GLuint colour = 0, depth = 0;
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glGenRenderbuffers(1, &depth);
    glBindRenderbuffer(GL_RENDERBUFFER, depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    glGenFramebuffers(2, t.framebuffer);
    for (GLuint fb : t.framebuffer) {
        glBindFramebuffer(GL_FRAMEBUFFER, fb);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    }
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
    return t;
}

// Mean absolute difference per colour channel, out of 255.
double mean_difference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b)
{
    if (a.size() != b.size() || a.empty())
        return 255;
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
            sum += std::abs(static_cast<int>((a[i] >> shift) & 255) - static_cast<int>((b[i] >> shift) & 255));
    return sum / (3.0 * static_cast<double>(a.size()));
}

// A vertex array bound with the vertices uploaded, their float attributes
// of the given sizes at locations 0, 1, ...
template <class v>
void vertex_array(const std::vector<v>& vertices, std::initializer_list<int> sizes)
{
    GLuint vao = 0, buffer = 0;
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(v)), vertices.data(),
                 GL_STATIC_DRAW);
    GLuint location = 0;
    std::size_t offset = 0;
    for (int size : sizes) {
        glVertexAttribPointer(location, size, GL_FLOAT, GL_FALSE, sizeof(v), reinterpret_cast<const void*>(offset));
        glEnableVertexAttribArray(location++);
        offset += static_cast<std::size_t>(size) * sizeof(float);
    }
}

void index_buffer(const std::vector<std::uint16_t>& indices)
{
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * 2), indices.data(), GL_STATIC_DRAW);
}

// A hand-written case's target, and how far its picture is from the
// device's, drawn first in the case's own context.
struct twin {
    gl_target target;
    double diff = 0;        // against the device with clip_to_texels
    double diff_clip0 = 0;  // and without
};

template <class frame>
void time_twin(benchmark::State& state, const twin& t, bool depth, frame&& draw)
{
    time_frames(state, [&] {
        t.target.clear(depth);
        draw();
        benchmark::DoNotOptimize(t.target.read().data());
    });
    state.counters["diff"] = t.diff;
    state.counters["diff clip 0"] = t.diff_clip0;
}

// Draws the device's picture with clip_to_texels off and on.
template <class frame>
void device_pictures(device& d, frame&& draw, std::vector<std::uint32_t>& off, std::vector<std::uint32_t>& on)
{
    d.clip_to_texels = false;
    draw();
    off = device_picture(d);
    d.clip_to_texels = true;
    draw();
    on = device_picture(d);
}

// A texture made by the engine from a one-channel picture through device
// d, as the parts make theirs: white, alpha 255 minus the picture, its
// smaller levels point-sampled.
template <class picture>
device_texture* alpha_texture(device& d, int width, int height, picture&& value)
{
    myengine.pd3dDev = &d;
    en->clear_pictures();
    unsigned char* p = en->new_picture(width, height, 1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p[y * width + x] = value(x, y);
    return *myengine.textures.at(en->create_alpha_texture(0));
}

// ------------------------------------------------------- lit cubes twin

// The cubes lit once on the CPU as the device lights them, per vertex in
// camera space: normals through the inverse transpose of world x view
// (not renormalised), the glow's attenuation, colours held to 0..1.
void light_vertex(const lc::cube& c, int corner, bool sun, float global_ambient, float (&out)[3])
{
    const float p[4] = {lc::corners[corner][0], lc::corners[corner][1], lc::corners[corner][2], 1};
    // World x view only scales and moves: the corner times the cube's
    // scale, plus its centre and the view's move.
    float camera[3];
    for (int j = 0; j < 3; ++j)
        camera[j] = p[j] * c.world[5 * j] + c.world[12 + j] + lc::view[12 + j];
    float normal[3];
    for (int j = 0; j < 3; ++j)
        normal[j] = lc::normals[corner][j] / c.world[5 * j];
    float ambient = global_ambient, diffuse[3] = {};
    float ambient_blue = 0;
    if (sun) {
        const float* d = lc::sun_direction;
        const float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        const float n_dot_l = -(normal[0] * d[0] + normal[1] * d[1] + normal[2] * d[2]) / length;
        ambient += lc::sun_colour;
        for (float& v : diffuse)
            v += lc::sun_colour * std::max(n_dot_l, 0.0f);
    }
    float to_light[3];
    for (int j = 0; j < 3; ++j)
        to_light[j] = lc::glow_position[j] + lc::view[12 + j] - camera[j];
    const float dist = std::sqrt(to_light[0] * to_light[0] + to_light[1] * to_light[1] + to_light[2] * to_light[2]);
    if (dist <= lc::glow_range) {
        const float* a = lc::glow_attenuation;
        const float den = a[0] + (a[1] + a[2] * dist) * dist;
        const float factor = den != 0 ? 1 / den : 1e20f;
        float n_dot_l = 0;
        for (int j = 0; j < 3; ++j)
            n_dot_l += normal[j] * (dist > 0 ? to_light[j] / dist : 0);
        ambient_blue += factor * lc::glow_blue;
        diffuse[2] += factor * lc::glow_blue * std::max(n_dot_l, 0.0f);
    }
    for (int j = 0; j < 3; ++j) {
        const float lit = c.colour[j] * (ambient + (j == 2 ? ambient_blue : 0)) + c.colour[j] * diffuse[j];
        out[j] = std::clamp(lit, 0.0f, 1.0f);
    }
}

// Faces and edges in two draws: each triangle's vertices and each line's
// carry the colour of its first vertex, which flat shading gives them.
void cubes_faces_and_edges_gl(benchmark::State& state)
{
    struct gl_vertex {
        float position[4];
        float colour[4];
    };
    static twin t;
    static GLsizei face_vertices = 0, edge_vertices = 0;
    static bool made = [] {
        cube_scene s;
        s.d = make_device(lc::width, lc::height);
        set_up_cubes(s);
        std::vector<std::uint32_t> off, on;
        device_pictures(*s.d, [&] { draw_cubes(s, true); }, off, on);

        reset_gl_state(lc::width, lc::height);
        std::vector<gl_vertex> faces, edges;
        auto add = [](std::vector<gl_vertex>& out, const lc::cube& c, const std::uint16_t* indices, int count,
                      int per_primitive, bool sun, float ambient) {
            for (int i = 0; i < count; i += per_primitive) {
                float lit[3];
                light_vertex(c, indices[i], sun, ambient, lit);
                for (int k = 0; k < per_primitive; ++k) {
                    const int corner = indices[i + k];
                    const float p[4] = {lc::corners[corner][0], lc::corners[corner][1], lc::corners[corner][2], 1};
                    gl_vertex& v = out.emplace_back();
                    gl_clip_position(p, c.world, lc::view, lc::projection, lc::width, lc::height, v.position);
                    // The first stage modulates the lit colour by itself:
                    // both its arguments are the diffuse colour there.
                    v.colour[0] = lit[0] * lit[0];
                    v.colour[1] = lit[1] * lit[1];
                    v.colour[2] = lit[2] * lit[2];
                    v.colour[3] = 1;
                }
            }
        };
        for (const lc::cube& c : s.cubes) {
            add(faces, c, lc::faces, 36, 3, true, (lc::face_ambient & 255) / 255.0f);
            add(edges, c, lc::edges, 24, 2, false, (lc::edge_ambient & 255) / 255.0f);
        }
        face_vertices = static_cast<GLsizei>(faces.size());
        edge_vertices = static_cast<GLsizei>(edges.size());
        faces.insert(faces.end(), edges.begin(), edges.end());
        vertex_array(faces, {4, 4});
        glUseProgram(link_program("#version 330 core\n"
                                  "layout(location = 0) in vec4 a_position;\n"
                                  "layout(location = 1) in vec4 a_colour;\n"
                                  "out vec4 v_colour;\n"
                                  "void main()\n"
                                  "{\n"
                                  "    gl_Position = a_position;\n"
                                  "    v_colour = a_colour;\n"
                                  "}\n",
                                  "#version 330 core\n"
                                  "in vec4 v_colour;\n"
                                  "out vec4 o_colour;\n"
                                  "void main()\n"
                                  "{\n"
                                  "    o_colour = v_colour;\n"
                                  "}\n"));
        glDisable(GL_BLEND);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        t.target = make_gl_target(lc::width, lc::height);
        t.target.clear(true);
        glDrawArrays(GL_TRIANGLES, 0, face_vertices);
        glDrawArrays(GL_LINES, face_vertices, edge_vertices);
        const std::vector<std::uint32_t> mine = t.target.read();
        t.diff = mean_difference(on, mine);
        t.diff_clip0 = mean_difference(off, mine);
        return true;
    }();
    benchmark::DoNotOptimize(made);
    time_twin(state, t, true, [] {
        glDrawArrays(GL_TRIANGLES, 0, face_vertices);
        glDrawArrays(GL_LINES, face_vertices, edge_vertices);
    });
}
BENCHMARK(cubes_faces_and_edges_gl)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---------------------------------------------------------- label echoes

namespace le = label_echoes;

struct label_scene {
    device* d = nullptr;
    device_texture* textures[le::labels] = {};
};

void set_up_labels(label_scene& s)
{
    device& d = *s.d;
    device_vertex_buffer* vb = d.create_vertex_buffer(4 * sizeof(vertex), 0, 0x112, D3DPOOL_DEFAULT);
    auto* v = static_cast<vertex*>(vb->lock());
    for (int i = 0; i < 4; ++i) {
        const eq::corner c = le::quad_corner(i);
        v[i] = {c.x, c.y, c.z, 0, 0, 0, c.u, c.v};
    }
    vb->unlock();
    device_index_buffer* ib = d.create_index_buffer(sizeof eq::indices, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT);
    std::memcpy(ib->lock(), eq::indices, sizeof eq::indices);
    ib->unlock();
    for (int n = 1; n <= le::labels; ++n)
        s.textures[n - 1] = alpha_texture(d, le::texture_width, le::texture_height,
                                          [n](int x, int y) { return le::picture(n, x, y); });

    // The states the frame leaves when the echoes are drawn: the opening
    // part's point light (range 0: it lights nothing), no fog, no culling.
    d.set_vertex_shader(0x112);
    d.set_stream_source(0, vb, sizeof(vertex));
    d.set_indices(ib, 0);
    d.set_texture_stage_state(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    d.set_texture_stage_state(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    d.set_texture_stage_state(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
    d.set_render_state(D3DRS_CULLMODE, D3DCULL_NONE);
    d.set_render_state(D3DRS_LIGHTING, 1);
    d.set_render_state(D3DRS_AMBIENT, le::ambient);
    d.set_render_state(D3DRS_FOGENABLE, 0);
    d3d_light light;
    light.type = D3DLIGHT_POINT;
    light.diffuse = light.ambient = {1, 1, 1, 1};
    d.set_light(0, light);
    d.light_enable(0, true);
    d.set_transform(D3DTS_PROJECTION, le::projection);
    d.set_transform(D3DTS_VIEW, le::view);
}

// Each echo as the part draws it: its world, then the label's material
// with its blending and texture stages, then the quad.
void draw_labels(label_scene& s)
{
    device& d = *s.d;
    d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    d.begin_scene();
    le::for_each_echo([&](int n, const float* world, label_rgb c) {
        d.set_transform(D3DTS_WORLD, world);
        d3d_material m;
        m.diffuse = m.ambient = m.specular = {c.r, c.g, c.b, 1};
        d.set_material(m);
        d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
        d.set_render_state(D3DRS_ZWRITEENABLE, 0);
        d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_ONE);
        d.set_texture_stage_state(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
        d.set_texture(0, s.textures[n - 1]);
        d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        d.set_texture_stage_state(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
        d.set_texture_stage_state(0, D3DTSS_TEXCOORDINDEX, 0);
        for (int stage = 1; stage < max_texture_stages; ++stage)
            d.set_texture(stage, nullptr);
        d.draw_indexed_primitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2);
    });
    d.end_scene();
}

void label_echoes_device(benchmark::State& state)
{
    label_scene& s = device_scene(le::width, le::height, set_up_labels);
    time_device_frames(state, *s.d, [&] { draw_labels(s); });
}
BENCHMARK(label_echoes_device)->DenseRange(0, 1)->ArgName("clip")->Unit(benchmark::kMillisecond)->UseRealTime();

// The echoes in one draw: the thirteen labels as layers of one array
// texture (the same levels, filtered alike), each vertex naming its layer.
void label_echoes_gl(benchmark::State& state)
{
    struct gl_vertex {
        float position[4];
        float colour[4];
        float u, v, layer;
    };
    static twin t;
    static GLsizei count = 0;
    static bool made = [] {
        label_scene s;
        s.d = make_device(le::width, le::height);
        set_up_labels(s);
        std::vector<std::uint32_t> off, on;
        device_pictures(*s.d, [&] { draw_labels(s); }, off, on);

        reset_gl_state(le::width, le::height);
        std::vector<gl_vertex> vertices;
        std::vector<std::uint16_t> indices;
        const float ambient = (le::ambient & 255) / 255.0f;
        le::for_each_echo([&](int n, const float* world, label_rgb c) {
            for (int i : eq::indices)
                indices.push_back(static_cast<std::uint16_t>(vertices.size() + i));
            for (int k = 0; k < 4; ++k) {
                const eq::corner q = le::quad_corner(k);
                const float p[4] = {q.x, q.y, q.z, 1};
                gl_vertex& v = vertices.emplace_back();
                gl_clip_position(p, world, le::view, le::projection, le::width, le::height, v.position);
                v.colour[0] = std::min(c.r * ambient, 1.0f);
                v.colour[1] = std::min(c.g * ambient, 1.0f);
                v.colour[2] = std::min(c.b * ambient, 1.0f);
                v.colour[3] = 1;
                v.u = q.u;
                v.v = q.v;
                v.layer = static_cast<float>(n - 1);
            }
        });
        count = static_cast<GLsizei>(indices.size());
        vertex_array(vertices, {4, 4, 3});
        index_buffer(indices);
        glUseProgram(link_program("#version 330 core\n"
                                  "layout(location = 0) in vec4 a_position;\n"
                                  "layout(location = 1) in vec4 a_colour;\n"
                                  "layout(location = 2) in vec3 a_texcoord;\n"
                                  "out vec4 v_colour;\n"
                                  "out vec3 v_texcoord;\n"
                                  "void main()\n"
                                  "{\n"
                                  "    gl_Position = a_position;\n"
                                  "    v_colour = a_colour;\n"
                                  "    v_texcoord = a_texcoord;\n"
                                  "}\n",
                                  "#version 330 core\n"
                                  "in vec4 v_colour;\n"
                                  "in vec3 v_texcoord;\n"
                                  "uniform sampler2DArray u_texture;\n"
                                  "out vec4 o_colour;\n"
                                  "void main()\n"
                                  "{\n"
                                  "    o_colour = texture(u_texture, v_texcoord) * v_colour;\n"
                                  "}\n"));
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D_ARRAY, texture);
        const int levels = s.textures[0]->levels;
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, levels - 1);
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        for (int l = 0; l < levels; ++l) {
            const int w = s.textures[0]->level_width(l), h = s.textures[0]->level_height(l);
            glTexImage3D(GL_TEXTURE_2D_ARRAY, l, GL_RGBA8, w, h, le::labels, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
            for (int n = 0; n < le::labels; ++n)
                glTexSubImage3D(GL_TEXTURE_2D_ARRAY, l, 0, 0, n, w, h, 1, GL_BGRA, GL_UNSIGNED_BYTE,
                                s.textures[n]->level_data[l].data());
        }
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        t.target = make_gl_target(le::width, le::height);
        t.target.clear(true);
        glDepthMask(GL_FALSE);
        glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_SHORT, nullptr);
        const std::vector<std::uint32_t> mine = t.target.read();
        t.diff = mean_difference(on, mine);
        t.diff_clip0 = mean_difference(off, mine);
        return true;
    }();
    benchmark::DoNotOptimize(made);
    // depth 1 tests against the cleared depth buffer as the device does;
    // 0 leaves it out, as nothing writes depth.
    const bool depth = state.range(0) != 0;
    time_twin(state, t, depth, [] {
        glDepthMask(GL_FALSE);
        glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_SHORT, nullptr);
    });
}
BENCHMARK(label_echoes_gl)->DenseRange(0, 1)->ArgName("depth")->Unit(benchmark::kMillisecond)->UseRealTime();

// ---------------------------------------------------------- glow sprites

namespace gs = glow_sprites;

struct sprite_scene {
    device* d = nullptr;
    device_texture* glow = nullptr;
    matrix view;
};

void set_up_sprites(sprite_scene& s)
{
    device& d = *s.d;
    device_vertex_buffer* vb = d.create_vertex_buffer(4 * sizeof(vertex), 0, 0x112, D3DPOOL_DEFAULT);
    auto* v = static_cast<vertex*>(vb->lock());
    for (int i = 0; i < 4; ++i)
        v[i] = {gs::corners[i].x, gs::corners[i].y, 1, 0, 0, 0, gs::corners[i].u, gs::corners[i].v};
    vb->unlock();
    s.glow = alpha_texture(d, gs::texture_size, gs::texture_size, gs::picture);
    s.view = gs::view();

    // The states the part's frame draws the cloud in: depth tested without
    // writing, no culling, no fog, the texture's colour and alpha alone.
    d.set_vertex_shader(0x112);
    d.set_stream_source(0, vb, sizeof(vertex));
    d.set_texture_stage_state(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    d.set_texture_stage_state(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    d.set_texture_stage_state(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
    d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d.set_render_state(D3DRS_ZWRITEENABLE, 0);
    d.set_render_state(D3DRS_CULLMODE, D3DCULL_NONE);
    d.set_render_state(D3DRS_FOGENABLE, 0);
    d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
    d.set_render_state(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    d.set_render_state(D3DRS_LIGHTING, 1);
    d.set_render_state(D3DRS_AMBIENT, frame_ambient);
    d.set_transform(D3DTS_VIEW, s.view.e);
}

// One frame as the part draws it; worlds, when given, gets each sprite's
// world matrix.
void draw_sprites(sprite_scene& s, std::vector<d3d_matrix>* worlds = nullptr)
{
    device& d = *s.d;
    pd3dDev = &d;
    d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    d.begin_scene();
    d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_INVSRCALPHA);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_SRCALPHA);
    d.set_transform(D3DTS_PROJECTION, gs::projection().e);
    d.set_texture(0, s.glow);
    gs::for_each_sprite([&](float x, float y, float z, float w, float size) {
        draw_sprite(x, y, z, w, size, s.view);
        if (worlds)
            worlds->push_back(d.state.world);
    });
    d.end_scene();
}

void glow_sprites_device(benchmark::State& state)
{
    sprite_scene& s = device_scene(gs::width, gs::height, set_up_sprites);
    time_device_frames(state, *s.d, [&] { draw_sprites(s); });
}
BENCHMARK(glow_sprites_device)->DenseRange(0, 1)->ArgName("clip")->Unit(benchmark::kMillisecond)->UseRealTime();

// The sprites in one draw of two triangles each, the texture's colour and
// alpha blended as the part blends them.
void glow_sprites_gl(benchmark::State& state)
{
    struct gl_vertex {
        float position[4];
        float u, v;
    };
    static twin t;
    static GLsizei count = 0;
    static bool made = [] {
        sprite_scene s;
        s.d = make_device(gs::width, gs::height);
        set_up_sprites(s);
        std::vector<std::uint32_t> off, on;
        std::vector<d3d_matrix> worlds;
        device_pictures(*s.d, [&] { draw_sprites(s, worlds.empty() ? &worlds : nullptr); }, off, on);

        reset_gl_state(gs::width, gs::height);
        std::vector<gl_vertex> vertices;
        std::vector<std::uint16_t> indices;
        const matrix projection = gs::projection();
        for (const d3d_matrix& world : worlds) {
            const auto first = static_cast<std::uint16_t>(vertices.size());
            for (int k : {0, 1, 2, 1, 3, 2})
                indices.push_back(static_cast<std::uint16_t>(first + k));
            for (const gs::corner& c : gs::corners) {
                const float p[4] = {c.x, c.y, 1, 1};
                gl_vertex& v = vertices.emplace_back();
                gl_clip_position(p, world.m, s.view.e, projection.e, gs::width, gs::height, v.position);
                v.u = c.u;
                v.v = c.v;
            }
        }
        count = static_cast<GLsizei>(indices.size());
        vertex_array(vertices, {4, 2});
        index_buffer(indices);
        glUseProgram(link_program("#version 330 core\n"
                                  "layout(location = 0) in vec4 a_position;\n"
                                  "layout(location = 1) in vec2 a_texcoord;\n"
                                  "out vec2 v_texcoord;\n"
                                  "void main()\n"
                                  "{\n"
                                  "    gl_Position = a_position;\n"
                                  "    v_texcoord = a_texcoord;\n"
                                  "}\n",
                                  "#version 330 core\n"
                                  "in vec2 v_texcoord;\n"
                                  "uniform sampler2D u_texture;\n"
                                  "out vec4 o_colour;\n"
                                  "void main()\n"
                                  "{\n"
                                  "    o_colour = texture(u_texture, v_texcoord);\n"
                                  "}\n"));
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, s.glow->levels - 1);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        for (int l = 0; l < s.glow->levels; ++l)
            glTexImage2D(GL_TEXTURE_2D, l, GL_RGBA8, s.glow->level_width(l), s.glow->level_height(l), 0, GL_BGRA,
                         GL_UNSIGNED_BYTE, s.glow->level_data[l].data());
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA);
        t.target = make_gl_target(gs::width, gs::height);
        t.target.clear(true);
        glDepthMask(GL_FALSE);
        glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_SHORT, nullptr);
        const std::vector<std::uint32_t> mine = t.target.read();
        t.diff = mean_difference(on, mine);
        t.diff_clip0 = mean_difference(off, mine);
        return true;
    }();
    benchmark::DoNotOptimize(made);
    // depth 1 tests against the cleared depth buffer as the device does;
    // 0 leaves it out, as nothing writes depth.
    const bool depth = state.range(0) != 0;
    time_twin(state, t, depth, [] {
        glDepthMask(GL_FALSE);
        glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_SHORT, nullptr);
    });
}
BENCHMARK(glow_sprites_gl)->DenseRange(0, 1)->ArgName("depth")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
