// The letterbox bar shape: a transparent strip, a tab with a slanted edge,
// and the opaque band.
#include "data/letterbox_map.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

int at(int x, int y) { return letterbox_map[y * letterbox_width + x]; }

TEST(letterbox_map, holds_only_0_and_255)
{
    for (unsigned char v : letterbox_map)
        ASSERT_TRUE(v == 0 || v == 255);
    EXPECT_EQ(letterbox_map.size(), 32768u);
}

TEST(letterbox_map, top_rows_are_open_and_the_band_is_closed)
{
    for (int x = 0; x < letterbox_width; ++x) {
        for (int y = 0; y <= 10; ++y)
            ASSERT_EQ(at(x, y), 255) << x << "," << y;
        for (int y = 28; y < letterbox_height; ++y)
            ASSERT_EQ(at(x, y), 0) << x << "," << y;
    }
}

TEST(letterbox_map, tab_rows_switch_once_at_the_slanted_edge)
{
    const int edge[17] = {289, 290, 290, 291, 291, 292, 293, 293, 294, 294, 295, 295, 296, 297, 297, 298, 298};
    for (int y = 11; y <= 27; ++y) {
        int c = edge[y - 11];
        EXPECT_EQ(at(0, y), 0) << y;
        EXPECT_EQ(at(c - 1, y), 0) << y;
        EXPECT_EQ(at(c, y), 255) << y;
        EXPECT_EQ(at(letterbox_width - 1, y), 255) << y;
        int switches = 0;
        for (int x = 1; x < letterbox_width; ++x)
            switches += at(x, y) != at(x - 1, y);
        EXPECT_EQ(switches, 1) << y;
    }
}

}  // namespace
}  // namespace vorlane
