// The embedded song through our own player: it loads from the program's
// bytes, keeps the show's timeline and never reaches the 16-bit ceiling.
#include "music/mixer.h"
#include "tests/data/embedded_song.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace vorlane {
namespace {

class song_playback_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loaded.load());
        s = loaded.s;
        device = loaded.device;
    }
    void TearDown() override { loaded.release(); }

    embedded_song loaded;
    song* s = nullptr;
    wave_out_virtual* device = nullptr;
};

TEST_F(song_playback_test, loads_from_the_embedded_bytes)
{
    EXPECT_EQ(s->song_length, 39);
    EXPECT_EQ(s->restart_pos, 2);
    EXPECT_EQ(s->num_channels, 20);
    EXPECT_EQ(s->num_patterns, 25);
    EXPECT_EQ(s->num_instruments, 8);
    EXPECT_EQ(s->format_flags & linear_frequencies, linear_frequencies);
    EXPECT_EQ(s->default_speed, 6);
    EXPECT_EQ(s->default_bpm, 100);
    int empty = 0;
    for (int i = 0; i < s->num_instruments; ++i)
        empty += s->instruments[i].num_samples == 0;
    EXPECT_EQ(empty, 3);
}

TEST_F(song_playback_test, plays_every_order_in_turn_then_wraps_to_the_restart)
{
    ASSERT_TRUE(song_play(s));
    const int ring_frames = ring_samples;
    int last_order = 0;
    int blocks = 0;
    int saturated = 0;
    int loudest = 0;
    int wrap_time = -1;
    // 39 patterns of 32 rows of 6 ticks of 1102 frames: 8251776 frames.
    const int song_blocks = 39 * 32 * 6 * 1102 / block_samples;
    while (blocks < song_blocks + 100) {
        // The block about to be heard, as the device will play it.
        const std::int16_t* ring = device->ring;
        int first = static_cast<int>(device->frames_played() % ring_frames);
        for (int i = 0; i < 2 * block_samples; ++i) {
            std::int16_t v = ring[2 * first + i];
            saturated += v == 32767 || v == -32768;
            loudest = std::max(loudest, std::abs(int(v)));
        }
        device->advance(static_cast<std::uint32_t>(block_samples));
        output_poll();
        ++blocks;
        int order = song_get_order(s);
        if (order != last_order) {
            if (order == 2 && last_order == 38) {
                wrap_time = song_get_time(s);
                break;
            }
            ASSERT_EQ(order, last_order + 1) << "after block " << blocks;
            last_order = order;
        }
    }
    EXPECT_EQ(last_order, 38);
    // The wrap comes within a block of the song's length in sound.
    EXPECT_NEAR(blocks, song_blocks, 1);
    // The show ends there: the five parts end at 167426 ms of the song
    // clock and the first part runs again from 5500 ms later; the wrap must
    // fall inside that second run of the first part (19500 ms long).
    EXPECT_GT(wrap_time, 167426 + 5500);
    EXPECT_LT(wrap_time, 167426 + 5500 + 19500);
    EXPECT_EQ(saturated, 0);
    // Loud all the same: within 6 dB of the ceiling.
    EXPECT_GT(loudest, 16384);
}

}  // namespace
}  // namespace vorlane
