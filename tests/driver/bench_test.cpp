// The benchmark's figures from a table of frame times: per part and for
// the whole show, the slowest 1 % rounded up to whole frames.

#include "driver/bench.h"

#include <gtest/gtest.h>

#include <vector>

namespace vorlane {
namespace {

frame_record frame(int part, double wall_ms, double main_cpu_ms = 0, double other_cpu_ms = 0, bool one_colour = false)
{
    frame_record r;
    r.part = part;
    r.wall_ms = wall_ms;
    r.main_cpu_ms = main_cpu_ms;
    r.other_cpu_ms = other_cpu_ms;
    r.one_colour = one_colour;
    return r;
}

TEST(bench_figures_test, slowest_one_percent_is_the_mean_of_the_worst_frames_rounded_up)
{
    // 201 frames: 1 % is 2.01, so the 3 slowest count, wherever they are.
    std::vector<frame_record> frames;
    frames.push_back(frame(1, 40));
    for (int i = 0; i < 99; ++i)
        frames.push_back(frame(1, 10));
    frames.push_back(frame(1, 30));
    for (int i = 0; i < 99; ++i)
        frames.push_back(frame(1, 10));
    frames.push_back(frame(1, 20));
    const part_figures f = summarise(frames, 1);
    EXPECT_EQ(f.frames, 201);
    EXPECT_DOUBLE_EQ(f.slowest_ms, (40.0 + 30.0 + 20.0) / 3);
    EXPECT_DOUBLE_EQ(f.mean_fps, 201 * 1000.0 / (198 * 10.0 + 90.0));

    // Exactly 100 frames: the one worst frame alone.
    std::vector<frame_record> hundred(99, frame(2, 5));
    hundred.push_back(frame(2, 25));
    EXPECT_DOUBLE_EQ(summarise(hundred, 2).slowest_ms, 25.0);
    // A single frame is its own slowest 1 %.
    EXPECT_DOUBLE_EQ(summarise({frame(3, 7)}, 3).slowest_ms, 7.0);
}

TEST(bench_figures_test, parts_are_kept_apart_and_the_show_takes_them_all)
{
    const std::vector<frame_record> frames = {
        frame(1, 10, 2, 6),
        frame(2, 4, 1, 1, true),
        frame(1, 30, 4, 10),
        frame(2, 4, 3, 1, true),
        frame(5, 2, 1, 0, true),
    };
    const part_figures one = summarise(frames, 1);
    EXPECT_EQ(one.frames, 2);
    EXPECT_DOUBLE_EQ(one.mean_fps, 2 * 1000.0 / 40);
    EXPECT_DOUBLE_EQ(one.main_cpu_ms, 3.0);
    EXPECT_DOUBLE_EQ(one.other_cpu_ms, 8.0);
    EXPECT_DOUBLE_EQ(one.slowest_ms, 30.0);
    EXPECT_FALSE(one.one_colour);

    const part_figures two = summarise(frames, 2);
    EXPECT_EQ(two.frames, 2);
    EXPECT_DOUBLE_EQ(two.main_cpu_ms, 2.0);
    EXPECT_TRUE(two.one_colour);

    const part_figures show = summarise(frames, 0);
    EXPECT_EQ(show.frames, 5);
    EXPECT_DOUBLE_EQ(show.mean_fps, 5 * 1000.0 / 50);
    EXPECT_DOUBLE_EQ(show.slowest_ms, 30.0);
    EXPECT_DOUBLE_EQ(show.main_cpu_ms, 11.0 / 5);
    EXPECT_FALSE(show.one_colour) << "one part with pictures makes the show more than one colour";

    // A part that never ran has no figures, and is no placeholder either.
    const part_figures none = summarise(frames, 4);
    EXPECT_EQ(none.frames, 0);
    EXPECT_EQ(none.mean_fps, 0.0);
    EXPECT_EQ(none.slowest_ms, 0.0);
    EXPECT_FALSE(none.one_colour);
    EXPECT_EQ(summarise({}, 0).frames, 0);
}

}  // namespace
}  // namespace vorlane
