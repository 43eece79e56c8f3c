// The sound card through SDL2: SDL's audio callback copies the looping
// ring to the device, and the position is what the callback has consumed
// minus what SDL still holds in its own buffer, so the reported position
// follows what is heard rather than what was handed over.
#include "platform/wave_out.h"

#include <SDL.h>

#include <atomic>

namespace vorlane {

namespace {

class wave_out_sdl : public wave_out {
public:
    ~wave_out_sdl() override { close(); }

    bool open(int rate) override
    {
        close();
        if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return false;
        SDL_AudioSpec want{};
        want.freq = rate;
        want.format = AUDIO_S16LSB;
        want.channels = 2;
        want.samples = 1024;
        want.callback = &wave_out_sdl::callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        // No changes allowed: the ring is mixed at exactly this format.
        device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (device == 0)
            return false;
        held_bytes = have.size;
        SDL_PauseAudioDevice(device, 0);
        return true;
    }

    void play_loop(const std::int16_t* r, std::uint32_t bytes) override
    {
        if (device == 0)
            return;
        SDL_LockAudioDevice(device);
        ring = reinterpret_cast<const std::uint8_t*>(r);
        ring_bytes = bytes & ~3u;
        cursor = 0;
        consumed.store(0, std::memory_order_relaxed);
        SDL_UnlockAudioDevice(device);
    }

    std::uint64_t position_bytes() override
    {
        // Acquire, pairing with the callback's release: the bytes the
        // position has passed are copied out, so the mixer may rewrite them.
        std::uint64_t c = consumed.load(std::memory_order_acquire);
        return c > held_bytes ? c - held_bytes : 0;
    }

    void ring_written() override { written.fetch_add(1, std::memory_order_release); }

    void reset() override
    {
        if (device == 0)
            return;
        SDL_LockAudioDevice(device);
        ring = nullptr;
        ring_bytes = 0;
        SDL_UnlockAudioDevice(device);
    }

    void close() override
    {
        if (device == 0)
            return;
        SDL_CloseAudioDevice(device);  // waits for a running callback
        device = 0;
        ring = nullptr;
        ring_bytes = 0;
    }

private:
    static void callback(void* user, Uint8* out, int len)
    {
        auto* self = static_cast<wave_out_sdl*>(user);
        // Pairs with the release in ring_written(): every block the mixer
        // rewrote before its last notice is visible here. The mixer only
        // rewrites blocks the position has passed, so the bytes copied
        // below are never the ones being written.
        self->written.load(std::memory_order_acquire);
        if (!self->ring) {
            SDL_memset(out, 0, std::size_t(len));
            return;
        }
        int done = 0;
        while (done < len) {
            std::uint32_t n = std::uint32_t(len - done);
            if (n > self->ring_bytes - self->cursor)
                n = self->ring_bytes - self->cursor;
            SDL_memcpy(out + done, self->ring + self->cursor, n);
            done += int(n);
            self->cursor += n;
            if (self->cursor == self->ring_bytes)
                self->cursor = 0;
        }
        // Release: whoever reads the new position may rewrite what was copied.
        self->consumed.fetch_add(std::uint64_t(len), std::memory_order_release);
    }

    SDL_AudioDeviceID device = 0;
    std::uint32_t held_bytes = 0;
    // Owned by the callback thread between play_loop and reset (both take
    // the device lock to change them).
    const std::uint8_t* ring = nullptr;
    std::uint32_t ring_bytes = 0;
    std::uint32_t cursor = 0;
    std::atomic<std::uint64_t> consumed{0};
    std::atomic<std::uint32_t> written{0};
};

}  // namespace

std::unique_ptr<wave_out> make_wave_out_card()
{
    return std::make_unique<wave_out_sdl>();
}

}  // namespace vorlane
