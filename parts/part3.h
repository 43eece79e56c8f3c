// The third part: a spinning, breathing cylinder of white lines drawn into
// a pair of render-target textures, each frame blurred and darkened from
// the last, so that it leaves trails. The trail image is subtracted from a
// blue screen; letters are added to it one at a time, music cues reverse
// the spin, pulse the cylinder and pop up small copies of it, and at the
// end breathing bars and a black panel push the picture out.
#pragma once

#include "engine/matrix.h"
#include "scene/effect.h"
#include "scene/track.h"

namespace vorlane {

class device;
class device_surface;
class device_texture;
class flash_effect;

// Position in the spelled-out text; it carries on where the last run of
// the part stopped.
extern int letter_cursor;

class part3 : public effect {
public:
    explicit part3(scene& s);
    // The render targets are the part's own; the device frees them.
    ~part3() override;
    void pre_render(scene& s) override;

    device_surface* saved_target = nullptr;  // the screen
    device_surface* saved_depth = nullptr;
    device_texture* feedback_tex[2] = {};  // 512 x 512 render targets
    device_surface* feedback_surf[2] = {};
    track zoom_track;  // camera distance and projection scale, by part time (ms)
    int front = 1;     // feedback texture holding the last finished image
    int back = 0;      // the one drawn into this frame
    int black_tex = 0;
    unsigned char* letter_bitmap = nullptr;  // picture 0, 128 x 128, one byte per pixel
    int letter_tex = 0;  // one texture, refilled for every letter
    flash_effect* flash = nullptr;
    // Times in ms of part time.
    int spin_base = 0;  // spin time accumulated up to the last reversal
    int spin_time = 0;  // when the spin last reversed
    int spin_dir = 1;
    int pulse_x_start = 0;
    int pulse_y_start = 0;
    int arrows_start = -10000;  // the four small cylinders
    int next_letter_time = 65;

    // Acts on a cue value at part time t.
    void take_cue(int value, int t);
    // Radians.
    float spin_angle(int t) const;
    // Averages four shifted copies of the front image into the current
    // render target.
    void blur(scene& s);

private:
    void draw_screen_layer(scene& s, int t);
    void draw_trail_layer(scene& s, int t);
    void draw_cylinder(scene& s, int t);
    void add_letter();
    void draw_small_cylinders(int t);
};

// The extra camera distance that holds the cylinder out of sight for the
// first half second: exactly 1 at 500 ms, negligible from about 700 ms.
float camera_step(float tf);

// A size x size render-target texture, or the fatal "Unable to create
// texture".
device_texture* create_target_texture(device& d, int size);

}  // namespace vorlane
