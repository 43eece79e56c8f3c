// A mesh object of a scene: its meshes and the world matrix they are
// drawn with, plus what the scene files animate it by.
#pragma once

#include "engine/matrix.h"
#include "engine/vector.h"
#include "scene/anim_transform.h"
#include "scene/mesh.h"

#include <memory>

namespace vorlane {

struct object {
    // Meshes live in their own array, so the draw list's pointers to them
    // survive the growth of the scene's object array.
    std::unique_ptr<mesh[]> meshes;
    int mesh_count = 0;
    matrix world;          // identity until set
    anim_transform anim;   // local transform of scene files
    vector pivot;          // moved to the origin before anim
    int parent = 0;        // scene loaders set -1 for "none"
    bool updated = false;  // world computed in the current frame
};

}  // namespace vorlane
