// The fourth part. First a cloud of glowing sprites on the surface of three
// moving metaballs, while the program's own code scrolls past and cues cut
// the camera; from 28.5 s the cloud morphs into a bright rising spiral,
// cut by a dark one, that a circling camera watches until the sprites are
// thrown out of view; words fly past, and late on a "444" slides in.
#pragma once

#include "engine/dyn_array.h"
#include "engine/matrix.h"
#include "engine/vector.h"
#include "parts/metaballs.h"
#include "scene/effect.h"
#include "scene/track.h"

namespace vorlane {

class invert_flash_effect;

// Part time (ms) at which the cloud becomes the spirals.
inline constexpr float second_half_start = 28500;
inline constexpr int spiral_sprites = 250;
inline constexpr int swirl_sprites = 100;

class part4 : public effect {
public:
    explicit part4(scene& s);
    void pre_render(scene& s) override;

    int first_half = 1;  // until the switch to the spirals
    track motion_track;  // the balls' motion parameter v
    track zoom_track;    // projection scale of the first half
    track spread_track;  // width of the spirals
    // ms. First half: the last cue 0 (the sprites swell). Second half, in
    // local time: the last cue 5 (the ring starts rising).
    float pulse_time = -10000;
    // ms of local time of the second half's last cue 3, 1 (boost_time; and
    // spin_last, when the boosted spin last advanced) and 2.
    float shake_time = 0;
    float spin_last = 0;
    float boost_time = 0;
    float zoom_pulse_time = 0;
    int glow_tex = 0;
    dyn_array<vector> blob_pos;    // first half's points
    dyn_array<vector> spiral_pos;  // bright spiral
    dyn_array<vector> swirl_pos;   // dark spiral
    dyn_array<float> blob_size;
    dyn_array<float> spiral_size;
    float field[field_points] = {};
    int sprite_count = 0;
    float spin = 0;  // radians: the second half's camera azimuth
    int camera_cursor = 0;  // next entry of camera_angles
    invert_flash_effect* flash = nullptr;

    // The steps of a frame, in the order pre_render runs them.
    void first_half_cue(scene& s, int cue, float tf);
    void draw_cloud(scene& s, float tf);
    void switch_halves();
    void second_half_cue(int cue, float u);
    // Places the circling camera in s.view and s.projection; returns the
    // spread of the bright spiral.
    float aim_camera(scene& s, float u);
    // Sprite n of the bright spiral, morph fraction k, turned by r.
    vector bright_point(int n, float u, float k, float ts, float ring, const matrix& r);
    void draw_spirals(scene& s, float u);

    // Multiplier of the sprite sizes at part time tf.
    float swell(float tf) const;
};

// One camera-facing square of the given size at (x, y, z, w), from the
// full-screen quad in vertices 0 to 3.
void draw_sprite(float x, float y, float z, float w, float size, const matrix& view);

// The view from eye towards the origin, with y up.
matrix look_at(const vector& eye);

// The first half's cloud at part time tf: its offset along x (it slides in
// from the right until 9.5 s) and its roll in radians (9.5 between 10 and
// 10.5 s). The spirals start from where both end.
float cloud_slide(float tf);
float cloud_roll(float tf);

// Takes a height down by whole steps of 85 until it is at most 40.
float wrap_height(float y);

}  // namespace vorlane
