// Two black cinema bars, each with a slanted tab hanging inwards (the top
// one on the left, the bottom one on the right), sliding in and out on a
// 20-second curve.
#pragma once

#include "scene/effect.h"
#include "scene/track.h"

namespace vorlane {

class letterbox_effect : public effect {
public:
    explicit letterbox_effect(scene& s);
    void post_render(scene& s) override;

    int first_vertex = 0;
    int material = 0;
    int texture = 0;
    track offset_track;  // ms of part time -> distance pushed outwards
};

}  // namespace vorlane
