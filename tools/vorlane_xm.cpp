// vorlane-xm: the show's music player on its own. Describes a module,
// renders it to a WAV file through exactly the ring player's mixing path
// (on the virtual device), or plays it on the sound card.
#include "music/mem_file.h"
#include "music/mixer.h"
#include "music/ring_player.h"
#include "music/sequencer.h"
#include "music/song.h"
#include "platform/wave_out_virtual.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace vorlane {
namespace {

constexpr int exit_bad_module = 1;
constexpr int exit_bad_arguments = 2;

// A song that never revisits a row would still end after 256 x 256 rows;
// rendering stops at this length instead.
constexpr double longest_render_seconds = 3600;

const char* const usage_text =
    "usage: vorlane-xm info FILE\n"
    "       vorlane-xm render FILE OUT.wav [--seconds S] [--rate R]\n"
    "       vorlane-xm play FILE [--seconds S]\n"
    "       vorlane-xm --help\n";

int usage()
{
    std::fputs(usage_text, stderr);
    return exit_bad_arguments;
}

std::vector<std::uint8_t> module_bytes;

// Loads the file through the memory file operations; null (with a message
// naming the file) when it cannot be read or is no module the player takes.
song* load_file(const char* path)
{
    std::FILE* f = std::fopen(path, "rb");
    if (f) {
        std::uint8_t chunk[65536];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0 && module_bytes.size() < 0x7fffffff)
            module_bytes.insert(module_bytes.end(), chunk, chunk + n);
        std::fclose(f);
    }
    song* s = nullptr;
    if (f) {
        install_mem_file_callbacks();
        mem_file_set_source(module_bytes.data(), std::int32_t(module_bytes.size()));
        s = song_load(path, nullptr);
    }
    if (!s)
        std::fprintf(stderr, "vorlane-xm: %s: cannot load the module\n", path);
    return s;
}

bool parse_number(const char* text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == 0 && value > 0;
}

int info(const char* path)
{
    song* s = load_file(path);
    if (!s)
        return exit_bad_module;
    int samples = 0;
    for (int i = 0; i < s->num_instruments; ++i)
        samples += s->instruments[i].num_samples;
    std::printf("file: %s\n", path);
    std::printf("channels: %d\n", s->num_channels);
    std::printf("patterns: %d (%d used by the order table)\n", s->num_patterns, s->num_patterns_used);
    std::printf("orders: %d, restart position %d\n", s->song_length, s->restart_pos);
    std::printf("instruments: %d, samples: %d\n", s->num_instruments, samples);
    for (int i = 0; i < s->num_instruments; ++i) {
        const instrument& ins = s->instruments[i];
        std::printf("  instrument %d: %d samples", i + 1, ins.num_samples);
        for (int j = 0; j < ins.num_samples; ++j) {
            const sample* smp = ins.samples[j];
            const char* loop = smp->loop_mode == loop_forward    ? "forward"
                               : smp->loop_mode == loop_pingpong ? "ping-pong"
                                                                 : "none";
            std::printf("%s %u values (loop %s)", j ? "," : ":", smp->length, loop);
        }
        std::printf("\n");
    }
    std::printf("speed: %d\n", s->default_speed);
    std::printf("bpm: %d\n", s->default_bpm);
    std::printf("frequency table: %s\n", (s->format_flags & linear_frequencies) ? "linear" : "amiga");
    song_free(s);
    return 0;
}

// Finds where the song starts over: without pattern loops or delays, the
// row that follows depends only on the current one, so the first row start
// that repeats a position begins the repetition.
struct loop_finder {
    std::vector<bool> seen = std::vector<bool>(256 * 256);
    std::uint64_t mixed_frames = 0;  // frames mixed before the current tick
    std::uint64_t loop_frame = 0;    // 0 until found
};

loop_finder finder;

