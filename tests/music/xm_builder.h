// XM modules for the tests, written with the song generator's writer:
// build_xm turns a module into the bytes a tracker would save, load_module
// loads them through the memory file operations. The helpers make the usual
// small modules.
#pragma once

#include "music/mem_file.h"
#include "music/song.h"
#include "tools/make_song/xm_writer.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace vorlane::test {

using song_maker::xm_envelope;
using song_maker::xm_instrument;
using song_maker::xm_module;
using song_maker::xm_pattern;
using song_maker::xm_sample;

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
    s.type = song_maker::xm_forward_loop;
    s.volume = volume;
    return s;
}

inline std::vector<std::uint8_t> build_xm(const xm_module& m) { return song_maker::write_xm(m); }

// Loads bytes through the memory file operations (kept alive by the caller).
inline song* load_module(const std::vector<std::uint8_t>& bytes)
{
    install_mem_file_callbacks();
    mem_file_set_source(bytes.data(), std::int32_t(bytes.size()));
    return song_load("module", nullptr);
}

}  // namespace vorlane::test
