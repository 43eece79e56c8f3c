// Whole frames of the opening part at 640 x 480 on the software renderer,
// in its three looks: the four zooming layers, the single fogged layer,
// and the title with its 200 echo copies. Counters: frames per second and
// the CPU time of all threads (ours and the renderer's) per frame.

#include "clock/show_clock.h"
#include "engine/engine.h"
#include "engine/trig_tables.h"
#include "parts/fonts.h"
#include "parts/part1.h"
#include "platform/process_clock.h"
#include "scene/frame.h"
#include "scene/scene.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace vorlane {
namespace {

void set_part_time(int ms)
{
    the_song = nullptr;
    part_start = -ms;
}

scene& part1_scene()
{
    static scene* s = [] {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        myengine.init(640, 480, true);
        pd3dDev = myengine.pd3dDev;
        build_trig_tables();
        state_block = pd3dDev->create_state_block(D3DSBT_ALL);
        pd3dDev->capture_state_block(state_block);
        init_fonts();
        auto* made = new scene(myengine, 0);
        set_part_time(0);
        new part1(*made);
        return made;
    }();
    return *s;
}

// Frames alternate between two times 50 ms apart, so every frame updates.
void frames_at(benchmark::State& state, int ms)
{
    scene& s = part1_scene();
    // Reach the look from the start: the part keeps per-frame state.
    for (int t = 0; t <= ms; t += 500) {
        set_part_time(t);
        render(s);
    }
    int k = 0;
    const double cpu = process_cpu_seconds();
    for (auto _ : state) {
        set_part_time(ms + 50 * (k++ & 1));
        render(s);
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["frames"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["cpu ms/frame"] = (process_cpu_seconds() - cpu) * 1000 / frames;
}

void zooming_layers(benchmark::State& state) { frames_at(state, 6000); }
void fogged_layer(benchmark::State& state) { frames_at(state, 16000); }
void title_echoes(benchmark::State& state) { frames_at(state, 19000); }

// In show order: the part only moves forward in time.
BENCHMARK(zooming_layers)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(fogged_layer)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(title_echoes)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace vorlane
