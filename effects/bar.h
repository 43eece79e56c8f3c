// A bar of the bar effects: it glides from one random position to another
// over a random duration, then jumps to a new start and glides again.
#pragma once

#include "runtime/rand.h"

namespace vorlane {

struct bar {
    int start = 0;     // part time (ms) at which the current glide began
    int duration = 0;  // ms
    float from = 0;
    float to = 0;
    float size = 0;    // half the bar's thickness in clip space

    // The position at part time t (ms). Glides that ended by t are
    // replaced one after another, each drawing a duration and then the two
    // ends with random_position, so a late frame catches up in one call.
    template <typename random_position>
    float position(float t, random_position next_position)
    {
        while (static_cast<float>(start + duration) <= t) {
            start += duration;
            duration = rand() % 300 + 500;
            from = next_position();
            to = next_position();
        }
        // Before the first glide (a negative part time) the bar waits at
        // its start instead of dividing by a zero duration.
        if (duration == 0)
            return from;
        const float u = (t - static_cast<float>(start)) / static_cast<float>(duration);
        return (1 - u) * from + u * to;
    }
};

inline constexpr int bar_count = 5;

struct scene;

// One frame of a bar effect at part time t: each bar is the effect's quad
// squeezed to the bar's thickness along axis (0 x, 1 y) and moved to its
// position, darkening what lies under it by the material's alpha.
void draw_bars(scene& s, int material, int first_vertex, bar (&bars)[bar_count], int axis, float t,
               float (*next_position)());

}  // namespace vorlane
