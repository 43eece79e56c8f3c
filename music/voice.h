// The voices: where the sequencer leaves each channel's sample, levels and
// pitch, and where the mixer keeps its resampling position and volume ramp.
// Voice i belongs to channel i; only the first 32 are ever mixed.
#pragma once

#include "music/song.h"

#include <cstdint>

namespace vorlane {

inline constexpr int direction_forward = 1;
inline constexpr int direction_backward = 2;  // ping-pong loops only

struct voice {
    std::int32_t voice_no = 0;
    std::int32_t volume = 0;           // 0..127
    std::int32_t pan = 0;              // 0..255, 255 all left
    std::uint32_t start_offset = 0;    // position of the next start, consumed by it
    const struct sample* sample = nullptr;  // null: silent, skipped by the mixer
    std::uint8_t left_level = 0;       // volume * pan / 255, the ramp target
    std::uint8_t right_level = 0;      // volume * (255 - pan) / 255
    // Position and step are 32.32 fixed point in sample values.
    std::int32_t position = 0;
    std::uint32_t position_frac = 0;
    std::uint32_t step_frac = 0;
    std::int32_t step_int = 0;
    std::int32_t direction = 0;
    // Volume ramp: levels on the 0..255 scale, steps per frame in units of 1/255.
    std::uint8_t ramp_target_left = 0, ramp_target_right = 0;
    std::uint8_t ramp_left = 0, ramp_right = 0;
    float ramp_step_left = 0, ramp_step_right = 0;
    std::int32_t ramp_remaining = 0;  // frames
};

inline constexpr int num_voices = 256;
inline constexpr int mixed_voices = 32;

extern voice voices[num_voices];

// Clears every voice and numbers it.
void clear_voices();

}  // namespace vorlane
