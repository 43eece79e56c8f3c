// Whole frames of the engine on a scene shaped like the show's heaviest
// part: 2000 small indexed meshes, each with its own world matrix and
// material, depth-sorted every frame, at 640 x 480 on the software
// renderer. Counters: frames and mesh draws per second.

#include "engine/engine.h"
#include "scene/frame.h"
#include "scene/scene.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace vorlane {
namespace {

constexpr int mesh_count = 2000;

engine& bench_engine()
{
    static bool ready = [] {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        myengine.init(640, 480, true);
        pd3dDev = myengine.pd3dDev;
        return true;
    }();
    (void)ready;
    return myengine;
}

// A small cube (8 vertices, 12 triangles) per object on a 50 x 40 grid in
// front of the camera; every tenth material is alpha-blended so that the
// sort and the culled passes have work.
scene* make_scene()
{
    auto* s = new scene(bench_engine(), 0);
    s->view.move(0, 0, 30);
    s->projection.perspective(1, 1000, 1);
    light* l = s->lights.at(0);
    l->type = 3;
    l->direction.set(0.3f, -0.5f, 1, 0);
    l->colour = {0.8f, 0.8f, 0.8f, 1};
    s->no_lights = 1;

    s->vb.lock();
    s->ib.lock();
    static const int faces[12][3] = {{0, 1, 2}, {0, 2, 3}, {4, 6, 5}, {4, 7, 6}, {0, 4, 5}, {0, 5, 1},
                                     {3, 2, 6}, {3, 6, 7}, {1, 5, 6}, {1, 6, 2}, {0, 3, 7}, {0, 7, 4}};
    for (int i = 0; i < mesh_count; ++i) {
        object* o = s->add_object(1);
        mesh& m = o->meshes[0];
        int first = s->no_vertices;
        for (int c = 0; c < 8; ++c) {
            float x = (c & 1) ? 0.2f : -0.2f, y = (c & 2) ? 0.2f : -0.2f, z = (c & 4) ? 0.2f : -0.2f;
            *s->vb.vertex(first + c) = {x, y, z, x, y, z, 0, 0};
            m.bbox[c].set(x, y, z, 1);
        }
        s->no_vertices += 8;
        for (int f = 0; f < 12; ++f)
            for (int k = 0; k < 3; ++k)
                *s->ib.index(s->no_indices + 3 * f + k) = static_cast<std::uint16_t>(first + faces[f][k]);
        m.min_index = first;
        m.num_vertices = 8;
        m.start_index = s->no_indices;
        m.prim_count = 12;
        s->no_indices += 36;
        m.object = i;
        m.material = i;
        o->world.move(static_cast<float>(i % 50) * 0.6f - 15, static_cast<float>(i / 50) * 0.6f - 12, 0);
        material* mat = s->materials.at(i);
        mat->colour = {static_cast<float>(i % 7) / 7, 0.5f, 1 - static_cast<float>(i % 5) / 5, 0.6f};
        mat->blend = i % 10 == 0 ? 1 : -1;
    }
    s->no_materials = mesh_count;
    s->vb.unlock();
    s->ib.unlock();
    s->build_draw_list();
    return s;
}

void frame_of_2000_meshes(benchmark::State& state)
{
    scene* s = make_scene();
    for (auto _ : state)
        render(*s);
    // Alpha meshes sort to the end: 1800 drawn once, 200 twice.
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["draws/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 2200, benchmark::Counter::kIsRate);
}
BENCHMARK(frame_of_2000_meshes)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace vorlane
