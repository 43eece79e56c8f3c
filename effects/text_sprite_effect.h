// A line of text in a 1024 x 128 texture, shown as a band 18 wide and 4.5
// high in clip space (so only part of it at a time), scrolled sideways by
// one track and added to the picture in the grey level of another.
#pragma once

#include "scene/effect.h"
#include "scene/track.h"

namespace vorlane {

class font;

class text_sprite_effect : public effect {
public:
    // Tracks in ms of part time, copied (sharing the caller's keys).
    text_sprite_effect(scene& s, const char* text, const track& x_track,
                       const track& brightness_track, font& f);
    void post_render(scene& s) override;

    int first_vertex = 0;
    int material = 0;
    int texture = 0;
    track brightness_track;
    track x_track;
};

inline constexpr int text_sprite_width = 1024;
inline constexpr int text_sprite_height = 128;

}  // namespace vorlane
