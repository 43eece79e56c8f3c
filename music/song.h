// The loaded XM song: header values and order table, patterns unpacked to
// five-byte cells, instruments with keymap and envelopes, and samples as
// signed 16-bit PCM with one guard value behind the loop for interpolation.
// The same record carries the sequencer's playback position.
#pragma once

#include "music/song_file.h"

#include <cstdint>

namespace vorlane {

struct cell {
    std::uint8_t note = 0;        // 0 none, 1..96 (1 is C-0), 255 key-off
    std::uint8_t instrument = 0;  // 0 none, 1..128
    std::uint8_t volume = 0;      // volume-column byte
    std::uint8_t effect = 0;      // 0..35, XM lettering (10 is A)
    std::uint8_t parameter = 0;
};
static_assert(sizeof(cell) == 5);

inline constexpr std::uint8_t note_key_off = 255;

struct pattern {
    std::int32_t rows = 0;
    cell* cells = nullptr;  // rows x num_channels, row-major
};

inline constexpr std::uint8_t loop_none = 1;
inline constexpr std::uint8_t loop_forward = 2;
inline constexpr std::uint8_t loop_pingpong = 4;

struct sample {
    // length + 8 values: the 8 behind the sample hold the guard value and zeros.
    std::int16_t* pcm = nullptr;
    std::uint32_t length = 0;       // in sample values
    std::uint32_t loop_start = 0;   // in sample values
    std::uint32_t loop_length = 0;  // equals length for a sample without loop
    std::uint8_t volume = 0;        // 0..64
    std::int8_t finetune = 0;       // 1/128 semitone
    std::int32_t pan = 0;           // 0..255
    std::uint8_t bit_depth = 0;     // 16 once loaded
    std::uint8_t loop_mode = 0;     // loop_none, loop_forward or loop_pingpong
    std::int8_t relative_note = 0;  // semitones

    std::uint32_t loop_end() const { return loop_start + loop_length; }
};

struct envelope_point {
    std::uint16_t x = 0;  // tick
    std::uint16_t y = 0;  // 0..64 (panning: centre 32)
};

inline constexpr int max_envelope_points = 12;
inline constexpr std::uint8_t envelope_on = 1;
inline constexpr std::uint8_t envelope_sustain = 2;
inline constexpr std::uint8_t envelope_loop = 4;

struct instrument {
    std::int32_t num_samples = 0;  // 0..16
    sample* samples[16] = {};      // slots from num_samples on hold the empty sample
    std::uint8_t keymap[96] = {};  // sample slot per note
    envelope_point vol_env[max_envelope_points];
    envelope_point pan_env[max_envelope_points];
    std::uint8_t vol_points = 0, pan_points = 0;
    std::uint8_t vol_sustain = 0, vol_loop_start = 0, vol_loop_end = 0;
    std::uint8_t pan_sustain = 0, pan_loop_start = 0, pan_loop_end = 0;
    std::uint8_t vol_type = 0, pan_type = 0;  // envelope_on | envelope_sustain | envelope_loop
    std::uint8_t vibrato_type = 0, vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
    std::uint16_t fadeout = 0;  // per tick after key-off; twice the file's value
};

struct song;
using tick_handler_op = void (*)(song* s);
// Supplies sample data instead of the file: fills buffer with bytes of
// plain (not delta-coded) sample values; instrument and sample count from 0.
using sample_hook_op = void (*)(void* buffer, int bytes, int bits, int instrument, int sample);

struct song {
    pattern* patterns = nullptr;
    instrument* instruments = nullptr;
    std::int32_t tick_samples_left = 0;  // frames still to mix in the current tick
    std::int32_t tick_samples = 0;       // frames per tick
    std::int16_t song_length = 0;        // order entries in use
    std::int16_t restart_pos = 0;        // order position after the last one
    std::int16_t num_channels = 0;
    std::int32_t num_patterns_used = 0;  // 1 + largest pattern number in the order table
    std::int32_t num_patterns = 0;       // allocated: max(file's count, num_patterns_used)
    std::int16_t num_instruments = 0;
    std::int16_t format_flags = 0;  // bit 0: linear frequency table, else Amiga periods
    std::int16_t default_speed = 0;
    std::int16_t default_bpm = 0;
    std::uint8_t orders[256] = {};
    std::uint8_t default_global_volume = 0;

    // Playback state, owned by whichever thread mixes.
    std::int32_t global_volume = 0;  // 0..64
    std::uint8_t global_volume_slide = 0;
    std::int32_t tick = 0;  // within the row
    std::int32_t speed = 0;  // ticks per row
    std::int32_t bpm = 0;
    std::int32_t row = 0;
    std::int32_t order = 0;
    std::int32_t next_row = 0;    // -1 for none
    std::int32_t next_order = 0;  // -1 for none
    std::int32_t time_ms = 0;     // the song clock
    tick_handler_op tick_handler = nullptr;
    sample_hook_op sample_hook = nullptr;
};

inline constexpr std::int16_t linear_frequencies = 1;

// Largest module the player accepts: the channel and voice tables have 32
// entries in use, cells name instruments 1..128, rows are 8-bit positions.
inline constexpr int max_channels = 32;
inline constexpr int max_instruments = 128;
inline constexpr int max_patterns = 256;
inline constexpr int max_rows = 256;

// Shared by the whole player: zero records that stand for "no instrument"
// and "no sample".
extern instrument empty_instrument;
extern sample empty_sample;

// Loads a module through the installed file operations; null when it does
// not open, is no XM module or is malformed or truncated in any way.
song* song_load(const char* name, sample_hook_op sample_hook);
// Fills a zeroed song from an open file; false on any fault.
bool load_xm(song* s, song_file* file);
// Stops the player (whatever song it plays) and releases the song.
// False for null.
bool song_free(song* s);

}  // namespace vorlane
