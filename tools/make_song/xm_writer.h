// A small FastTracker 2 module writer for the song generator: the module
// is held unpacked in memory and written with packed pattern cells and
// delta-coded 8-bit samples.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vorlane::song_maker {

struct xm_cell {
    std::uint8_t note = 0;  // 0 none, 1 ... 96 (1 is C-0), 97 key-off
    std::uint8_t instrument = 0;
    std::uint8_t volume = 0;  // volume column byte
    std::uint8_t effect = 0;
    std::uint8_t param = 0;
};

struct xm_pattern {
    int rows = 0;
    std::vector<xm_cell> cells;  // rows x channels, row-major

    xm_cell& at(int row, int channel, int channels) { return cells[row * channels + channel]; }
};

struct xm_envelope_point {
    std::uint16_t tick = 0;
    std::uint16_t value = 0;  // 0 ... 64
};

struct xm_sample {
    std::string name;
    std::vector<std::int8_t> data;
    int loop_start = 0;   // in sample values; loop_length 0 means no loop
    int loop_length = 0;
    int volume = 64;
    int finetune = 0;     // 1/128 semitone
    int pan = 128;
    int relative_note = 0;
};

struct xm_instrument {
    std::string name;
    std::vector<xm_sample> samples;
    std::uint8_t keymap[96] = {};
    std::vector<xm_envelope_point> volume_envelope;
    int volume_sustain = -1;  // point index, -1 for none
    int vibrato_type = 0;
    int vibrato_sweep = 0;
    int vibrato_depth = 0;
    int vibrato_rate = 0;
    int fadeout = 0;          // as stored in the file
};

struct xm_module {
    std::string name;
    int channels = 0;
    int restart_position = 0;
    int speed = 6;
    int bpm = 125;
    std::vector<std::uint8_t> orders;
    std::vector<xm_pattern> patterns;
    std::vector<xm_instrument> instruments;
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
inline void put_cell(std::vector<std::uint8_t>& out, const xm_cell& c)
{
    std::uint8_t fields[5] = {c.note, c.instrument, c.volume, c.effect, c.param};
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

}  // namespace detail

inline std::vector<std::uint8_t> write_xm(const xm_module& m)
{
    using namespace detail;
    std::vector<std::uint8_t> out;
    put_text(out, "Extended Module: ", 17);
    put_text(out, m.name, 20);
    put_u8(out, 0x1A);
    put_text(out, "make_song", 20);
    put_u16(out, 0x0104);
    put_u32(out, 20 + 256);  // header size, counted from this field
    put_u16(out, static_cast<int>(m.orders.size()));
    put_u16(out, m.restart_position);
    put_u16(out, m.channels);
    put_u16(out, static_cast<int>(m.patterns.size()));
    put_u16(out, static_cast<int>(m.instruments.size()));
    put_u16(out, 1);  // linear frequency table
    put_u16(out, m.speed);
    put_u16(out, m.bpm);
    for (int i = 0; i < 256; ++i)
        put_u8(out, i < static_cast<int>(m.orders.size()) ? m.orders[i] : 0);

    for (const xm_pattern& p : m.patterns) {
        std::vector<std::uint8_t> packed;
        for (const xm_cell& c : p.cells)
            put_cell(packed, c);
        put_u32(out, 9);
        put_u8(out, 0);
        put_u16(out, p.rows);
        put_u16(out, static_cast<int>(packed.size()));
        out.insert(out.end(), packed.begin(), packed.end());
    }

    for (const xm_instrument& ins : m.instruments) {
        if (ins.samples.empty()) {
            put_u32(out, 29);
            put_text(out, ins.name, 22);
            put_u8(out, 0);
            put_u16(out, 0);
            continue;
        }
        put_u32(out, 263);
        put_text(out, ins.name, 22);
        put_u8(out, 0);
        put_u16(out, static_cast<int>(ins.samples.size()));
        put_u32(out, 40);
        for (std::uint8_t k : ins.keymap)
            put_u8(out, k);
        for (int i = 0; i < 12; ++i) {
            bool used = i < static_cast<int>(ins.volume_envelope.size());
            put_u16(out, used ? ins.volume_envelope[i].tick : 0);
            put_u16(out, used ? ins.volume_envelope[i].value : 0);
        }
        for (int i = 0; i < 24; ++i)
            put_u16(out, 0);  // no panning envelope
        int points = static_cast<int>(ins.volume_envelope.size());
        put_u8(out, points);
        put_u8(out, 0);
        put_u8(out, ins.volume_sustain < 0 ? 0 : ins.volume_sustain);
        put_u8(out, 0);
        put_u8(out, 0);
        put_u8(out, 0);
        put_u8(out, 0);
        put_u8(out, 0);
        put_u8(out, (points >= 2 ? 1 : 0) | (ins.volume_sustain >= 0 ? 2 : 0));
        put_u8(out, 0);
        put_u8(out, ins.vibrato_type);
        put_u8(out, ins.vibrato_sweep);
        put_u8(out, ins.vibrato_depth);
        put_u8(out, ins.vibrato_rate);
        put_u16(out, ins.fadeout);
        put_text(out, "", 22);  // reserved
        for (const xm_sample& s : ins.samples) {
            put_u32(out, static_cast<std::uint32_t>(s.data.size()));
            put_u32(out, static_cast<std::uint32_t>(s.loop_length ? s.loop_start : 0));
            put_u32(out, static_cast<std::uint32_t>(s.loop_length));
            put_u8(out, s.volume);
            put_u8(out, s.finetune & 0xFF);
            put_u8(out, s.loop_length ? 1 : 0);  // forward loop, 8-bit
            put_u8(out, s.pan);
            put_u8(out, s.relative_note & 0xFF);
            put_u8(out, 0);
            put_text(out, s.name, 22);
        }
        for (const xm_sample& s : ins.samples) {
            std::int8_t previous = 0;
            for (std::int8_t v : s.data) {
                put_u8(out, static_cast<std::uint8_t>(v - previous));
                previous = v;
            }
        }
    }
    return out;
}

}  // namespace vorlane::song_maker
