// What one captured frame costs beyond rendering it: the PNG file of a
// 640 x 480 frame, for a busy picture (part 1's noise) and a plain one
// (a cleared frame); and for a wide capture, putting the 4:3 picture
// between its bars in a 1920 x 1080 frame.

#include "driver/capture.h"
#include "driver/show_frame.h"
#include "platform/png_writer.h"
#include "runtime/rand.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void write_frame(benchmark::State& state, const std::vector<std::uint32_t>& pixels)
{
    const std::string path = "/tmp/vorlane_bench_frame_" + std::to_string(::getpid()) + ".png";
    for (auto _ : state)
        benchmark::DoNotOptimize(vorlane::write_png(path.c_str(), 640, 480, pixels.data()));
    std::remove(path.c_str());
    state.SetItemsProcessed(state.iterations());
}

void bm_write_png_noise(benchmark::State& state)
{
    std::vector<std::uint32_t> pixels(640 * 480);
    for (auto& p : pixels) {
        const std::uint32_t grey = std::uint32_t(vorlane::rand() & 0xFF);
        p = 0xFF000000u | grey << 16 | grey << 8 | grey;
    }
    write_frame(state, pixels);
}
BENCHMARK(bm_write_png_noise)->Unit(benchmark::kMillisecond);

void bm_write_png_plain(benchmark::State& state)
{
    write_frame(state, std::vector<std::uint32_t>(640 * 480, 0xFF000000u));
}
BENCHMARK(bm_write_png_plain)->Unit(benchmark::kMillisecond);

void bm_frame_with_bars_1080(benchmark::State& state)
{
    const vorlane::present_rect picture = vorlane::fit_show(1920, 1080);
    const std::vector<std::uint32_t> pixels(std::size_t(picture.width) * std::size_t(picture.height), 0xFF808080u);
    for (auto _ : state)
        benchmark::DoNotOptimize(vorlane::frame_with_bars(pixels, picture, 1920, 1080));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(bm_frame_with_bars_1080)->Unit(benchmark::kMillisecond);

}  // namespace