void tick_with_loop_search(song* s)
{
    if (s->tick == 0 && finder.loop_frame == 0) {
        int order = s->next_order >= 0 ? s->next_order : s->order;
        int row = s->next_row >= 0 ? s->next_row : s->row;
        std::size_t key = std::size_t(order & 255) * 256 + std::size_t(row & 255);
        if (finder.seen[key] && finder.mixed_frames > 0)
            finder.loop_frame = finder.mixed_frames;
        finder.seen[key] = true;
    }
    song_tick(s);
    finder.mixed_frames += std::uint64_t(s->tick_samples);
}

int render(const char* path, const char* out, double seconds, int rate)
{
    auto owned = std::make_unique<wave_out_virtual>();
    wave_out_virtual* device = owned.get();
    sound_use_output(std::move(owned));
    song* s = load_file(path);
    if (!s)
        return exit_bad_module;
    if (!sound_init(rate, 0)) {
        std::fprintf(stderr, "vorlane-xm: sound init\n");
        return exit_bad_module;
    }
    if (!device->record_to(out)) {
        std::fprintf(stderr, "vorlane-xm: %s: cannot create the file\n", out);
        song_free(s);
        return exit_bad_arguments;
    }
    s->tick_handler = tick_with_loop_search;
    song_play(s);
    std::uint64_t limit = std::uint64_t((seconds > 0 ? seconds : longest_render_seconds) * rate);
    while (true) {
        std::uint64_t target = limit;
        if (seconds <= 0 && finder.loop_frame > 0)
            target = std::min(target, finder.loop_frame);
        std::uint64_t played = device->frames_played();
        if (played >= target)
            break;
        device->advance(std::uint32_t(std::min<std::uint64_t>(target - played, std::uint64_t(block_samples))));
        output_poll();
    }
    std::uint64_t frames = device->frames_played();
    song_free(s);
    sound_close();
    bool written = device->wav.failed == false;
    if (!written) {
        std::fprintf(stderr, "vorlane-xm: %s: write failed\n", out);
        return exit_bad_module;
    }
    std::printf("%s: %.3f s at %d Hz%s\n", out, double(frames) / rate, rate,
                seconds <= 0 && finder.loop_frame == 0 ? " (no repetition found: cut)" : "");
    return 0;
}

std::atomic<bool> interrupted{false};

int play(const char* path, double seconds)
{
    song* s = load_file(path);
    if (!s)
        return exit_bad_module;
    if (!sound_init(44100, 0)) {
        std::fprintf(stderr, "vorlane-xm: sound init\n");
        song_free(s);
        return exit_bad_module;
    }
    std::signal(SIGINT, [](int) { interrupted.store(true); });
    song_play(s);
    auto start = std::chrono::steady_clock::now();
    while (!interrupted.load()) {
        int ms = song_get_time(s);
        std::printf("\rorder %3d  row %3d  time %3d:%02d.%03d ", song_get_order(s), song_get_row(s),
                    ms / 60000, ms / 1000 % 60, ms % 1000);
        std::fflush(stdout);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (seconds > 0 && elapsed.count() >= seconds)
            break;
    }
    std::printf("\n");
    song_free(s);
    sound_close();
    return 0;
}

int run(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(usage_text, stdout);
        return 0;
    }
    if (argc < 3)
        return usage();
    std::string command = argv[1];
    const char* file = argv[2];
    if (command == "info")
        return argc == 3 ? info(file) : usage();

    double seconds = 0;
    double rate = 44100;
    const char* out = nullptr;
    int i = 3;
    if (command == "render") {
        if (argc < 4)
            return usage();
        out = argv[3];
        i = 4;
    } else if (command != "play") {
        return usage();
    }
    for (; i < argc; i += 2) {
        std::string option = argv[i];
        if (i + 1 >= argc)
            return usage();
        if (option == "--seconds") {
            if (!parse_number(argv[i + 1], seconds))
                return usage();
        } else if (option == "--rate" && command == "render") {
            if (!parse_number(argv[i + 1], rate) || rate < 1000 || rate > 384000 || rate != int(rate))
                return usage();
        } else {
            return usage();
        }
    }
    return command == "render" ? render(file, out, seconds, int(rate)) : play(file, seconds);
}

}  // namespace
}  // namespace vorlane

int main(int argc, char** argv)
{
    return vorlane::run(argc, argv);
}
