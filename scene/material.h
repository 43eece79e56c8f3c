// How a mesh looks: its colour, its blending and up to two texture layers.
#pragma once

#include "engine/matrix.h"
#include "engine/vector.h"
#include "platform/d3d_types.h"
#include "runtime/fatal.h"

namespace vorlane {

// One texture stage of a material.
struct layer {
    int texture = 0;                      // number in the engine's texture list
    unsigned char alpha_from_texture = 0; // 1: alpha from the texture, else from the diffuse colour
    int texgen = 0;                       // 1 camera-space position, 2 camera-space normal, else the vertex's u, v
    matrix tex_matrix;                    // identity; used with texgen 1 and 2
};

// How an object file's surface lays its image on the mesh: the texture
// coordinates of its vertices were made from this.
struct image_map {
    int projection = -1;  // -1 none; 0 planar, 1 cylindrical, 2 spherical, 3 cubic, 5 the vertices' own (UV)
    int axis = 2;         // 0 x, 1 y, 2 z: the plane's normal, or the cylinder's and sphere's axis
    vector centre;
    vector size{1, 1, 1, 0};
    float wrap_width = 1;   // times the image goes round a cylinder or sphere
    float wrap_height = 1;  // times it goes from pole to pole of a sphere
};

struct material {
    d3d_color_value colour = {1, 1, 1, 1};  // diffuse, ambient and specular
    int blend = -1;                         // 1 alpha blending, 2 additive, else opaque
    layer layers[2];                        // layer i on texture stage i
    int no_layers = 0;
    // Surfaces of object files: the share of the colour that diffuse and
    // ambient light reflect, and the share it glows with on its own.
    float diffuse = 1;
    float luminosity = 0;
    image_map map;

    // The next free layer. A material has room for two; asking for a third
    // is fatal rather than a write past the material.
    layer* add_layer()
    {
        if (no_layers >= 2)
            fatal("A material has only two layers");
        return &layers[no_layers++];
    }
};

}  // namespace vorlane
