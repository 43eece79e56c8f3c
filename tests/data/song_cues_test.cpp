// Every cue of the show falls on a drum hit that starts on the cue's own
// row, read back from the written module.
#include "data/cue_table.h"
#include "tests/data/xm_reader.h"
#include "tools/make_song/composition.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace vorlane {
namespace {

const test::xm_read& song()
{
    static const test::xm_read x = test::parse_xm(test::read_file(std::string(VORLANE_SOURCE_DIR) + "/data/song.xm"));
    return x;
}

bool is_accent_channel(int channel)
{
    for (int a : song_maker::accent_channels)
        if (a == channel)
            return true;
    return false;
}

// Kit samples that start on (pattern, row) in the accent channels.
std::multiset<int> accent_samples(const test::xm_read& x, int pattern, int row)
{
    std::multiset<int> samples;
    const test::xm_instrument_read& kit = x.instruments[song_maker::drums - 1];
    for (int ch = 0; ch < x.channels; ++ch) {
        const test::xm_cell_read& c = x.cell(pattern, row, ch);
        if (is_accent_channel(ch) && c.note >= 1 && c.note <= 96 && c.instrument == song_maker::drums)
            samples.insert(kit.keymap[c.note - 1]);
    }
    return samples;
}

TEST(song_cues, every_cue_row_starts_a_drum_hit)
{
    const test::xm_read& x = song();
    ASSERT_TRUE(x.ok);
    const test::xm_instrument_read& kit = x.instruments[song_maker::drums - 1];
    for (int i = 0; i < cue_count; ++i) {
        const cue& c = cue_table[i];
        ASSERT_LT(c.order, x.song_length);
        int pattern = x.orders[c.order];
        std::multiset<int> hits = accent_samples(x, pattern, c.row);
        EXPECT_FALSE(hits.empty()) << "cue " << i << " at order " << int(c.order) << " row " << int(c.row);
        for (int s : hits) {
            EXPECT_GT(kit.samples[s].length, 0u);
            // Loud enough to be heard over the beat.
            EXPECT_GE(kit.samples[s].volume, 32);
        }
        for (int ch = 0; ch < x.channels; ++ch) {
            const test::xm_cell_read& cell = x.cell(pattern, c.row, ch);
            if (is_accent_channel(ch) && cell.note != 0) {
                EXPECT_GE(cell.volume, 0x10 + 32) << "cue " << i;
            }
        }
    }
}

TEST(song_cues, values_sound_alike_with_each_other_and_unlike_the_rest)
{
    const test::xm_read& x = song();
    ASSERT_TRUE(x.ok);
    // Rows that carry a single cue show the sound of its value.
    std::map<std::pair<int, int>, int> per_position;
    for (int i = 0; i < cue_count; ++i)
        ++per_position[{cue_table[i].order, cue_table[i].row}];
    std::map<int, std::set<std::multiset<int>>> sounds;
    for (int i = 0; i < cue_count; ++i) {
        const cue& c = cue_table[i];
        if (per_position[{c.order, c.row}] != 1)
            continue;
        std::multiset<int> hits = accent_samples(x, x.orders[c.order], c.row);
        // The climbing tom of value 4 changes its note, not its sample.
        sounds[c.value].insert(hits);
    }
    ASSERT_EQ(sounds.size(), 6u);
    std::set<std::multiset<int>> distinct;
    for (const auto& [value, set] : sounds) {
        EXPECT_EQ(set.size(), 1u) << "value " << value << " sounds in more than one way";
        distinct.insert(*set.begin());
    }
    EXPECT_EQ(distinct.size(), 6u);
    EXPECT_TRUE(sounds[3].begin()->count(song_maker::crash_sample)) << "value 3 is the crash";
}

TEST(song_cues, a_row_with_two_cues_carries_both_sounds)
{
    const test::xm_read& x = song();
    ASSERT_TRUE(x.ok);
    std::map<int, std::multiset<int>> single_sound;
    std::map<std::pair<int, int>, std::vector<int>> values_at;
    for (int i = 0; i < cue_count; ++i)
        values_at[{cue_table[i].order, cue_table[i].row}].push_back(cue_table[i].value);
    for (const auto& [pos, values] : values_at)
        if (values.size() == 1)
            single_sound[values[0]] = accent_samples(x, x.orders[pos.first], pos.second);
    int doubles = 0;
    for (const auto& [pos, values] : values_at) {
        if (values.size() != 2)
            continue;
        ++doubles;
        std::multiset<int> hits = accent_samples(x, x.orders[pos.first], pos.second);
        for (int v : values)
            for (int s : single_sound[v])
                EXPECT_TRUE(hits.count(s)) << "order " << pos.first << " row " << pos.second << " value " << v;
    }
    EXPECT_EQ(doubles, 3);
}

TEST(song_cues, accent_channels_play_only_on_cue_rows)
{
    const test::xm_read& x = song();
    ASSERT_TRUE(x.ok);
    // A pattern may be played at several order positions; its accents are
    // the cues of all of them.
    std::map<int, std::set<int>> cue_rows;
    for (int i = 0; i < cue_count; ++i)
        cue_rows[x.orders[cue_table[i].order]].insert(cue_table[i].row);
    for (int p = 0; p < x.pattern_count; ++p)
        for (int row = 0; row < x.pattern_rows[p]; ++row)
            for (int ch = 0; ch < x.channels; ++ch)
                if (is_accent_channel(ch) && x.cell(p, row, ch).note != 0) {
                    EXPECT_TRUE(cue_rows[p].count(row)) << "pattern " << p << " row " << row;
                }
}

}  // namespace
}  // namespace vorlane
