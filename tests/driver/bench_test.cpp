// The benchmark's figures from a table of frame times: per part and for
// the whole show, the slowest 1 % rounded up to whole frames.

#include "driver/bench.h"

#include <gtest/gtest.h>

#include <vector>

namespace vorlane {
namespace {

TEST(bench_figures_test, slowest_one_percent_is_the_mean_of_the_worst_frames_rounded_up)
{
    // 201 frames: 1 % is 2.01, so the 3 slowest count, wherever they are.
    std::vector<frame_record> frames(201, {1, 10});
    frames[0].wall_ms = 40;
    frames[100].wall_ms = 30;
    frames[200].wall_ms = 20;
    const part_figures f = summarise(frames, 1);
    EXPECT_EQ(f.frames, 201);
    EXPECT_DOUBLE_EQ(f.slowest_ms, (40.0 + 30.0 + 20.0) / 3);
    EXPECT_DOUBLE_EQ(f.mean_fps, 201 * 1000.0 / (198 * 10.0 + 90.0));
    // Nearest rank: the 99th percentile of 201 is the 199th time, the
    // first of the three slow ones from the bottom being the 199th.
    EXPECT_DOUBLE_EQ(f.median_ms, 10.0);
    EXPECT_DOUBLE_EQ(f.p99_ms, 20.0);
    EXPECT_DOUBLE_EQ(f.max_ms, 40.0);
    // 100 frames: the one worst alone; one frame is its own slowest 1 %.
    frames.resize(100);
    EXPECT_DOUBLE_EQ(summarise(frames, 1).slowest_ms, 40.0);
    EXPECT_DOUBLE_EQ(summarise({{3, 7}}, 3).slowest_ms, 7.0);
}

TEST(bench_figures_test, the_slowest_frames_come_slowest_first_with_their_song_times)
{
    std::vector<frame_record> frames;
    for (int i = 0; i < 8; ++i)
        frames.push_back({1 + i % 5, double((i * 3) % 8), 0, 0, false, 1000 * i, 10 * i});
    const std::vector<frame_record> five = slowest_frames(frames, 5);
    ASSERT_EQ(five.size(), 5u);
    // Wall times 0, 3, 6, 1, 4, 7, 2, 5 at song times 0 ... 7000.
    const int song_ms[5] = {5000, 2000, 7000, 4000, 1000};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(five[i].song_ms, song_ms[i]) << i;
        EXPECT_EQ(five[i].part_ms, song_ms[i] / 100) << i;
    }
    EXPECT_EQ(slowest_frames(frames, 20).size(), 8u);
}

TEST(bench_figures_test, parts_are_kept_apart_and_the_show_takes_them_all)
{
    const std::vector<frame_record> frames = {
        {1, 10, 2, 6, false}, {2, 4, 1, 1, true}, {1, 30, 4, 10, false}, {2, 4, 3, 1, true}, {5, 2, 1, 0, true},
    };
    const part_figures one = summarise(frames, 1);
    EXPECT_EQ(one.frames, 2);
    EXPECT_DOUBLE_EQ(one.mean_fps, 2 * 1000.0 / 40);
    EXPECT_DOUBLE_EQ(one.main_cpu_ms, 3.0);
    EXPECT_DOUBLE_EQ(one.other_cpu_ms, 8.0);
    EXPECT_FALSE(one.one_colour);
    EXPECT_TRUE(summarise(frames, 2).one_colour);

    const part_figures show = summarise(frames, 0);
    EXPECT_EQ(show.frames, 5);
    EXPECT_DOUBLE_EQ(show.mean_fps, 5 * 1000.0 / 50);
    EXPECT_DOUBLE_EQ(show.slowest_ms, 30.0);
    EXPECT_FALSE(show.one_colour) << "one part with pictures makes the show more than one colour";

    // A part that never ran has no figures, and is no placeholder either.
    const part_figures none = summarise(frames, 4);
    EXPECT_EQ(none.frames, 0);
    EXPECT_EQ(none.slowest_ms, 0.0);
    EXPECT_FALSE(none.one_colour);
}

TEST(bench_figures_test, a_part_starts_at_each_switch_to_it_and_only_there)
{
    // Part 1 starts twice (the show's first frame and the new round), part
    // 2 once; a slow frame inside a part is no start.
    const std::vector<frame_record> frames = {{1, 9}, {1, 50}, {2, 30}, {2, 4}, {2, 60}, {1, 12}, {1, 3}};
    EXPECT_DOUBLE_EQ(summarise(frames, 1).start_ms, 12.0);
    EXPECT_DOUBLE_EQ(summarise(frames, 2).start_ms, 30.0);
    EXPECT_DOUBLE_EQ(summarise(frames, 0).start_ms, 30.0);
    EXPECT_EQ(summarise(frames, 4).start_ms, 0.0);
}

}  // namespace
}  // namespace vorlane
