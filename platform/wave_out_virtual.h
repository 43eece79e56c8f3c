// The virtual output device: time moves only when its user advances it,
// and every frame it plays is appended to a WAV file when one is set.
// Capture and offline rendering use it to get sound that is exact to the
// sample and independent of the speed of the machine.
#pragma once

#include "platform/wave_out.h"
#include "platform/wave_out_wav.h"

namespace vorlane {

class wave_out_virtual : public wave_out {
public:
    // Everything played from now on goes to path (44100 Hz or whatever the
    // device is opened at). False when the file cannot be created.
    bool record_to(const char* path);

    // Plays the next frames of the ring: they are written to the WAV file
    // and the position moves on by 4 bytes per frame.
    void advance(std::uint32_t frames);

    // Frames played so far (the position in frames).
    std::uint64_t frames_played() const { return position / 4; }

    bool open(int rate) override;
    void play_loop(const std::int16_t* ring, std::uint32_t bytes) override;
    std::uint64_t position_bytes() override { return position; }
    void reset() override;
    void close() override;
    bool polled_by_user() const override { return true; }

    int rate = 0;
    const std::int16_t* ring = nullptr;
    std::uint32_t ring_bytes = 0;
    std::uint64_t position = 0;  // bytes
    wav_writer wav;
};

}  // namespace vorlane
