// An inverted flash: for a moment the screen becomes a bright colour
// minus the picture, which then returns additively within 500 ms. It only
// fires from 28.5 s of part time on.
#pragma once

#include "scene/effect.h"

namespace vorlane {

class invert_flash_effect : public effect {
public:
    explicit invert_flash_effect(scene& s);
    void post_render(scene& s) override;

    int first_vertex = 0;
    int material = 0;
    float start = 0;  // ms of part time; the constructor's -1000 never shows
};

}  // namespace vorlane
