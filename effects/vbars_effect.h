// Five narrow darkening bars that wander sideways over the left part of
// the screen, their opacity following a 30-second curve.
#pragma once

#include "effects/bar.h"
#include "scene/effect.h"
#include "scene/track.h"

namespace vorlane {

class vbars_effect : public effect {
public:
    explicit vbars_effect(scene& s);
    void post_render(scene& s) override;

    int first_vertex = 0;
    int material = 0;
    bar bars[bar_count];
    track opacity_track;  // ms of part time
};

}  // namespace vorlane
