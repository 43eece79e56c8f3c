#include "platform/wave_out_virtual.h"

#include <algorithm>

namespace vorlane {

bool wave_out_virtual::record_to(const char* path)
{
    wav.close();
    return wav.open(path, rate > 0 ? rate : 44100);
}

bool wave_out_virtual::open(int r)
{
    rate = r;
    // A file opened before the rate was known gets it in the final header.
    wav.header_rate = r;
    return r > 0;
}

void wave_out_virtual::play_loop(const std::int16_t* r, std::uint32_t bytes)
{
    ring = r;
    ring_bytes = bytes & ~3u;
    position = 0;
}

void wave_out_virtual::advance(std::uint32_t frames)
{
    if (!ring || ring_bytes == 0) {
        position += std::uint64_t(frames) * 4;
        return;
    }
    std::uint32_t ring_frames = ring_bytes / 4;
    while (frames > 0) {
        std::uint32_t at = std::uint32_t((position / 4) % ring_frames);
        std::uint32_t n = std::min(frames, ring_frames - at);
        wav.write(ring + 2 * std::size_t(at), n);
        position += std::uint64_t(n) * 4;
        frames -= n;
    }
}

void wave_out_virtual::reset()
{
    ring = nullptr;
    ring_bytes = 0;
}

void wave_out_virtual::close()
{
    reset();
    wav.close();
}

}  // namespace vorlane
