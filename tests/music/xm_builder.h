// Writes XM modules into memory for the tests: a module is described with
// plain structs (cells unpacked, sample values not delta-coded) and
// build_xm turns it into the bytes a tracker would save. load_module then
// loads them through the memory file operations.
#pragma once

#include "music/mem_file.h"
#include "music/song.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vorlane::test {

struct xm_sample {
    std::vector<std::int16_t> values;  // plain values; 8-bit samples use -128..127
    bool sixteen_bit = false;
    std::uint32_t loop_start = 0;   // in values
    std::uint32_t loop_length = 0;  // in values
    std::uint8_t type = 0;          // bit 0 forward, bit 1 ping-pong (16-bit added from sixteen_bit)
    std::uint8_t volume = 64;
    std::int8_t finetune = 0;
    std::uint8_t pan = 128;
    std::int8_t relative_note = 0;
    std::vector<std::uint8_t> raw;  // when set: the stored bytes, written as they are
};

struct xm_envelope {
    std::vector<std::pair<int, int>> points;  // (tick, value)
    std::uint8_t sustain = 0, loop_start = 0, loop_end = 0, type = 0;
};

struct xm_instrument {
    std::vector<xm_sample> samples;
    std::uint8_t keymap[96] = {};
    xm_envelope vol, pan;
    std::uint8_t vibrato_type = 0, vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
    std::uint16_t fadeout = 0;  // as stored in the file
};

struct xm_pattern {
    int rows = 64;
    std::vector<cell> cells;  // rows x channels; empty for a pattern without data
};

struct xm_module {
    int channels = 4;
    int song_length = 1;
    int restart = 0;
    int flags = 1;  // linear frequencies
    int speed = 6;
    int bpm = 125;
    std::vector<std::uint8_t> orders{0};
    std::vector<xm_pattern> patterns;
    std::vector<xm_instrument> instruments;
    int pattern_count = -1;  // written as the pattern count when >= 0, else patterns.size()
};

inline void put16(std::vector<std::uint8_t>& b, unsigned v)
{
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}

inline void put32(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}

// A pattern of rows x channels empty cells.
inline xm_pattern empty_pattern(int rows, int channels)
{
    xm_pattern p;
    p.rows = rows;
    p.cells.assign(std::size_t(rows * channels), cell{});
    return p;
}

// One instrument with one sample on every note.
inline xm_instrument single_sample_instrument(xm_sample s)
{
    xm_instrument ins;
    ins.samples.push_back(std::move(s));
    return ins;
}

// A looping 8-bit square wave of the given length.
inline xm_sample square_sample(int length = 64, std::uint8_t volume = 64)
{
    xm_sample s;
    for (int i = 0; i < length; ++i)
        s.values.push_back(i < length / 2 ? 100 : -100);
    s.loop_start = 0;
    s.loop_length = std::uint32_t(length);
    s.type = 1;
    s.volume = volume;
    return s;
}

