// The world the part and effect tests run in: the headless test engine
// with the trigonometric tables, the show's fonts and a start-up state
// block, and a clock faked through the part start (with no song the song
// time reads 0).
#pragma once

#include "clock/show_clock.h"
#include "engine/trig_tables.h"
#include "parts/fonts.h"
#include "parts/part1.h"
#include "runtime/rand.h"
#include "scene/scene.h"
#include "tests/engine/test_engine.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace vorlane {

// The engine with its start-up device state captured into state_block.
inline engine& parts_engine()
{
    static bool ready = [] {
        test_engine();
        build_trig_tables();
        state_block = pd3dDev->create_state_block(D3DSBT_ALL);
        pd3dDev->capture_state_block(state_block);
        return true;
    }();
    (void)ready;
    return myengine;
}

// Rasterising seven faces takes a while: once per test program.
inline void parts_fonts()
{
    static bool ready = [] {
        init_fonts();
        return true;
    }();
    (void)ready;
}

inline void set_part_time(int ms)
{
    the_song = nullptr;
    part_start = -ms;
}

// Cues for get_cue to hand out one per call, then none: point cue_pos at
// queue_cues' result (and back at cue_table when done).
inline const cue* queue_cues(std::vector<cue>& store, std::initializer_list<unsigned char> values)
{
    store.clear();
    for (unsigned char v : values)
        store.push_back({0, 0, v});
    store.push_back({255, 255, 0});  // never due
    return store.data();
}

// The runtime generator, written out again so the tests check the effects'
// draws against an independent sequence.
struct reference_rand {
    std::uint32_t state = 1;
    int next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
};

// Level 0 of texture number n as B, G, R, A bytes.
inline const std::vector<std::uint8_t>& texels(int n)
{
    return (*myengine.textures.at(n))->level_data.at(0);
}

inline std::vector<std::uint32_t> frame_pixels()
{
    device& d = *myengine.pd3dDev;
    return d.read_surface(d.get_back_buffer());
}

// Sum of red, green and blue over a rectangle of the frame.
inline long brightness(const std::vector<std::uint32_t>& frame, int x0, int y0, int x1, int y1)
{
    long sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const std::uint32_t p = frame.at(y * test_width + x);
            sum += ((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255);
        }
    return sum;
}

}  // namespace vorlane
