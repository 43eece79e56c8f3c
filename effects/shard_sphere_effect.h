// A sphere of glittering shards, one of a row of five whose motion runs
// half a second apart. Invisible until its part switches it on.
#pragma once

#include "scene/effect.h"

namespace vorlane {

class shard_sphere_effect : public effect {
public:
    // index 0 to 4: its place in the row (x = 8 - 4 index) and its delay
    // (500 ms per step).
    shard_sphere_effect(scene& s, int index);
    void post_render(scene& s) override;

    int first_vertex = 0;
    int material = 0;
    int index = 0;
    unsigned char enabled = 0;
};

}  // namespace vorlane
