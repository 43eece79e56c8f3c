// The cue table: its length, order, end record and the positions that
// carry two cues.
#include "data/cue_table.h"

#include <gtest/gtest.h>

#include <map>

namespace vorlane {
namespace {

int position(const cue& c) { return c.order * 32 + c.row; }

TEST(cue_table, has_235_cues_then_the_end_record)
{
    for (int i = 0; i < cue_count; ++i)
        ASSERT_NE(cue_table[i].order, 255) << "early end at " << i;
    EXPECT_EQ(cue_table[cue_count].order, 255);
    EXPECT_EQ(cue_table[cue_count].row, 255);
    EXPECT_EQ(cue_table[cue_count].value, 0);
    // Three-byte records: the logged beat number is the byte distance / 4.
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(&cue_table[8]) -
                  reinterpret_cast<const unsigned char*>(&cue_table[0]), 24);
}

TEST(cue_table, is_sorted_by_song_position_and_stays_inside_the_song)
{
    for (int i = 0; i < cue_count; ++i) {
        const cue& c = cue_table[i];
        EXPECT_LT(c.row, 32) << i;
        EXPECT_LT(c.order, 39) << i;
        EXPECT_LE(c.value, 5) << i;
        if (i > 0) {
            EXPECT_LE(position(cue_table[i - 1]), position(c)) << i;
        }
    }
    EXPECT_EQ(cue_table[0].order, 4);
    EXPECT_EQ(cue_table[0].row, 16);
    EXPECT_EQ(cue_table[cue_count - 1].order, 37);
    EXPECT_EQ(cue_table[cue_count - 1].row, 27);
    // The end record lies beyond every position the song can reach.
    EXPECT_GT(position(cue_table[cue_count]), 38 * 32 + 31);
}

TEST(cue_table, three_positions_carry_two_cues_in_their_order)
{
    std::vector<std::pair<int, int>> doubles;  // index of the first, position
    for (int i = 1; i < cue_count; ++i)
        if (position(cue_table[i]) == position(cue_table[i - 1]))
            doubles.push_back({i - 1, position(cue_table[i])});
    ASSERT_EQ(doubles.size(), 3u);
    struct expected { int order, row, first, second; };
    const expected want[3] = {{26, 7, 2, 5}, {27, 7, 2, 5}, {27, 23, 5, 4}};
    for (int k = 0; k < 3; ++k) {
        const cue& a = cue_table[doubles[k].first];
        const cue& b = cue_table[doubles[k].first + 1];
        EXPECT_EQ(a.order, want[k].order);
        EXPECT_EQ(a.row, want[k].row);
        EXPECT_EQ(a.value, want[k].first);
        EXPECT_EQ(b.value, want[k].second);
    }
}

TEST(cue_table, cues_per_order_position)
{
    std::map<int, int> count;
    for (int i = 0; i < cue_count; ++i)
        ++count[cue_table[i].order];
    const std::map<int, int> want = {
        {4, 6},   {5, 3},   {6, 9},   {7, 3},   {8, 9},   {9, 3},   {10, 9},  {11, 3},  {12, 17},
        {13, 12}, {14, 17}, {15, 12}, {20, 6},  {21, 9},  {22, 8},  {23, 8},  {24, 7},  {25, 10},
        {26, 10}, {27, 15}, {32, 17}, {33, 12}, {34, 17}, {35, 12}, {37, 1},
    };
    EXPECT_EQ(count, want);
}

TEST(cue_table, the_climax_repeats_the_cues_of_the_drive)
{
    std::map<int, std::vector<std::pair<int, int>>> rows;
    for (int i = 0; i < cue_count; ++i)
        rows[cue_table[i].order].push_back({cue_table[i].row, cue_table[i].value});
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(rows[12 + k], rows[32 + k]) << "order " << 32 + k;
    EXPECT_EQ(rows[12], rows[14]);
    EXPECT_EQ(rows[13], rows[15]);
    for (int k : {6, 8, 10})
        EXPECT_EQ(rows[k], rows[6]);
    for (int k : {5, 7, 9, 11})
        EXPECT_EQ(rows[k], rows[5]);
}

}  // namespace
}  // namespace vorlane
