// The fifth part, not built yet: for its length (ms of part time) the
// scene shows only its clear colour, so the timeline, the cues and the
// end of the song run as in the show.
#pragma once

#include "clock/show_clock.h"
#include "scene/effect.h"
#include "scene/scene.h"

namespace vorlane {

class part5 : public effect {
public:
    explicit part5(scene& s)
    {
        part_length = 29666;
        s.add_effect(this);
    }
};

}  // namespace vorlane
