// One draw call of a scene: a range of the scene's shared index buffer
// drawn with one material and the world matrix of one object.
#pragma once

#include "engine/vector.h"

namespace vorlane {

struct mesh {
    // The arguments of the indexed triangle-list draw.
    int min_index = 0;
    int num_vertices = 0;
    int start_index = 0;
    int prim_count = 0;

    int material = 0;       // index into the scene's materials
    vector bbox[8];         // bounding-box corners in object space
    vector view_bbox[8];    // the corners as the depth sort transformed them
    float depth = 0;        // sort key: largest transformed z
    int object = 0;         // index into the scene's objects (its world matrix)
    bool visible = true;
};

}  // namespace vorlane
