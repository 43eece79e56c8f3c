// A white flash over the whole screen that fades along a quarter cosine
// within 300 ms. The part fires it by setting start to the part time.
#pragma once

#include "scene/effect.h"

namespace vorlane {

class flash_effect : public effect {
public:
    explicit flash_effect(scene& s);
    void post_render(scene& s) override;

    int first_vertex = 0;
    int material = 0;
    float start = 0;  // ms of part time; the constructor's -1000 never shows
};

}  // namespace vorlane
