// Draws per second of the graphics device on a load like the show's last
// part: 2000 small cubes, each drawn indexed with its own world matrix and
// material, flat shaded under a directional and a point light, at 640 x
// 480. Then the fill of the opening part's title echoes, through the
// device and as a minimal OpenGL program of the same quads: the renderer's
// own limit for them. Headless (SDL's offscreen driver) unless
// SDL_VIDEODRIVER says otherwise. One iteration is one frame, ended by
// reading the picture back so that the renderer has finished it.
//
// Each group makes its own window and context when it first runs, and the
// newest context stays current: the groups run in the order they are
// registered here.

#include "bench/echo_quads.h"
#include "platform/device.h"
#include "platform/process_clock.h"
#include "platform/texture_footprint.h"
#include "platform/window.h"

#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using namespace vorlane;

constexpr int cubes = 2000;

struct vertex {
    float x, y, z, nx, ny, nz, u, v;
};

struct scene {
    device* d = nullptr;
    float positions[cubes][3] = {};
};

void draw_frame(scene& s, bool edges);

// The first frames link the programs and build the renderer's shader
// variants; they are drawn here so that every timed frame is a steady one.
scene& setup()
{
    static scene* s = [] {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        auto* sc = new scene;
        window* w = create_window(640, 480, true);
        sc->d = create_device(*w, 640, 480);
        device& d = *sc->d;

        device_vertex_buffer* vb = d.create_vertex_buffer(8 * sizeof(vertex), 0, 0x112, D3DPOOL_DEFAULT);
        auto* v = static_cast<vertex*>(vb->lock());
        const float corners[8][3] = {{-1, -1, 1}, {1, -1, 1}, {1, -1, -1}, {-1, -1, -1},
                                     {-1, 1, 1},  {1, 1, 1},  {1, 1, -1},  {-1, 1, -1}};
        const float normals[8][3] = {{-1, 0, 0}, {0, -1, 0}, {1, 0, 0}, {0, 0, -1},
                                     {0, 0, 1},  {0, 1, 0},  {0, 0, 0}, {0, 0, 0}};
        for (int i = 0; i < 8; ++i)
            v[i] = {corners[i][0], corners[i][1], corners[i][2], normals[i][0], normals[i][1], normals[i][2], 0, 0};
        vb->unlock();
        device_index_buffer* ib = d.create_index_buffer(64 * 2, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT);
        auto* idx = static_cast<std::uint16_t*>(ib->lock());
        const std::uint16_t faces[36] = {1, 0, 3, 1, 3, 2, 5, 6, 7, 5, 7, 4, 3, 7, 6, 3, 6, 2,
                                         4, 1, 5, 4, 0, 1, 2, 6, 5, 2, 5, 1, 0, 4, 7, 0, 7, 3};
        const std::uint16_t edges[24] = {0, 1, 1, 2, 2, 3, 3, 0, 0, 4, 1, 5, 2, 6, 3, 7, 4, 5, 5, 6, 6, 7, 7, 4};
        std::memcpy(idx, faces, sizeof faces);
        std::memcpy(idx + 40, edges, sizeof edges);
        ib->unlock();

        d.set_vertex_shader(0x112);
        d.set_stream_source(0, vb, sizeof(vertex));
        d.set_indices(ib, 0);
        d.set_render_state(D3DRS_LIGHTING, 1);
        d.set_render_state(D3DRS_AMBIENT, 0xFF606060);
        d.set_render_state(D3DRS_SHADEMODE, D3DSHADE_FLAT);
        d.set_render_state(D3DRS_CULLMODE, D3DCULL_CCW);
        d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);

        d3d_light sun;
        sun.type = D3DLIGHT_DIRECTIONAL;
        sun.diffuse = sun.ambient = {0.5f, 0.5f, 0.5f, 1};
        sun.direction = {1, 1, 0};
        d.set_light(0, sun);
        d.light_enable(0, true);
        d3d_light blue;
        blue.type = D3DLIGHT_POINT;
        blue.diffuse = blue.ambient = {0, 0, 10, 0};
        blue.position = {-6, -3, 25};
        blue.range = 8;
        blue.attenuation0 = 1;
        blue.attenuation1 = -2;
        blue.attenuation2 = 1;
        d.set_light(1, blue);
        d.light_enable(1, true);

        const float q = 1000 / (1000 - 0.1f);
        const float projection[16] = {0.75f * 1.5f, 0, 0, 0, 0, 1.5f, 0, 0, 0, 0, q, 1, 0, 0, -q * 0.1f, 0};
        const float view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 150, 1};
        d.set_transform(D3DTS_PROJECTION, projection);
        d.set_transform(D3DTS_VIEW, view);

        // Spread over a box of +-100 like the wandering particles.
        std::uint32_t seed = 1;
        auto next = [&] {
            seed = seed * 214013u + 2531011u;
            return static_cast<float>((seed >> 16) & 0x7FFF) / 32767.0f * 200 - 100;
        };
        for (auto& p : sc->positions) {
            p[0] = next();
            p[1] = next();
            p[2] = next();
        }
        draw_frame(*sc, false);
        draw_frame(*sc, true);
        return sc;
    }();
    return *s;
}

void draw_frame(scene& s, bool edges)
{
    device& d = *s.d;
    d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    d.begin_scene();
    float world[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 1};
    d3d_material m;
    for (const auto& p : s.positions) {
        world[12] = p[0];
        world[13] = p[1];
        world[14] = p[2];
        d.set_transform(D3DTS_WORLD, world);
        m.diffuse = m.ambient = m.specular = {-p[2] / 200 + 0.3f, p[1] / 200 + 0.15f, p[0] / 200 + 0.35f, 1};
        d.set_material(m);
        d.draw_indexed_primitive(D3DPT_TRIANGLELIST, 0, 8, 0, 12);
        if (edges) {
            d.light_enable(0, false);
            d.set_render_state(D3DRS_AMBIENT, 0xFFFFFFFF);
            d.draw_indexed_primitive(D3DPT_LINELIST, 0, 8, 40, 12);
            d.set_render_state(D3DRS_AMBIENT, 0xFF606060);
            d.light_enable(0, true);
        }
    }
    d.end_scene();
    benchmark::DoNotOptimize(d.read_surface(d.get_back_buffer()).data());
}

void cubes_faces(benchmark::State& state)
{
    scene& s = setup();
    for (auto _ : state)
        draw_frame(s, false);
    state.SetItemsProcessed(state.iterations() * cubes);
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(cubes_faces)->Unit(benchmark::kMillisecond)->UseRealTime();

// Faces and glowing edges: two draws per cube with a light switched off
// and the ambient changed around the second, as the last part does.
void cubes_faces_and_edges(benchmark::State& state)
{
    scene& s = setup();
    for (auto _ : state)
        draw_frame(s, true);
    state.SetItemsProcessed(state.iterations() * cubes * 2);
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(cubes_faces_and_edges)->Unit(benchmark::kMillisecond)->UseRealTime();

// ---------------------------------------------------------------- echoes

namespace eq = echo_quads;

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
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        window* w = create_window(eq::width, eq::height, true);
        device* dev = create_device(*w, eq::width, eq::height);
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
        benchmark::DoNotOptimize(d->read_surface(d->get_back_buffer()).data());
    });
}
BENCHMARK(echo_quads_device)->Unit(benchmark::kMillisecond)->UseRealTime();

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

}  // namespace
