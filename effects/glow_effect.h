// A soft white disc added to the picture: it slides in from the right and
// later sinks out of view with the dark shard sphere.
#pragma once

#include "scene/effect.h"

namespace vorlane {

class glow_effect : public effect {
public:
    explicit glow_effect(scene& s);
    void post_render(scene& s) override;

    int first_vertex = 0;
    int material = 0;
    int texture = 0;
};

inline constexpr int glow_size = 256;

}  // namespace vorlane
