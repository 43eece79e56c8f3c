// The song is rebuilt from its generator byte for byte, embedded as it is,
// and has the shape the show's timeline rests on.
#include "data/song.h"
#include "tests/data/xm_reader.h"
#include "tools/make_song/composition.h"

#include <gtest/gtest.h>

#include <set>

namespace vorlane {
namespace {

const std::string song_path = std::string(VORLANE_SOURCE_DIR) + "/data/song.xm";

const test::xm_read& song()
{
    static const test::xm_read x = test::parse_xm(test::read_file(song_path));
    return x;
}

TEST(song_file, generator_reproduces_the_checked_in_bytes)
{
    std::vector<std::uint8_t> file = test::read_file(song_path);
    std::vector<std::uint8_t> again = song_maker::make_song();
    ASSERT_EQ(again.size(), file.size());
    EXPECT_TRUE(again == file) << "run make_song data/song.xm and check in the result";
    // A second run in the same process gives the same bytes too.
    EXPECT_TRUE(song_maker::make_song() == again);
}

TEST(song_file, embedded_bytes_are_the_file_padded_with_zeros)
{
    std::vector<std::uint8_t> file = test::read_file(song_path);
    ASSERT_EQ(song_data_length, static_cast<int>(file.size()));
    ASSERT_LE(file.size(), static_cast<std::size_t>(song_data_size));
    EXPECT_TRUE(std::equal(file.begin(), file.end(), song_data));
    for (int i = song_data_length; i < song_data_size; ++i)
        ASSERT_EQ(song_data[i], 0) << "at " << i;
}

TEST(song_file, layout_parses_to_its_last_byte)
{
    std::vector<std::uint8_t> file = test::read_file(song_path);
    ASSERT_TRUE(song().ok);
    EXPECT_EQ(song().consumed, file.size());
    EXPECT_LE(file.size(), 54767u);
    // Near the budget but well inside it, so the music can still grow.
    EXPECT_GE(file.size(), 40000u);
}

TEST(song_header, has_the_shape_of_the_timeline)
{
    const test::xm_read& x = song();
    ASSERT_TRUE(x.ok);
    EXPECT_EQ(x.id, "Extended Module: ");
    EXPECT_EQ(x.song_length, 39);
    EXPECT_EQ(x.restart, 2);
    EXPECT_EQ(x.channels, 20);
    EXPECT_EQ(x.pattern_count, 25);
    EXPECT_EQ(x.instrument_count, 8);
    EXPECT_EQ(x.flags & 1, 1) << "linear frequency table";
    EXPECT_EQ(x.speed, 6);
    EXPECT_EQ(x.bpm, 100);
    for (int rows : x.pattern_rows)
        EXPECT_EQ(rows, 32);
}

TEST(song_header, every_pattern_is_played_and_none_is_missing)
{
    const test::xm_read& x = song();
    ASSERT_TRUE(x.ok);
    std::set<int> used;
    for (int i = 0; i < x.song_length; ++i) {
        ASSERT_LT(x.orders[i], x.pattern_count) << "order " << i;
        used.insert(x.orders[i]);
    }
    EXPECT_EQ(static_cast<int>(used.size()), x.pattern_count);
    // The climax plays the drive section's first four patterns again.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(x.orders[32 + i], x.orders[12 + i]);
}

TEST(song_patterns, carry_no_effect_that_moves_time_or_position)
{
    const test::xm_read& x = song();
    ASSERT_TRUE(x.ok);
    for (int p = 0; p < x.pattern_count; ++p) {
        for (const test::xm_cell_read& c : x.patterns[p]) {
            // B position jump, D pattern break, E extended (delays, loops), F speed
            EXPECT_NE(c.effect, 0xB) << "pattern " << p;
            EXPECT_NE(c.effect, 0xD) << "pattern " << p;
            EXPECT_NE(c.effect, 0xE) << "pattern " << p;
            EXPECT_NE(c.effect, 0xF) << "pattern " << p;
            EXPECT_TRUE(c.note <= 97) << "pattern " << p;
            EXPECT_TRUE(c.instrument <= x.instrument_count) << "pattern " << p;
            EXPECT_TRUE(c.volume == 0 || (c.volume >= 0x10 && c.volume <= 0x50)) << "pattern " << p;
        }
    }
}

TEST(song_patterns, exercise_arpeggio_portamento_and_vibrato)
{
    const test::xm_read& x = song();
    ASSERT_TRUE(x.ok);
    std::set<int> effects;
    for (const auto& cells : x.patterns)
        for (const test::xm_cell_read& c : cells)
            if (c.effect != 0 || c.param != 0)
                effects.insert(c.effect);
    for (int e : {0x0, 0x1, 0x2, 0x3, 0x4})
        EXPECT_TRUE(effects.count(e)) << "effect " << e << " never used";
}

TEST(song_patterns, notes_only_name_instruments_with_samples)
{
    const test::xm_read& x = song();
    ASSERT_TRUE(x.ok);
    for (const auto& cells : x.patterns)
        for (const test::xm_cell_read& c : cells)
            if (c.instrument != 0) {
                EXPECT_GT(x.instruments[c.instrument - 1].sample_count, 0);
            }
}

TEST(song_instruments, three_are_empty_and_the_rest_are_playable)
{
    const test::xm_read& x = song();
    ASSERT_TRUE(x.ok);
    int empty = 0;
    for (const test::xm_instrument_read& ins : x.instruments) {
        if (ins.sample_count == 0) {
            ++empty;
            continue;
        }
        EXPECT_LE(ins.sample_count, 16);
        EXPECT_GE(ins.volume_points, 2);
        EXPECT_EQ(ins.volume_type & 1, 1) << "volume envelope on";
        for (int p = 1; p < ins.volume_points; ++p)
            EXPECT_GT(ins.envelope_ticks[p], ins.envelope_ticks[p - 1]);
        for (int k = 0; k < 96; ++k)
            EXPECT_LT(ins.keymap[k], ins.sample_count);
        for (const test::xm_sample_read& s : ins.samples) {
            EXPECT_GT(s.length, 0u);
            EXPECT_EQ(s.type & 0x10, 0) << "8-bit samples";
            EXPECT_LE(s.loop_start + s.loop_length, s.length);
            EXPECT_EQ((s.type & 3) != 0, s.loop_length != 0);
            EXPECT_LE(s.volume, 64);
        }
    }
    EXPECT_EQ(empty, 3);
}

TEST(song_instruments, sustained_ones_loop_hold_and_fade)
{
    const test::xm_read& x = song();
    ASSERT_TRUE(x.ok);
    int sustaining = 0;
    int with_vibrato = 0;
    std::set<int> pans;
    for (const test::xm_instrument_read& ins : x.instruments) {
        for (const test::xm_sample_read& s : ins.samples)
            pans.insert(s.pan);
        if (ins.vibrato_depth > 0 && ins.vibrato_rate > 0)
            ++with_vibrato;
        if (ins.sample_count == 0 || !(ins.volume_type & 2))
            continue;
        ++sustaining;
        EXPECT_LT(ins.volume_sustain, ins.volume_points);
        EXPECT_GT(ins.fadeout, 0);
        for (const test::xm_sample_read& s : ins.samples)
            EXPECT_GT(s.loop_length, 0u) << "a held note needs a loop";
    }
    EXPECT_GE(sustaining, 3);
    EXPECT_GE(with_vibrato, 2);
    EXPECT_GE(pans.size(), 3u);
}

}  // namespace
}  // namespace vorlane
