// Five darkening bars across the screen that wander up and down; each
// multiplies the picture under it by the effect's opacity.
#pragma once

#include "effects/bar.h"
#include "scene/effect.h"

namespace vorlane {

class hbars_effect : public effect {
public:
    explicit hbars_effect(scene& s);
    void post_render(scene& s) override;

    int first_vertex = 0;
    int material = 0;
    bar bars[bar_count];
};

}  // namespace vorlane
