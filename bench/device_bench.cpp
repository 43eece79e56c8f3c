// Draws per second of the graphics device on a load like the show's last
// part: 2000 small cubes, each drawn indexed with its own world matrix and
// material, flat shaded under a directional and a point light, at 640 x
// 480. Headless (SDL's offscreen driver) unless SDL_VIDEODRIVER says
// otherwise. One iteration is one frame, ended by reading the back buffer
// back so that the renderer has finished it.

#include "platform/device.h"
#include "platform/window.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

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

}  // namespace
