// What the fuzz target does with each input, shared with the corpus replay
// test: load the bytes as a module and, when they load, play about three
// seconds of it through the ring player on the virtual device.
#pragma once

#include "music/mem_file.h"
#include "music/mixer.h"
#include "music/ring_player.h"
#include "music/song.h"
#include "platform/wave_out_virtual.h"

#include <cstddef>
#include <cstdint>

namespace vorlane::test {

struct render_result {
    bool loaded = false;
    int order = 0;  // heard position at the end
    int row = 0;
    int time_ms = 0;
};

inline render_result render_module(const std::uint8_t* data, std::size_t size)
{
    static wave_out_virtual* device = nullptr;
    if (!device) {
        auto d = std::make_unique<wave_out_virtual>();
        device = d.get();
        sound_use_output(std::move(d));
        install_mem_file_callbacks();
        sound_init(44100, 0);
    }
    render_result r;
    mem_file_set_source(data, std::int32_t(size > 0x7fffffff ? 0x7fffffff : size));
    song* s = song_load("input", nullptr);
    if (!s)
        return r;
    r.loaded = true;
    song_play(s);  // two seconds mixed ahead
    for (int b = 0; b < 50; ++b) {
        device->advance(std::uint32_t(block_samples));
        output_poll();
    }
    r.order = song_get_order(s);
    r.row = song_get_row(s);
    r.time_ms = song_get_time(s);
    song_free(s);
    return r;
}

}  // namespace vorlane::test
