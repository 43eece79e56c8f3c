// A FastTracker 2 module writer. The song generator writes the show's song
// with it, and the tests write their modules, broken ones included. The
// module is held unpacked in memory: cells as the player loads them, sample
// values plain; the writer packs the cells and delta-codes the samples.
#pragma once

#include "music/song.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vorlane::song_maker {

struct xm_pattern {
    int rows = 64;
    std::vector<cell> cells;  // rows x channels, row-major; empty: stored without data

    cell& at(int row, int channel, int channels) { return cells[row * channels + channel]; }
};

struct xm_envelope {
    std::vector<std::pair<int, int>> points;  // (tick, value 0 ... 64)
    std::uint8_t sustain = 0, loop_start = 0, loop_end = 0;  // point indices
    std::uint8_t type = 0;  // envelope_on, envelope_sustain, envelope_loop
};

// The loop bits of a sample's type byte: forward, or 2 for ping-pong.
inline constexpr std::uint8_t xm_forward_loop = 1;

struct xm_sample {
    std::string name;
    std::vector<std::int16_t> values;  // plain values; 8-bit samples use -128 ... 127
    bool sixteen_bit = false;
    std::uint32_t loop_start = 0;   // in values
    std::uint32_t loop_length = 0;  // in values
    std::uint8_t type = 0;          // loop bits; the 16-bit bit comes from sixteen_bit
    std::uint8_t volume = 64;
    std::int8_t finetune = 0;  // 1/128 semitone
    std::uint8_t pan = 128;
    std::int8_t relative_note = 0;
    std::vector<std::uint8_t> raw;  // when set: the stored bytes, written as they are
};

struct xm_instrument {
    std::string name;
    std::vector<xm_sample> samples;
    std::uint8_t keymap[96] = {};
    xm_envelope vol, pan;
    std::uint8_t vibrato_type = 0, vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
    std::uint16_t fadeout = 0;  // as stored in the file
};

struct xm_module {
    std::string name;
    int channels = 4;
    int restart = 0;
    int flags = linear_frequencies;
    int speed = 6;
    int bpm = 125;
    std::vector<std::uint8_t> orders{0};
    std::vector<xm_pattern> patterns;
    std::vector<xm_instrument> instruments;
    // When 0 or more, written in place of the true counts: a header that
    // disagrees with what follows it. Only as many patterns as both allow
    // are written.
    int song_length = -1;
    int pattern_count = -1;
};

namespace detail {

inline void put_u8(std::vector<std::uint8_t>& out, int v) { out.push_back(static_cast<std::uint8_t>(v)); }

inline void put_u16(std::vector<std::uint8_t>& out, int v)
{
    put_u8(out, v & 0xFF);
    put_u8(out, (v >> 8) & 0xFF);
}

inline void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    put_u16(out, static_cast<int>(v & 0xFFFF));
    put_u16(out, static_cast<int>(v >> 16));
}

// Fixed-width text field, zero-padded.
inline void put_text(std::vector<std::uint8_t>& out, const std::string& text, int width)
{
    for (int i = 0; i < width; ++i)
        put_u8(out, i < static_cast<int>(text.size()) ? text[i] : 0);
}

// A cell as FastTracker 2 packs it: a flag byte with bit 7 set and only the
// fields present, unless all five are present, which is shorter unpacked.
inline void put_cell(std::vector<std::uint8_t>& out, const cell& c)
{
    std::uint8_t note = c.note == note_key_off ? 97 : c.note;
    std::uint8_t fields[5] = {note, c.instrument, c.volume, c.effect, c.parameter};
    int flags = 0;
    for (int i = 0; i < 5; ++i)
        if (fields[i] != 0)
            flags |= 1 << i;
    if (flags == 0x1F) {
        for (std::uint8_t f : fields)
            put_u8(out, f);
        return;
    }
    put_u8(out, 0x80 | flags);
    for (int i = 0; i < 5; ++i)
        if (fields[i] != 0)
            put_u8(out, fields[i]);
}

inline void put_envelope_points(std::vector<std::uint8_t>& out, const xm_envelope& e)
{
    for (int i = 0; i < 12; ++i) {
        bool used = i < static_cast<int>(e.points.size());
        put_u16(out, used ? e.points[i].first : 0);
        put_u16(out, used ? e.points[i].second : 0);
    }
}

