// The silent device: nothing is heard, but the position advances with a
// steady clock at the opened rate, so everything timed by the song runs as
// it would with sound.
#include "platform/wave_out.h"

#include <chrono>

namespace vorlane {

namespace {

class wave_out_null : public wave_out {
public:
    bool open(int r) override
    {
        rate = r;
        return r > 0;
    }

    void play_loop(const std::int16_t*, std::uint32_t) override
    {
        playing = true;
        start = std::chrono::steady_clock::now();
    }

    std::uint64_t position_bytes() override
    {
        if (!playing)
            return 0;
        auto elapsed = std::chrono::steady_clock::now() - start;
        auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count();
        // Whole frames only: the player divides by 4 anyway.
        return std::uint64_t(ns) * std::uint64_t(rate) / 1000000000u * 4;
    }

    void reset() override { playing = false; }
    void close() override { playing = false; }

    int rate = 0;
    bool playing = false;
    std::chrono::steady_clock::time_point start;
};

}  // namespace

std::unique_ptr<wave_out> make_wave_out_null()
{
    return std::make_unique<wave_out_null>();
}

}  // namespace vorlane
