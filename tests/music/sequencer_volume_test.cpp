// Volume: instrument defaults, slides, retrig, tremolo, tremor, envelopes,
// key-off and fade-out, panning, and the levels the voice receives.
#include "tests/music/sequencer_fixture.h"

namespace vorlane {
namespace {

using test::sequencer_test;

constexpr std::uint8_t c4 = 49;

TEST_F(sequencer_test, full_volume_gives_level_127_split_by_pan)
{
    at(0, 0) = {c4, 1, 0, 0, 0};
    at(0, 1) = {c4, 1, 0, 8, 255};
    load();
    tick();
    EXPECT_EQ(c0.volume, 64);
    EXPECT_EQ(v0.volume, 127);
    EXPECT_EQ(v0.pan, 128);
    EXPECT_EQ(v0.left_level, 63);
    EXPECT_EQ(v0.right_level, 63);
    EXPECT_EQ(voices[1].left_level, 127);  // pan 255: all left
    EXPECT_EQ(voices[1].right_level, 0);
}

TEST_F(sequencer_test, a_channel_without_instrument_stays_silent)
{
    at(0, 0) = {c4, 0, 0, 0, 0};
    load();
    tick();
    EXPECT_EQ(v0.volume, 0);
}

TEST_F(sequencer_test, set_volume_is_capped_at_64)
{
    at(0, 0) = {c4, 1, 0, 12, 0x50};
    at(0, 1) = {c4, 1, 0, 12, 0x20};
    load();
    tick();
    EXPECT_EQ(channels[0].volume, 64);
    EXPECT_EQ(channels[1].volume, 32);
    EXPECT_EQ(voices[1].volume, 63);
}

TEST_F(sequencer_test, volume_slide_table)
{
    at(0, 0) = {c4, 1, 0x30, 10, 0x04};  // volume 32, down 4 per tick
    at(1, 0) = {0, 0, 0, 10, 0x00};      // remembered
    at(2, 0) = {0, 0, 0, 10, 0x90};      // up 9 per tick
    load();
    const int expected[] = {32, 28, 24, 20, 16, 12, 12, 8, 4, 0, 0, 0, 0, 9, 18, 27, 36, 45};
    for (int t = 0; t < 18; ++t) {
        tick();
        EXPECT_EQ(c0.volume, expected[t]) << "tick " << t;
    }
}

TEST_F(sequencer_test, volume_column_slides_and_set)
{
    at(0, 0) = {c4, 1, 0x20, 0, 0};  // 16
    at(1, 0) = {0, 0, 0x72, 0, 0};   // +2 on the row and every tick
    at(2, 0) = {0, 0, 0x95, 0, 0};   // +5 once
    at(3, 0) = {0, 0, 0x83, 0, 0};   // -3 once
    load();
    tick(6);
    EXPECT_EQ(c0.volume, 16);
    tick(6);
    EXPECT_EQ(c0.volume, 28);
    tick(6);
    EXPECT_EQ(c0.volume, 33);
    tick(6);
    EXPECT_EQ(c0.volume, 30);
}

TEST_F(sequencer_test, multi_retrig_volume_14_and_6)
{
    at(0, 0) = {c4, 1, 0x42, 27, 0xE3};  // volume 50, x 14, every 3 ticks
    at(0, 1) = {c4, 1, 0x42, 27, 0x63};  // x 6
    load();
    tick(3);
    EXPECT_EQ(channels[0].volume, 50);
    v0.position = 20;
    tick();
    EXPECT_EQ(channels[0].volume, 64);  // 75 clamped
    EXPECT_EQ(channels[1].volume, 33);
    EXPECT_EQ(v0.position, 0);  // restarted
}

TEST_F(sequencer_test, multi_retrig_volume_0_restarts_without_volume_change)
{
    at(0, 0) = {c4, 1, 0x42, 27, 0x02};
    load();
    tick(3);
    EXPECT_EQ(c0.volume, 50);
    EXPECT_TRUE(c0.update_flags & update_start);
    EXPECT_FALSE(c0.update_flags & update_volume);
}

TEST_F(sequencer_test, tremolo_offsets_and_the_last_offset_stays)
{
    at(0, 0) = {c4, 1, 0x30, 7, 0x48};  // volume 32, speed 4, depth 8
    at(1, 0) = {0, 0, 0, 0, 0};
    load();
    tick();
    // trem_pos 0, 4, 8, 12, 16 -> 8 * wave >> 6
    const int expected[] = {0, 12, 22, 29, 31};
    for (int d : expected) {
        tick();
        EXPECT_EQ(c0.volume_delta, d);
    }
    tick();
    EXPECT_EQ(c0.volume, 32 + 31);
}

TEST_F(sequencer_test, tremor_on_and_off_ticks)
{
    at(0, 0) = {c4, 1, 0, 29, 0x11};  // 2 ticks on, 2 off
    load();
    const bool silent[] = {false, false, true, true, false, false};
    for (bool off : silent) {
        tick();
        EXPECT_EQ(c0.volume_delta, off ? -64 : 0);
    }
}

TEST_F(sequencer_test, key_off_without_volume_envelope_silences_at_once)
{
    at(0, 0) = {c4, 1, 0, 0, 0};
    at(1, 0) = {note_key_off, 0, 0, 0, 0};
    load();
    tick(6);
    EXPECT_EQ(v0.volume, 127);
    tick();
    EXPECT_EQ(c0.key_off, 1);
    EXPECT_EQ(c0.vol_env_out, 0);
    EXPECT_EQ(v0.volume, 0);
}

TEST_F(sequencer_test, volume_envelope_table_and_sustain_until_key_off)
{
    auto& env = module.instruments[0].vol;
    env.points = {{0, 64}, {4, 32}, {8, 0}};
    env.type = envelope_on | envelope_sustain;
    env.sustain = 1;
    module.speed = 12;
    at(0, 0) = {c4, 1, 0, 0, 0};
    at(1, 0) = {0, 0, 0, 20, 0};  // K: key off
    load();
    const int expected[] = {64, 56, 48, 40, 32, 32, 32, 32, 32, 32, 32, 32};
    for (int out : expected) {
        tick();
        EXPECT_EQ(c0.vol_env_out, out);
    }
    const int released[] = {32, 24, 16, 8, 0, 0};
    for (int out : released) {
        tick();
        EXPECT_EQ(c0.vol_env_out, out);
    }
    EXPECT_EQ(c0.vol_env_done, 1);
}

TEST_F(sequencer_test, volume_envelope_loop)
{
    auto& env = module.instruments[0].vol;
    env.points = {{0, 0}, {2, 64}, {4, 0}};
    env.type = envelope_on | envelope_loop;
    env.loop_start = 0;
    env.loop_end = 2;
    load();
    const int expected[] = {0, 32, 64, 32, 0, 32, 64, 32, 0};
    for (int out : expected) {
        tick();
        EXPECT_EQ(c0.vol_env_out, out);
    }
    EXPECT_EQ(c0.vol_env_done, 0);
}

TEST_F(sequencer_test, set_envelope_position)
{
    auto& env = module.instruments[0].vol;
    env.points = {{0, 64}, {4, 32}, {8, 0}};
    env.type = envelope_on;
    at(0, 0) = {c4, 1, 0, 21, 6};
    at(1, 0) = {0, 0, 0, 21, 40};
    load();
    tick();
    EXPECT_EQ(c0.vol_env_out, 16);
    EXPECT_EQ(c0.vol_env_index, 2);
    EXPECT_EQ(c0.vol_env_tick, 6);
    tick(6);
    EXPECT_EQ(c0.vol_env_out, 0);
    EXPECT_EQ(c0.vol_env_done, 1);
}

TEST_F(sequencer_test, fadeout_256_reaches_0_in_256_ticks)
{
    module.instruments[0].vol.points = {{0, 64}, {10, 64}};
    module.instruments[0].vol.type = envelope_on;
    module.instruments[0].fadeout = 128;
    at(0, 0) = {c4, 1, 0, 0, 0};
    at(1, 0) = {note_key_off, 0, 0, 0, 0};
    load();
    tick(6);
    int ticks = 0;
    do {
        tick();
        ++ticks;
    } while (c0.fade_volume > 0 && ticks < 1000);
    EXPECT_EQ(ticks, 256);
    EXPECT_EQ(v0.volume, 0);
}

TEST_F(sequencer_test, panning_effects)
{
    at(0, 0) = {c4, 1, 0xC4, 0, 0};   // pan 64
    at(1, 0) = {0, 0, 0, 25, 0x20};   // slide right 2 per tick
    at(2, 0) = {0, 0, 0xD3, 8, 250};  // set 250, then -3 on row (column first)
    load();
    tick();
    EXPECT_EQ(c0.pan, 64);
    EXPECT_EQ(v0.pan, 64);
    tick(6);
    EXPECT_EQ(c0.pan, 64);
    tick(5);
    EXPECT_EQ(c0.pan, 74);
    tick();
    EXPECT_EQ(c0.pan, 250);  // the effect comes after the column
    tick(5);
    EXPECT_EQ(c0.pan, 235);
}

TEST_F(sequencer_test, panning_envelope_swings_around_the_channel_pan)
{
    auto& env = module.instruments[0].pan;
    env.points = {{0, 0}, {2, 64}};
    env.type = envelope_on;
    at(0, 0) = {c4, 1, 0, 0, 0};
    load();
    tick();
    EXPECT_EQ(v0.pan, 0);  // 128 + 4 * (0 - 32)
    tick();
    EXPECT_EQ(v0.pan, 128);
    tick();
    EXPECT_EQ(v0.pan, 255);  // 256 clamped
}

}  // namespace
}  // namespace vorlane
