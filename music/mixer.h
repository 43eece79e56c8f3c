// The software mixer: resamples the 32 voices with linear interpolation and
// click-free volume ramps into a float buffer, then saturates it to 16 bits.
//
// Glossary (used the same way throughout music/):
//   sample      one value of an instrument's recording (16-bit after loading);
//               sample positions and lengths count these.
//   frame       one output instant: a left and a right value.
//   tick        the sequencer's time step, tick_samples frames long
//               (1102 frames at BPM 100 and 44100 Hz).
//   row         one line of a pattern: speed ticks.
//   order       a position in the song's order table, naming a pattern.
//   block       block_samples frames (884 at 44100 Hz, about 20 ms): the unit
//               the ring player mixes and records positions for.
//   ring        num_blocks blocks (about two seconds) that the device plays
//               in a loop while each played block is mixed anew.
//   run         frames mixed without a tick or block boundary inside.
//   pass        frames of one voice mixed without a loop boundary or the end
//               of a volume ramp inside.
//   level       a voice's per-side volume, 0..127 of a 255 full scale.
//   32.32       fixed point: 32 integer bits, 32 fraction bits.
//   song clock  milliseconds, advanced by the truncated length of each run,
//               so it runs about 4 % slow against the sound (by design: the
//               whole show is timed on it).
#pragma once

#include <cstdint>

namespace vorlane {

// Set by mixer_configure (sound_init); player-wide.
extern int mix_rate;        // frames per second
extern int block_samples;   // frames per block: ((rate * 20) / 1000 + 3) & ~3
extern int ring_samples;    // frames in the ring: 50 * block_samples * 2
extern int num_blocks;      // 100
extern float inv_rate;      // 1 / mix_rate, single precision (the clock's truncation rests on it)
extern int ramp_length;     // frames per volume ramp: rate * 128 / 44100
extern float ramp_scale;    // 1 / ramp_length

inline constexpr int buffer_ms = 1000;

void mixer_configure(int rate);

// Adds frames of voices 0..31 to destination (interleaved left, right).
void mix_voices(float* destination, int frames);

// Rounds to nearest (ties to even) and saturates; nothing for frames <= 0
// or null buffers.
void float_to_pcm16(std::int16_t* destination, const float* source, int frames);

}  // namespace vorlane
