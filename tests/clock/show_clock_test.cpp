#include "clock/show_clock.h"
#include "music/mixer.h"
#include "tests/data/embedded_song.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

// The embedded song on the virtual device, advanced one block at a time.
class song_clock_test : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loaded.load());
        device = loaded.device;
        the_song = loaded.s;
        ASSERT_TRUE(song_play(the_song));
        cue_pos = cue_table;
        part_start = 0;
    }
    void TearDown() override
    {
        loaded.release();
        the_song = nullptr;
    }

    embedded_song loaded;
    void advance_block()
    {
        device->advance(static_cast<std::uint32_t>(block_samples));
        output_poll();
    }
    int position() { return song_get_order(the_song) * 32 + song_get_row(the_song); }

    wave_out_virtual* device = nullptr;
};

TEST_F(song_clock_test, part_time_counts_from_the_part_start)
{
    for (int i = 0; i < 100; ++i)
        advance_block();
    const int now = get_time();
    EXPECT_GT(now, 1800);
    part_start = now + 500;
    EXPECT_EQ(get_parttime(), -500);  // a part that has not begun yet
}

TEST_F(song_clock_test, cues_come_one_row_early_one_per_call_and_never_skipped)
{
    int handed_out = 0;
    int previous_order = 0;
    while (true) {
        advance_block();
        const int order = song_get_order(the_song);
        if (order < previous_order)
            break;  // the song wrapped to its restart position
        previous_order = order;
        const int pos = position();
        for (;;) {
            const cue* next = cue_pos;
            const int value = get_cue();
            if (value == -1) {
                // Not yet due: more than one row ahead.
                EXPECT_GT(next->order * 32 + next->row - 1, pos);
                break;
            }
            EXPECT_EQ(value, next->value);
            EXPECT_LE(next->order * 32 + next->row - 1, pos);
            // Each block is about 1/7 of a row, so nothing is ever overdue
            // by more than the row it was handed out early for.
            EXPECT_GE(next->order * 32 + next->row, pos);
            ++handed_out;
        }
    }
    EXPECT_EQ(handed_out, cue_count);
    EXPECT_EQ(cue_beat(), cue_count * 3 / 4);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(get_cue(), -1);  // the end record is never handed out
    EXPECT_EQ(cue_pos, cue_table + cue_count);
}

TEST_F(song_clock_test, a_caller_that_fell_behind_gets_the_overdue_cues_in_turn)
{
    while (position() < 13 * 32)
        advance_block();
    // Everything up to order 13 row 0 is due: the cues of orders 4 to 12
    // and, one row early, the one at 13:0; handed out one per call.
    int values[64] = {};
    int n = 0;
    for (int v; (v = get_cue()) != -1;)
        values[n++] = v;
    EXPECT_EQ(n, 6 + 3 + 9 + 3 + 9 + 3 + 9 + 3 + 17 + 1);
    EXPECT_EQ(values[n - 1], 1);  // 13:0 has value 1
    EXPECT_EQ(values[0], 0);
    EXPECT_EQ(values[6 + 3 + 9 + 3 + 9 + 3 + 9 + 3 + 3], 1);  // order 12 row 8
    EXPECT_EQ(cue_beat(), n * 3 / 4);
}

}  // namespace
}  // namespace vorlane
