// The sound card in the browser. The page makes its audio context at the
// press that starts the show (the gesture a browser asks for) and calls
// web_audio_fill from its audio callback. The position is what that
// callback has consumed minus what the output still holds, so the clock
// follows what is heard. When the browser refuses audio the device plays
// nothing and its position follows a steady clock, as the silent device's
// does, and the page says so.

#include "platform/wave_out.h"
#include "platform/wave_out_web.h"

#include <emscripten/emscripten.h>

#include <cstdint>

namespace vorlane {

namespace {

// Frames the output holds between the callback and the ear; 0 when the
// page has no running audio context.
EM_JS(int, page_audio_open, (int rate), { return vorlane_page.audio_open(rate); });
EM_JS(void, page_audio_close, (), { vorlane_page.audio_close(); });

class wave_out_web;
wave_out_web* playing = nullptr;

class wave_out_web : public wave_out {
public:
    ~wave_out_web() override { close(); }

    bool open(int r) override
    {
        rate = r;
        held_frames = page_audio_open(r);
        return r > 0;
    }

    void play_loop(const std::int16_t* r, std::uint32_t bytes) override
    {
        ring = r;
        ring_frames = bytes / 4;
        cursor = 0;
        consumed = 0;
        start_ms = emscripten_get_now();
        playing = this;
    }

    std::uint64_t position_bytes() override
    {
        if (!ring)
            return 0;
        if (held_frames == 0)
            return std::uint64_t((emscripten_get_now() - start_ms) * rate / 1000) * 4;
        return consumed > held_frames ? (consumed - held_frames) * 4 : 0;
    }

    void reset() override
    {
        ring = nullptr;
        ring_frames = 0;
    }

    void close() override
    {
        reset();
        if (playing == this)
            playing = nullptr;
        page_audio_close();
    }

    bool polled_by_user() const override { return true; }

    void fill(float* left, float* right, int frames)
    {
        for (int i = 0; i < frames; ++i) {
            if (!ring || ring_frames == 0) {
                left[i] = right[i] = 0;
                continue;
            }
            left[i] = float(ring[2 * cursor]) / 32768.0f;
            right[i] = float(ring[2 * cursor + 1]) / 32768.0f;
            if (++cursor == ring_frames)
                cursor = 0;
        }
        if (ring)
            consumed += std::uint64_t(frames);
    }

private:
    int rate = 0;
    std::uint64_t held_frames = 0;
    const std::int16_t* ring = nullptr;
    std::uint32_t ring_frames = 0;
    std::uint32_t cursor = 0;
    std::uint64_t consumed = 0;  // frames handed to the output
    double start_ms = 0;         // the steady clock's start, without audio
};

}  // namespace

void web_audio_fill(float* left, float* right, int frames)
{
    if (playing) {
        playing->fill(left, right, frames);
        return;
    }
    for (int i = 0; i < frames; ++i)
        left[i] = right[i] = 0;
}

std::unique_ptr<wave_out> make_wave_out_card()
{
    return std::make_unique<wave_out_web>();
}

}  // namespace vorlane
