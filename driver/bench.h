// The benchmark: the whole show played offscreen and silent at a fixed 60
// frames per second of song time, as fast as the machine goes, timed frame
// by frame, with figures per part.
#pragma once

#include "driver/options.h"

#include <cstddef>
#include <vector>

namespace vorlane {

// What one frame cost, from the start of its pacing to its pixels read back.
struct frame_record {
    int part = 0;               // 1..5: the part that drew it
    double wall_ms = 0;
    double main_cpu_ms = 0;     // CPU time of the thread that runs the show
    double other_cpu_ms = 0;    // CPU time of all other threads of the process
    bool one_colour = false;    // every pixel the same
    int song_ms = 0;            // the song time the frame shows
    int part_ms = 0;            // and its time within the part
};

struct part_figures {
    int frames = 0;
    double mean_fps = 0;      // frames over the sum of their wall times
    double slowest_ms = 0;    // mean wall time of the slowest 1 % of frames (at least one)
    double median_ms = 0;     // wall times by nearest rank: the 50th and
    double p99_ms = 0;        // 99th percentiles and the slowest frame
    double max_ms = 0;
    double start_ms = 0;      // the slowest of the frames that start the part (a switch)
    double main_cpu_ms = 0;   // per frame
    double other_cpu_ms = 0;  // per frame
    bool one_colour = false;  // every frame one colour: a part not built yet
};

// The figures of one part's frames (part 1..5), or of all frames (part 0).
// All zero when there are none.
part_figures summarise(const std::vector<frame_record>& frames, int part);

// The n slowest of frames, slowest first (all of them when fewer).
std::vector<frame_record> slowest_frames(const std::vector<frame_record>& frames, std::size_t n);

// Plays the show at o's resolution, prints the table on stdout and returns
// the exit code: 0 when done.
int run_bench(const options& o);

}  // namespace vorlane
