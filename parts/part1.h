// The opening part: a field of random characters seen through four
// rotated, magnified layers that rush in and slide away, then one slowly
// scrolling, tilting layer under black fog, and finally the title flashing
// up with a receding echo. A "444" fades in and out over it all, between
// the letterbox bars.
#pragma once

#include "engine/matrix.h"
#include "scene/effect.h"
#include "scene/track.h"

namespace vorlane {

class device_state_block;

// The device state captured at start-up; each pass of the show starts
// from it again when part 1 is built.
extern device_state_block* state_block;

inline constexpr int label_count = 14;
// Textures made by part 1 for itself (0: the noise, 1: the title) and for
// part 2 (the word and series labels 2 to 13).
extern int label_tex[label_count];

class part1 : public effect {
public:
    explicit part1(scene& s);
    void pre_render(scene& s) override;
    void post_render(scene& s) override;

    // Times below are in frames of 50 ms (the scene runs at 20 per second).
    float last_time = 0;  // of the last zoom or scroll update
    float scroll_x = 0;   // texture scroll of the single layer
    float scroll_y = 0;
    int phase = 0;  // 0 the four-layer zoom, 1 the single scrolling layer
    track scale_track;     // magnification of the four layers
    track interval_track;  // least frames between two zoom updates
    track tilt_track;      // camera pitch (radians) of the single layer
    track speed_track;     // texture scroll per frame of the single layer
    track echo_track;      // brightness of the title echoes
    track growth_track;    // size growth per echo copy

private:
    void make_labels();
    void zoom_update(scene& s, float d);
    void scroll_update(scene& s, float d);
};

}  // namespace vorlane
