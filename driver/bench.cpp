#include "driver/bench.h"

#include "driver/capture.h"
#include "driver/show.h"
#include "driver/show_frame.h"
#include "clock/show_clock.h"
#include "driver/timeline.h"
#include "platform/process_clock.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>

namespace vorlane {

part_figures summarise(const std::vector<frame_record>& frames, int part)
{
    part_figures f;
    std::vector<double> times;
    double wall_ms = 0;
    f.one_colour = true;
    int previous_part = 0;
    for (const frame_record& r : frames) {
        const bool starts = r.part != previous_part;
        previous_part = r.part;
        if (part != 0 && r.part != part)
            continue;
        if (starts)
            f.start_ms = std::max(f.start_ms, r.wall_ms);
        times.push_back(r.wall_ms);
        wall_ms += r.wall_ms;
        f.main_cpu_ms += r.main_cpu_ms;
        f.other_cpu_ms += r.other_cpu_ms;
        f.one_colour = f.one_colour && r.one_colour;
    }
    f.frames = int(times.size());
    if (f.frames == 0)
        return {};
    f.mean_fps = wall_ms > 0 ? f.frames * 1000.0 / wall_ms : 0.0;
    f.main_cpu_ms /= f.frames;
    f.other_cpu_ms /= f.frames;
    // 1 % rounded up, so that a short part still shows its worst frame.
    const std::size_t slowest = (times.size() + 99) / 100;
    std::nth_element(times.begin(), times.begin() + std::ptrdiff_t(slowest - 1), times.end(), std::greater<>());
    double sum = 0;
    for (std::size_t i = 0; i < slowest; ++i)
        sum += times[i];
    f.slowest_ms = sum / double(slowest);
    // Nearest rank: the smallest time that at least p of the frames reach.
    auto rank = [&](double p) {
        const std::size_t k = std::size_t(std::ceil(p * double(times.size())));
        std::nth_element(times.begin(), times.begin() + std::ptrdiff_t(k - 1), times.end());
        return times[k - 1];
    };
    f.median_ms = rank(0.5);
    f.p99_ms = rank(0.99);
    f.max_ms = *std::max_element(times.begin(), times.end());
    return f;
}

std::vector<frame_record> slowest_frames(const std::vector<frame_record>& frames, std::size_t n)
{
    std::vector<frame_record> sorted = frames;
    n = std::min(n, sorted.size());
    std::partial_sort(sorted.begin(), sorted.begin() + std::ptrdiff_t(n), sorted.end(),
                      [](const frame_record& a, const frame_record& b) { return a.wall_ms > b.wall_ms; });
    sorted.resize(n);
    return sorted;
}

namespace {

constexpr int bench_fps = 60;

// Times each frame and keeps nothing of it but whether it is one colour.
class bench_sink : public frame_sink {
public:
    std::vector<frame_record> records;
    double startup_s = -1;  // process start to the first frame read back

    bool before_frame(bool) override
    {
        wall_start = std::chrono::steady_clock::now();
        main_start = thread_cpu_seconds();
        process_start = process_cpu_seconds();
        return true;
    }

    bool take_frame(std::vector<std::uint32_t> pixels) override
    {
        const auto wall_end = std::chrono::steady_clock::now();
        const double main_end = thread_cpu_seconds();
        const double process_end = process_cpu_seconds();
        if (startup_s < 0)
            startup_s = seconds_since_process_start();
        frame_record r;
        r.part = cur_part;
        r.wall_ms = std::chrono::duration<double, std::milli>(wall_end - wall_start).count();
        r.main_cpu_ms = (main_end - main_start) * 1000.0;
        r.other_cpu_ms = std::max(0.0, (process_end - process_start) * 1000.0 - r.main_cpu_ms);
        r.one_colour = std::all_of(pixels.begin(), pixels.end(), [&](std::uint32_t p) { return p == pixels[0]; });
        r.song_ms = get_time();
        r.part_ms = get_parttime();
        records.push_back(r);
        return true;
    }

private:
    std::chrono::steady_clock::time_point wall_start;
    double main_start = 0;
    double process_start = 0;
};

void print_row(const char* name, const part_figures& f)
{
    std::printf("%-16s %7d %9.1f %8.2f %8.2f %8.2f %12.2f %8.2f %9.2f %10.2f\n", name, f.frames, f.mean_fps,
                f.median_ms, f.p99_ms, f.max_ms, f.slowest_ms, f.start_ms, f.main_cpu_ms, f.other_cpu_ms);
}

}  // namespace

int run_bench(const options& o)
{
    wave_out_virtual& device = start_offline_show(o.resx, o.resy);
    bench_sink sink;
    frame_span span;
    span.fps = bench_fps;
    run_frames(device, span, sink, "bench");
    close_show();

    std::printf("vorlane --bench %dx%d: %d frames per second of song time, each frame read back\n", o.resx, o.resy,
                bench_fps);
    const present_rect picture = fit_show(o.resx, o.resy);
    if (picture.width != o.resx || picture.height != o.resy)
        std::printf("the show's 4:3 picture drawn at %dx%d\n", picture.width, picture.height);
    std::printf("%-16s %7s %9s %8s %8s %8s %12s %8s %9s %10s\n", "part", "frames", "mean fps", "median", "99th",
                "slowest", "slowest 1 %", "start", "main CPU", "other CPU");
    std::printf("%-16s %7s %9s %8s %8s %8s %12s %8s %9s %10s\n", "", "", "", "ms", "ms", "ms", "ms/frame", "ms",
                "ms/frame", "ms/frame");
    bool placeholders = false;
    for (int part = 1; part <= 5; ++part) {
        const part_figures f = summarise(sink.records, part);
        if (f.frames == 0)
            continue;
        char name[32];
        std::snprintf(name, sizeof name, f.one_colour ? "%d placeholder" : "%d", part);
        placeholders = placeholders || f.one_colour;
        print_row(name, f);
    }
    print_row("show", summarise(sink.records, 0));
    if (placeholders)
        std::printf("placeholder: every frame of the part was one colour (a part not built yet)\n");
    std::printf("slowest frames: song ms, part, part ms, wall ms\n");
    for (const frame_record& r : slowest_frames(sink.records, 5))
        std::printf("%8d %4d %8d %8.2f\n", r.song_ms, r.part, r.part_ms, r.wall_ms);
    std::printf("start-up: %.3f s from process start to the first frame\n", sink.startup_s);
    return 0;
}

}  // namespace vorlane
