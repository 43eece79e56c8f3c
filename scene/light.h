// A light of a scene; light i of the scene is device light i.
#pragma once

#include "engine/vector.h"
#include "platform/d3d_types.h"
#include "scene/anim_transform.h"

namespace vorlane {

struct light {
    int type = 0;              // 1 point, 2 spot, 3 directional
    vector position;           // x, y, z used
    vector direction;          // x, y, z used
    d3d_color_value colour;    // diffuse and ambient
    // The share of colour given as ambient light. A scene file's lights
    // light only what faces them: the scene's ambient is its own.
    float ambient_share = 1;
    float range = 0;
    float attenuation[3] = {}; // constant, linear, quadratic
    // Scene files describe spot cones with these (degrees); a cone angle
    // gives the device spot its cone.
    float falloff = 0;
    float cone_angle = 0;
    float edge_angle = 0;
    anim_transform anim;
    int parent = -1;           // the object it hangs from, -1 for none
};

}  // namespace vorlane
