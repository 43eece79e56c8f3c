#include "scene/anim_transform.h"

namespace vorlane {

void anim_transform::evaluate(float t, matrix& out)
{
    for (int k = 0; k < 9; ++k)
        values[k] = track_value(tracks[k], t);
    out = identity_matrix;
    out.rotate_ypr(values[3], values[4], values[5]);
    out.scale_rows(values[6], values[7], values[8]);
    out(3, 0) = values[0];
    out(3, 1) = values[1];
    out(3, 2) = values[2];
}

}  // namespace vorlane
