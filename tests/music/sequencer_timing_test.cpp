// Rows, ticks, orders and tempo: where the song goes and how long a tick is.
#include "tests/music/sequencer_fixture.h"

namespace vorlane {
namespace {

using test::sequencer_test;

TEST_F(sequencer_test, tick_length_follows_the_bpm)
{
    load();
    song_set_bpm(s, 100);
    EXPECT_EQ(s->tick_samples, 1102);
    song_set_bpm(s, 125);
    EXPECT_EQ(s->tick_samples, 882);
    song_set_bpm(s, 32);
    EXPECT_EQ(s->tick_samples, 3445);
    mixer_configure(22050);
    song_set_bpm(s, 125);
    EXPECT_EQ(s->tick_samples, 441);
}

TEST_F(sequencer_test, rows_last_speed_ticks_and_patterns_follow_the_order_table)
{
    module.patterns[0] = test::empty_pattern(2, 2);
    module.patterns.push_back(test::empty_pattern(3, 2));
    module.song_length = 3;
    module.restart = 1;
    module.orders = {0, 1, 0};
    module.speed = 2;
    load();
    // (order, row) after each tick's row start, one entry per row.
    const int expected[][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1},
                               {1, 0}, {1, 1}};  // the end continues at the restart position
    for (const auto& e : expected) {
        tick();
        EXPECT_EQ(s->order, e[0]);
        EXPECT_EQ(s->row, e[1]);
        EXPECT_EQ(s->tick, 1);
        tick();
        EXPECT_EQ(s->tick, 0);
    }
}

TEST_F(sequencer_test, speed_zero_makes_every_tick_a_row_start)
{
    at(0, 0) = {0, 0, 0, 15, 0};
    load();
    tick();
    EXPECT_EQ(s->speed, 0);
    EXPECT_EQ(s->tick, 0);
    for (int r = 1; r <= 5; ++r) {
        tick();
        EXPECT_EQ(s->row, r);
    }
}

TEST_F(sequencer_test, f_sets_speed_below_32_and_tempo_from_32)
{
    at(0, 0) = {0, 0, 0, 15, 31};
    at(0, 1) = {0, 0, 0, 15, 100};
    load();
    tick();
    EXPECT_EQ(s->speed, 31);
    EXPECT_EQ(s->bpm, 100);
    EXPECT_EQ(s->tick_samples, 1102);
}

TEST_F(sequencer_test, pattern_break_decimal_rows_and_70_wraps_to_row_0)
{
    module.patterns.push_back(test::empty_pattern(64, 2));
    module.song_length = 3;
    module.orders = {0, 1, 1};
    module.speed = 1;
    at(0, 0) = {0, 0, 0, 13, 0x15};
    at(15, 0, 1) = {0, 0, 0, 13, 0x70};
    load();
    tick();
    tick();
    EXPECT_EQ(s->order, 1);
    EXPECT_EQ(s->row, 15);
    tick();
    EXPECT_EQ(s->order, 2);
    EXPECT_EQ(s->row, 0);
}

TEST_F(sequencer_test, position_jump_beyond_the_song_goes_to_order_0)
{
    module.patterns.push_back(test::empty_pattern(64, 2));
    module.song_length = 2;
    module.restart = 1;
    module.orders = {0, 1};
    module.speed = 1;
    at(0, 0) = {0, 0, 0, 11, 1};
    at(0, 0, 1) = {0, 0, 0, 11, 7};
    load();
    tick(2);
    EXPECT_EQ(s->order, 1);
    EXPECT_EQ(s->row, 0);
    tick();
    EXPECT_EQ(s->order, 0);  // not the restart position
}

TEST_F(sequencer_test, jump_then_break_in_one_row_keeps_the_jump_order)
{
    module.patterns.push_back(test::empty_pattern(64, 2));
    module.song_length = 3;
    module.orders = {0, 1, 1};
    module.speed = 1;
    at(0, 0) = {0, 0, 0, 11, 2};
    at(0, 1) = {0, 0, 0, 13, 0x05};
    load();
    tick(2);
    EXPECT_EQ(s->order, 2);
    EXPECT_EQ(s->row, 5);
}

TEST_F(sequencer_test, break_then_jump_in_one_row_takes_the_jump)
{
    module.patterns.push_back(test::empty_pattern(64, 2));
    module.song_length = 3;
    module.orders = {0, 1, 1};
    module.speed = 1;
    at(0, 0) = {0, 0, 0, 13, 0x05};
    at(0, 1) = {0, 0, 0, 11, 2};
    load();
    tick(2);
    EXPECT_EQ(s->order, 2);
    EXPECT_EQ(s->row, 0);
}

TEST_F(sequencer_test, break_to_a_row_beyond_a_short_pattern_moves_on_safely)
{
    module.patterns.push_back(test::empty_pattern(8, 2));
    module.song_length = 3;
    module.orders = {0, 1, 0};
    module.speed = 1;
    at(0, 0) = {0, 0, 0, 13, 0x40};
    load();
    tick(2);
    EXPECT_EQ(s->order, 1);
    EXPECT_EQ(s->row, 40);
    tick();
    EXPECT_EQ(s->order, 2);
    EXPECT_EQ(s->row, 0);
}

TEST_F(sequencer_test, global_volume_set_and_slide)
{
    module.speed = 4;
    at(0, 0) = {0, 0, 0, 16, 80};
    at(1, 0) = {0, 0, 0, 17, 0x03};
    at(2, 0) = {0, 0, 0, 17, 0x00};
    load();
    tick();
    EXPECT_EQ(s->global_volume, 64);  // 80 capped
    tick(4);
    EXPECT_EQ(s->global_volume, 64);  // the slide acts on ticks 1..3 only
    tick(4);
    EXPECT_EQ(s->global_volume, 55);  // 3 per tick
    tick(3);
    EXPECT_EQ(s->global_volume, 46);  // remembered parameter
}

}  // namespace
}  // namespace vorlane
