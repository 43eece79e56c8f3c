// The second part: on the first part's scene, a camera flight past its
// labels, each trailing a glowing echo in front and behind, with a screen-
// space frame and leader line on the title; after 15 s a striped tunnel
// replaces the noise. Five white shard spheres come and go with the
// music's cues, under darkening bars, a glow disc and a dark shard sphere.
#pragma once

#include "scene/csf_loader.h"
#include "scene/effect.h"

namespace vorlane {

class shard_sphere_effect;

inline constexpr int shard_sphere_count = 5;

struct label_rgb {
    float r, g, b;
};
// Label n's colour (n from 1): the title white, the handle green, the
// product word red, then five dim green and five dim blue series labels.
label_rgb label_colour(int n);

class part2 : public effect {
public:
    // Builds on what part 1 left in s: its quad, label materials, objects
    // and device state.
    explicit part2(scene& s);
    void pre_render(scene& s) override;
    void post_render(scene& s) override;

    // What a cue does once beat() has become n (bytes of the cue table
    // consumed / 4): the spheres come on one by one, are toggled at random
    // in the middle of the part, and go off in reverse order at its end.
    // A beat past the last "off" names no sphere and changes nothing.
    void switch_spheres(int n);
    // Brightness of the label echoes at part time t (ms): 0.04 at a cue,
    // fading back to 0.025 within 500 ms.
    float echo_brightness(float t) const;

    float cue_time = 0;  // part time (ms) of the last cue
    csf_scene flight;    // the camera and label paths
    shard_sphere_effect* spheres[shard_sphere_count] = {};

private:
    void draw_echoes(scene& s, float t);
    void draw_title_frame(scene& s);
};

}  // namespace vorlane
