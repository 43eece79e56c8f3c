// Nine tracks that animate a placement: translation x, y, z; yaw, pitch,
// roll (radians); scale x, y, z.
#pragma once

#include "engine/matrix.h"
#include "scene/track.h"

namespace vorlane {

struct anim_transform {
    track tracks[9];
    float values[9] = {};  // the values of the last evaluation, same order

    // Evaluates the nine tracks at t into values and writes the matrix:
    // rotate_ypr on the identity, rows 0-2 scaled by the scale values
    // (scaling before rotating, for row vectors), translation in row 3.
    void evaluate(float t, matrix& out);
};

}  // namespace vorlane
