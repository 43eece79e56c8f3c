// The sequencer: rows, ticks and effects. At each tick start the mixer calls
// song_tick, which moves through the order table, starts notes, runs effects,
// envelopes and auto-vibrato, and hands each channel's result to its voice.
// Time is counted in ticks; a tick lasts tick_samples output frames.
#pragma once

#include "music/song.h"
#include "music/voice.h"

#include <cstdint>

namespace vorlane {

// update_flags: what update_voice must do for a channel in this tick.
inline constexpr std::uint8_t update_frequency = 1;
inline constexpr std::uint8_t update_volume = 2;
inline constexpr std::uint8_t update_pan = 4;
inline constexpr std::uint8_t update_start = 8;
inline constexpr std::uint8_t update_stop = 32;

struct channel {
    std::uint8_t note = 0;  // last note played, 0..95
    std::uint8_t update_flags = 0;
    struct voice* voice = nullptr;
    const struct sample* sample = nullptr;  // last sample chosen
    std::int32_t channel_no = 0;
    std::int32_t period = 0;  // smaller is higher
    std::int32_t volume = 0;  // 0..64
    std::int32_t pan = 0;     // 0..255
    std::int32_t volume_delta = 0;  // tremolo or tremor, this tick
    std::int32_t period_delta = 0;  // arpeggio, vibrato and auto-vibrato, this tick
    // Envelopes: value and step are 16.16 fixed point, out is 0..64.
    std::int32_t vol_env_tick = 0, vol_env_index = 0, vol_env_value = 0;
    std::int32_t vol_env_out = 0, vol_env_step = 0;
    std::uint8_t vol_env_done = 0;
    std::int32_t pan_env_tick = 0, pan_env_index = 0, pan_env_value = 0;
    std::int32_t pan_env_out = 0, pan_env_step = 0;  // out: centre 32
    std::uint8_t pan_env_done = 0;
    std::int32_t fade_volume = 0;  // 65536 down to 0 after key-off
    std::int32_t auto_vib_pos = 0;        // 0..255
    std::int32_t auto_vib_sweep_pos = 0;  // ticks since the instrument, up to the sweep
    std::uint8_t key_off = 0;
    std::uint8_t instrument = 0;  // instrument number - 1
    std::uint8_t real_note = 0;   // note + the sample's relative note
    std::int32_t note_period = 0;
    std::uint8_t last_effect = 0;
    std::int32_t offset_memory = 0;
    std::uint8_t porta_down_memory = 0, porta_up_memory = 0;
    std::uint8_t xfine_down_memory = 0, xfine_up_memory = 0;
    std::uint8_t vol_slide_memory = 0;
    std::uint8_t pan_slide_memory = 0;
    std::uint8_t retrig_volume = 0, retrig_interval = 0;
    std::int32_t porta_target = 0;
    std::uint8_t porta_speed = 0;
    std::int8_t vib_pos = 0;  // -32..31
    std::uint8_t vib_speed = 0, vib_depth = 0;
    std::int8_t trem_pos = 0;  // -32..31
    std::uint8_t trem_speed = 0, trem_depth = 0;
    std::uint8_t tremor_count = 0, tremor_on = 0, tremor_off = 0;
};

extern channel channels[max_channels];

// The vibrato and tremolo sine, |256 sin| over phases -32..31 (peak 255).
int vibrato_wave(int phase);

// Back to the start of the song: order 0, row 0, default speed, BPM and
// global volume, every channel cleared and tied to its voice.
void song_reset(song* s);

void song_tick(song* s);
void process_row(song* s);
void process_tick(song* s);
// Frames per tick at the mixer's rate: 1102 at BPM 100 and 44100 Hz.
void song_set_bpm(song* s, int bpm);
// Period of note n (0 is C-0) with finetune f on the Amiga table; 1712 for C-4.
int amiga_period(int n, int f);
void update_voice(channel& c, const sample* smp, const song* s);

}  // namespace vorlane
