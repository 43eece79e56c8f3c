// Mixer throughput: the ring player rendering a 20-channel module on the
// virtual device (sequencer, mixer and 16-bit conversion, no file output),
// reported as a multiple of real time at 44100 Hz.
#include "music/mixer.h"
#include "music/ring_player.h"
#include "platform/wave_out_virtual.h"
#include "tests/music/xm_builder.h"

#include <benchmark/benchmark.h>

namespace vorlane {
namespace {

// 20 channels that all play a looping 16-bit sample at different pitches,
// a new note every 8 rows: every voice is audible all the time.
std::vector<std::uint8_t> twenty_channel_module()
{
    test::xm_module m;
    m.channels = 20;
    m.speed = 6;
    m.bpm = 125;
    m.patterns.push_back(test::empty_pattern(64, 20));
    for (int row = 0; row < 64; row += 8)
        for (int ch = 0; ch < 20; ++ch)
            m.patterns[0].cells[std::size_t(row * 20 + ch)] = {
                std::uint8_t(37 + (ch * 5 + row) % 36), 1, 0, 0, 0};
    test::xm_sample s;
    s.sixteen_bit = true;
    for (int i = 0; i < 2000; ++i)
        s.values.push_back(std::int16_t((i * 7919) % 20000 - 10000));
    s.type = 1;
    s.loop_start = 500;
    s.loop_length = 1500;
    s.volume = 40;
    m.instruments.push_back(test::single_sample_instrument(s));
    return test::build_xm(m);
}

void ring_player_20_channels(benchmark::State& state)
{
    auto owned = std::make_unique<wave_out_virtual>();
    wave_out_virtual* device = owned.get();
    sound_use_output(std::move(owned));
    auto bytes = twenty_channel_module();
    song* s = test::load_module(bytes);
    sound_init(44100, 0);
    song_play(s);
    std::int64_t frames = 0;
    for (auto _ : state) {
        device->advance(std::uint32_t(block_samples));
        output_poll();
        frames += block_samples;
    }
    state.counters["x_real_time"] =
        benchmark::Counter(double(frames) / 44100.0, benchmark::Counter::kIsRate);
    state.SetItemsProcessed(frames);
    song_free(s);
    sound_close();
    sound_use_output(nullptr);
}
BENCHMARK(ring_player_20_channels);

}  // namespace
}  // namespace vorlane
