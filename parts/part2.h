// The second part, not built yet: for its length (ms of part time) the
// scene shows only its clear colour, so the timeline, the cues and the
// end of the song run as in the show.
#pragma once

#include "clock/show_clock.h"
#include "scene/effect.h"
#include "scene/scene.h"

namespace vorlane {

class part2 : public effect {
public:
    explicit part2(scene& s)
    {
        part_length = 35000;
        // The opening part's layers stay in the kept scene; they are not
        // this part's to show.
        s.no_objects = 0;
        s.add_effect(this);
    }
};

}  // namespace vorlane