inline std::vector<std::uint8_t> build_xm(const xm_module& m)
{
    const char* id = "Extended Module: ";
    std::vector<std::uint8_t> b(id, id + 17);
    b.resize(37, ' ');  // module name
    b.push_back(0x1a);
    b.resize(58, ' ');  // tracker name
    put16(b, 0x0104);
    put32(b, 276);
    put16(b, unsigned(m.song_length));
    put16(b, unsigned(m.restart));
    put16(b, unsigned(m.channels));
    int pattern_count = m.pattern_count >= 0 ? m.pattern_count : int(m.patterns.size());
    put16(b, unsigned(pattern_count));
    put16(b, unsigned(m.instruments.size()));
    put16(b, unsigned(m.flags));
    put16(b, unsigned(m.speed));
    put16(b, unsigned(m.bpm));
    for (int i = 0; i < 256; ++i)
        b.push_back(i < int(m.orders.size()) ? m.orders[std::size_t(i)] : 0);

    for (int p = 0; p < pattern_count && p < int(m.patterns.size()); ++p) {
        const xm_pattern& pat = m.patterns[std::size_t(p)];
        std::vector<std::uint8_t> data;
        for (cell c : pat.cells) {
            if (c.note == note_key_off)
                c.note = 97;  // as stored in the file
            std::uint8_t mask = 0x80;
            if (c.note) mask |= 1;
            if (c.instrument) mask |= 2;
            if (c.volume) mask |= 4;
            if (c.effect) mask |= 8;
            if (c.parameter) mask |= 16;
            data.push_back(mask);
            if (c.note) data.push_back(c.note);
            if (c.instrument) data.push_back(c.instrument);
            if (c.volume) data.push_back(c.volume);
            if (c.effect) data.push_back(c.effect);
            if (c.parameter) data.push_back(c.parameter);
        }
        put32(b, 9);
        b.push_back(0);
        put16(b, unsigned(pat.rows));
        put16(b, unsigned(pat.cells.empty() ? 0 : data.size()));
        if (!pat.cells.empty())
            b.insert(b.end(), data.begin(), data.end());
    }

    for (const xm_instrument& ins : m.instruments) {
        std::size_t start = b.size();
        std::uint32_t header_size = ins.samples.empty() ? 29 : 263;
        put32(b, header_size);
        b.resize(b.size() + 22, 0);  // name
        b.push_back(0);              // type
        put16(b, unsigned(ins.samples.size()));
        if (!ins.samples.empty()) {
            put32(b, 40);
            b.insert(b.end(), ins.keymap, ins.keymap + 96);
            for (const xm_envelope* e : {&ins.vol, &ins.pan})
                for (int i = 0; i < 12; ++i) {
                    bool used = i < int(e->points.size());
                    put16(b, used ? unsigned(e->points[std::size_t(i)].first) : 0);
                    put16(b, used ? unsigned(e->points[std::size_t(i)].second) : 0);
                }
            b.push_back(std::uint8_t(ins.vol.points.size()));
            b.push_back(std::uint8_t(ins.pan.points.size()));
            b.push_back(ins.vol.sustain);
            b.push_back(ins.vol.loop_start);
            b.push_back(ins.vol.loop_end);
            b.push_back(ins.pan.sustain);
            b.push_back(ins.pan.loop_start);
            b.push_back(ins.pan.loop_end);
            b.push_back(ins.vol.type);
            b.push_back(ins.pan.type);
            b.push_back(ins.vibrato_type);
            b.push_back(ins.vibrato_sweep);
            b.push_back(ins.vibrato_depth);
            b.push_back(ins.vibrato_rate);
            put16(b, ins.fadeout);
        }
        b.resize(start + header_size, 0);
        for (const xm_sample& s : ins.samples) {
            std::uint32_t width = s.sixteen_bit ? 2 : 1;
            std::uint32_t length = s.raw.empty() ? std::uint32_t(s.values.size()) * width
                                                 : std::uint32_t(s.raw.size());
            put32(b, length);
            put32(b, s.loop_start * width);
            put32(b, s.loop_length * width);
            b.push_back(s.volume);
            b.push_back(std::uint8_t(s.finetune));
            b.push_back(std::uint8_t(s.type | (s.sixteen_bit ? 16 : 0)));
            b.push_back(s.pan);
            b.push_back(std::uint8_t(s.relative_note));
            b.push_back(0);
            b.resize(b.size() + 22, 0);
        }
        for (const xm_sample& s : ins.samples) {
            if (!s.raw.empty()) {
                b.insert(b.end(), s.raw.begin(), s.raw.end());
                continue;
            }
            int previous = 0;
            for (std::int16_t v : s.values) {
                int delta = v - previous;
                previous = v;
                if (s.sixteen_bit)
                    put16(b, unsigned(delta) & 0xffff);
                else
                    b.push_back(std::uint8_t(delta));
            }
        }
    }
    return b;
}

// Loads bytes through the memory file operations (kept alive by the caller).
inline song* load_module(const std::vector<std::uint8_t>& bytes)
{
    install_mem_file_callbacks();
    mem_file_set_source(bytes.data(), std::int32_t(bytes.size()));
    return song_load("module", nullptr);
}

}  // namespace vorlane::test
