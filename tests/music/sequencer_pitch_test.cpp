// Pitch: periods of notes, portamentos, arpeggio, vibratos and what the
// voice is told to play.
#include "tests/music/sequencer_fixture.h"

namespace vorlane {
namespace {

using test::sequencer_test;

constexpr std::uint8_t c4 = 49;  // note 48 + 1

TEST(amiga_period, c4_and_finetune)
{
    EXPECT_EQ(amiga_period(48, 0), 1712);
    EXPECT_EQ(amiga_period(60, 0), 856);
    EXPECT_GT(amiga_period(48, -64), 1712);
    EXPECT_LT(amiga_period(48, 64), 1712);
}

TEST(vibrato_wave, sine_values_peak_at_255_and_mirror)
{
    const int expected[] = {0, 25, 49, 74, 97, 120, 142, 162, 181, 197, 212, 225, 236, 244, 251, 254, 255};
    for (int q = 0; q <= 16; ++q) {
        EXPECT_EQ(vibrato_wave(q), expected[q]) << q;
        EXPECT_EQ(vibrato_wave(-q), expected[q]) << q;
    }
    EXPECT_EQ(vibrato_wave(17), expected[15]);
    EXPECT_EQ(vibrato_wave(31), expected[1]);
}

TEST_F(sequencer_test, c4_plays_at_8363_hz_on_the_linear_table)
{
    at(0, 0) = {c4, 1, 0, 0, 0};
    load();
    tick();
    EXPECT_EQ(c0.note_period, 4608);
    EXPECT_EQ(c0.period, 4608);
    EXPECT_EQ(v0.step_int, 0);
    EXPECT_EQ(v0.step_frac, std::uint32_t((std::uint64_t(8363) << 32) / 44100));
    EXPECT_EQ(v0.sample, s->instruments[0].samples[0]);
    EXPECT_EQ(v0.direction, direction_forward);
}

TEST_F(sequencer_test, relative_note_and_finetune_move_the_period)
{
    module.instruments[0].samples[0].relative_note = 12;
    module.instruments[0].samples[0].finetune = -33;
    at(0, 0) = {c4, 1, 0, 0, 0};
    load();
    tick();
    EXPECT_EQ(c0.real_note, 60);
    EXPECT_EQ(c0.note_period, 7680 - 64 * 60 + 16);  // -33 / 2 truncates to -16
}

TEST_F(sequencer_test, amiga_table_frequency)
{
    module.flags = 0;
    at(0, 0) = {c4, 1, 0, 0, 0};
    load();
    tick();
    EXPECT_EQ(c0.period, 1712);
    EXPECT_EQ(v0.step_frac, std::uint32_t((std::uint64_t(14317056 / 1712) << 32) / 44100));
}

TEST_F(sequencer_test, portamento_up_stops_at_56_and_down_has_no_limit)
{
    at(0, 0) = {c4, 1, 0, 1, 0xFF};
    at(0, 1) = {c4, 1, 0, 2, 0xFF};
    load();
    const int up[] = {4608, 3588, 2568, 1548, 528, 56};
    const int down[] = {4608, 5628, 6648, 7668, 8688, 9708};
    for (int t = 0; t < 6; ++t) {
        tick();
        EXPECT_EQ(channels[0].period, up[t]) << "tick " << t;
        EXPECT_EQ(channels[1].period, down[t]) << "tick " << t;
    }
}

TEST_F(sequencer_test, tone_portamento_slides_to_the_new_note_without_restarting)
{
    at(0, 0) = {c4, 1, 0, 0, 0};
    at(1, 0) = {c4 + 1, 0, 0, 3, 10};
    load();
    tick(6);
    v0.position = 30;  // as if the mixer had moved on
    tick();
    EXPECT_EQ(c0.period, 4608);
    EXPECT_EQ(c0.porta_target, 4544);
    EXPECT_EQ(v0.position, 30);
    const int expected[] = {4568, 4544, 4544, 4544, 4544};
    for (int period : expected) {
        tick();
        EXPECT_EQ(c0.period, period);
    }
    EXPECT_EQ(v0.position, 30);
}

TEST_F(sequencer_test, arpeggio_cycles_by_tick_and_zero_changes_nothing)
{
    at(0, 0) = {c4, 1, 0, 0, 0x37};
    at(0, 1) = {c4, 1, 0, 0, 0x00};
    load();
    tick();
    const int expected[] = {192, 448, 0, 192, 448};  // ticks 1..5: 3, 7, 0 semitones
    for (int delta : expected) {
        tick();
        EXPECT_EQ(channels[0].period_delta, delta);
        EXPECT_EQ(channels[1].period_delta, 0);
        // Auto-vibrato asks for a frequency update on every channel every tick.
        EXPECT_TRUE(channels[1].update_flags & update_frequency);
    }
}

TEST_F(sequencer_test, vibrato_table)
{
    at(0, 0) = {c4, 1, 0, 4, 0x48};  // speed 4, depth 8
    load();
    tick();
    EXPECT_EQ(c0.period_delta, 0);
    // Phase before each tick: 0, 4, 8, 12, 16 -> wave 0, 97, 181, 236, 255.
    const int expected[] = {0, -24, -44, -56, -60};
    for (int delta : expected) {
        tick();
        EXPECT_EQ(c0.period_delta, delta);
    }
    EXPECT_EQ(c0.vib_pos, 20);
}

TEST_F(sequencer_test, volume_column_vibrato_and_tone_portamento)
{
    at(0, 0) = {c4, 1, 0xA4, 0, 0};  // vibrato speed 4
    at(1, 0) = {0, 0, 0xB8, 0, 0};   // depth 8, on ticks
    at(2, 0) = {c4 + 12, 0, 0xF1, 0, 0};
    load();
    tick(6);
    EXPECT_EQ(c0.vib_speed, 4);
    tick(3);
    EXPECT_EQ(c0.vib_depth, 8);
    EXPECT_EQ(c0.period_delta, -24);
    tick(4);
    // The volume column's portamento does not make a portamento row: the
    // period jumps at once, only the restart is suppressed.
    EXPECT_EQ(c0.period, 7680 - 64 * 60);
    EXPECT_EQ(c0.porta_speed, 16);
    EXPECT_FALSE(c0.update_flags & update_start);
}

TEST_F(sequencer_test, extra_fine_portamento_on_the_row_only)
{
    at(0, 0) = {c4, 1, 0, 33, 0x13};
    at(1, 0) = {0, 0, 0, 33, 0x10};
    at(2, 0) = {0, 0, 0, 33, 0x22};
    load();
    tick();
    EXPECT_EQ(c0.period, 4605);
    tick(6);
    EXPECT_EQ(c0.period, 4602);  // remembered
    tick(6);
    EXPECT_EQ(c0.period, 4604);
}

TEST_F(sequencer_test, auto_vibrato_square_with_sweep)
{
    module.instruments[0].vibrato_type = 1;
    module.instruments[0].vibrato_depth = 8;
    module.instruments[0].vibrato_sweep = 2;
    module.instruments[0].vibrato_rate = 100;
    at(0, 0) = {c4, 1, 0, 0, 0};
    load();
    // m = 8 * 64 scaled by sweep position 0, 1, 2 of 2; phase 0, 100, 200, 44.
    const int expected[] = {0, 4, -8, 8};
    for (int delta : expected) {
        tick();
        EXPECT_EQ(c0.period_delta, delta);
    }
}

TEST_F(sequencer_test, sample_offset_starts_inside_and_stops_beyond_the_loop_end)
{
    module.instruments[0].samples[0] = test::square_sample(1024);
    at(0, 0) = {c4, 1, 0, 9, 2};
    at(1, 0) = {c4, 1, 0, 9, 4};
    load();
    tick();
    EXPECT_EQ(v0.position, 512);
    EXPECT_NE(v0.sample, nullptr);
    tick(6);
    EXPECT_EQ(v0.sample, nullptr);
    EXPECT_EQ(v0.position, 0);
}

}  // namespace
}  // namespace vorlane
