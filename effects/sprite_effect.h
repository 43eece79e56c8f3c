// A textured band twice the screen's width and half its height, moved
// about by two tracks.
#pragma once

#include "scene/effect.h"
#include "scene/track.h"

namespace vorlane {

class sprite_effect : public effect {
public:
    // The texture is one the caller made; the tracks (ms of part time) are
    // copied and share the caller's keys.
    sprite_effect(scene& s, int texture, const track& x_track, const track& y_track);
    void post_render(scene& s) override;

    int first_vertex = 0;
    int material = 0;
    int texture = 0;
    track x_track;
    track y_track;
};

}  // namespace vorlane
