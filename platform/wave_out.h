// The sound output device: plays one looping ring of 16-bit stereo frames
// and reports how many bytes of it have been heard, nothing more. Three
// kinds stand behind the same interface: the sound card (SDL2 on the
// desktop, Web Audio in the browser), a silent
// device clocked by a steady clock, and a virtual device that is advanced
// by hand and writes what it plays to a WAV file (capture, rendering).
#pragma once

#include <cstdint>
#include <memory>

namespace vorlane {

enum class wave_out_kind { card, null, virtual_device };

class wave_out {
public:
    virtual ~wave_out() = default;

    // 16-bit stereo at rate frames per second. False when the device
    // cannot be opened.
    virtual bool open(int rate) = 0;

    // Plays the ring of bytes (a multiple of 4) from its start, looping
    // forever, and restarts the byte position at 0. The ring must stay
    // alive until reset() or close().
    virtual void play_loop(const std::int16_t* ring, std::uint32_t bytes) = 0;

    // Bytes played since play_loop, counting every loop (64 bits, so the
    // count never wraps in practice).
    virtual std::uint64_t position_bytes() = 0;

    // Called by the mixer after it has rewritten part of the ring, so the
    // device's reader sees the new samples (a release point for the sdl kind).
    virtual void ring_written() {}

    // Stops playing; afterwards the device no longer touches the ring.
    virtual void reset() = 0;
    virtual void close() = 0;

    // True when no audio thread is to run and the user polls instead: the
    // virtual device after each advance (nothing plays by itself), the
    // browser's sound card from the page's frame loop and audio callback
    // (a page has no threads).
    virtual bool polled_by_user() const { return false; }
};

std::unique_ptr<wave_out> wave_out_create(wave_out_kind kind);

}  // namespace vorlane
