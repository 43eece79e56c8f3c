// Plays a loaded scene animation: each frame it places the camera, sets
// the field of view, moves the objects the load created (parents first)
// and carries every light of the scene along its animated path.
#pragma once

#include "scene/effect.h"

namespace vorlane {

struct scene;

class scene_anim_effect : public effect {
public:
    void pre_render(scene& s) override;

    // The objects the load created: first_object ... end_object - 1.
    int first_object = 0;
    int end_object = 0;
};

}  // namespace vorlane