inline void put_sample_header(std::vector<std::uint8_t>& out, const xm_sample& s)
{
    std::uint32_t width = s.sixteen_bit ? 2 : 1;
    std::uint32_t length = s.raw.empty() ? static_cast<std::uint32_t>(s.values.size()) * width
                                         : static_cast<std::uint32_t>(s.raw.size());
    put_u32(out, length);
    put_u32(out, s.loop_start * width);
    put_u32(out, s.loop_length * width);
    put_u8(out, s.volume);
    put_u8(out, s.finetune);
    put_u8(out, s.type | (s.sixteen_bit ? 16 : 0));
    put_u8(out, s.pan);
    put_u8(out, s.relative_note);
    put_u8(out, 0);
    put_text(out, s.name, 22);
}

inline void put_sample_data(std::vector<std::uint8_t>& out, const xm_sample& s)
{
    if (!s.raw.empty()) {
        out.insert(out.end(), s.raw.begin(), s.raw.end());
        return;
    }
    int previous = 0;
    for (std::int16_t v : s.values) {
        int delta = v - previous;
        previous = v;
        if (s.sixteen_bit)
            put_u16(out, delta);
        else
            put_u8(out, delta);
    }
}

inline void put_instrument(std::vector<std::uint8_t>& out, const xm_instrument& ins)
{
    put_u32(out, ins.samples.empty() ? 29 : 263);  // header size
    put_text(out, ins.name, 22);
    put_u8(out, 0);
    put_u16(out, static_cast<int>(ins.samples.size()));
    if (ins.samples.empty())
        return;
    put_u32(out, 40);  // sample header size
    for (std::uint8_t k : ins.keymap)
        put_u8(out, k);
    put_envelope_points(out, ins.vol);
    put_envelope_points(out, ins.pan);
    put_u8(out, static_cast<int>(ins.vol.points.size()));
    put_u8(out, static_cast<int>(ins.pan.points.size()));
    for (const xm_envelope* e : {&ins.vol, &ins.pan}) {
        put_u8(out, e->sustain);
        put_u8(out, e->loop_start);
        put_u8(out, e->loop_end);
    }
    put_u8(out, ins.vol.type);
    put_u8(out, ins.pan.type);
    put_u8(out, ins.vibrato_type);
    put_u8(out, ins.vibrato_sweep);
    put_u8(out, ins.vibrato_depth);
    put_u8(out, ins.vibrato_rate);
    put_u16(out, ins.fadeout);
    put_text(out, "", 22);  // reserved
    for (const xm_sample& s : ins.samples)
        put_sample_header(out, s);
    for (const xm_sample& s : ins.samples)
        put_sample_data(out, s);
}

}  // namespace detail

inline std::vector<std::uint8_t> write_xm(const xm_module& m)
{
    using namespace detail;
    int song_length = m.song_length >= 0 ? m.song_length : static_cast<int>(m.orders.size());
    int pattern_count = m.pattern_count >= 0 ? m.pattern_count : static_cast<int>(m.patterns.size());
    std::vector<std::uint8_t> out;
    put_text(out, "Extended Module: ", 17);
    put_text(out, m.name, 20);
    put_u8(out, 0x1A);
    put_text(out, "make_song", 20);
    put_u16(out, 0x0104);
    put_u32(out, 20 + 256);  // header size, counted from this field
    put_u16(out, song_length);
    put_u16(out, m.restart);
    put_u16(out, m.channels);
    put_u16(out, pattern_count);
    put_u16(out, static_cast<int>(m.instruments.size()));
    put_u16(out, m.flags);
    put_u16(out, m.speed);
    put_u16(out, m.bpm);
    for (int i = 0; i < 256; ++i)
        put_u8(out, i < static_cast<int>(m.orders.size()) ? m.orders[i] : 0);

    for (int p = 0; p < pattern_count && p < static_cast<int>(m.patterns.size()); ++p) {
        std::vector<std::uint8_t> packed;
        for (const cell& c : m.patterns[p].cells)
            put_cell(packed, c);
        put_u32(out, 9);
        put_u8(out, 0);
        put_u16(out, m.patterns[p].rows);
        put_u16(out, static_cast<int>(packed.size()));
        out.insert(out.end(), packed.begin(), packed.end());
    }
    for (const xm_instrument& ins : m.instruments)
        put_instrument(out, ins);
    return out;
}

}  // namespace vorlane::song_maker
