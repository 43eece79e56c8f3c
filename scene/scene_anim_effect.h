// Plays a loaded scene animation: each frame it moves the objects the load
// created (parents first), places the camera, sets the field of view and
// carries every light of the scene along its animated path; the camera
// and the lights hang from their parent objects.
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
