// Shared set-up for the sequencer tests: a module built in memory, loaded,
// and stepped one tick at a time without any output device.
#pragma once

#include "music/mixer.h"
#include "music/sequencer.h"
#include "tests/music/xm_builder.h"

#include <gtest/gtest.h>

namespace vorlane::test {

class sequencer_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        mixer_configure(44100);
        clear_voices();
        module.channels = 2;
        module.speed = 6;
        module.bpm = 125;
        module.patterns.push_back(empty_pattern(64, 2));
        module.instruments.push_back(single_sample_instrument(square_sample()));
    }

    void TearDown() override
    {
        if (s)
            song_free(s);
    }

    cell& at(int row, int ch, int pattern = 0)
    {
        return module.patterns[std::size_t(pattern)].cells[std::size_t(row * module.channels + ch)];
    }

    // Builds and loads the module, and rewinds to order 0, row 0.
    void load()
    {
        bytes = build_xm(module);
        s = load_module(bytes);
        ASSERT_NE(s, nullptr);
        song_reset(s);
    }

    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i)
            song_tick(s);
    }

    xm_module module;
    std::vector<std::uint8_t> bytes;
    song* s = nullptr;
    channel& c0 = channels[0];
    voice& v0 = voices[0];
};

}  // namespace vorlane::test
