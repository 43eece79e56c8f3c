// A faint dark shard sphere that shades the picture behind it; it slides
// in from the right and later sinks out of view.
#pragma once

#include "scene/effect.h"

namespace vorlane {

class dark_shard_sphere_effect : public effect {
public:
    // index delays the motion by 500 ms per step.
    dark_shard_sphere_effect(scene& s, int index);
    void post_render(scene& s) override;

    int first_vertex = 0;
    int material = 0;
    int index = 0;
};

}  // namespace vorlane
