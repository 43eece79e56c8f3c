// What the effect classes share: the full-screen quad, their material
// entry, the two pictures their textures are made from, and the camera
// that slides the glow and the dark shards in and out of view.
#pragma once

#include "engine/matrix.h"

namespace vorlane {

struct scene;

// Texture coordinates of the quad's four vertices. plain writes none.
enum class quad_uv { plain, band, flipped, upright };

// Appends the quad (1, -1, 1), (-1, -1, 1), (1, 1, 1), (-1, 1, 1) to the
// scene's vertex buffer: as a triangle strip, the whole screen under
// identity view and projection. Returns its first vertex.
int append_quad(scene& s, quad_uv uv);
void draw_quad(int first_vertex);

inline constexpr int no_texture = -1;

// Takes the scene's next material entry with colour (grey, grey, grey,
// alpha) and blend mode; with a texture, one layer on the vertices' own
// coordinates. Returns the entry's index.
int add_effect_material(scene& s, float grey, float alpha, int blend, int texture = no_texture,
                        unsigned char alpha_from_texture = 1);

struct effect_pictures {
    unsigned char* alpha = nullptr;   // picture 0: 1 byte per pixel, 255 transparent
    unsigned char* colour = nullptr;  // picture 1: 3 bytes per pixel
};

// Empties the engine's picture list and adds the two pictures, both
// filled with 255.
effect_pictures new_effect_pictures(int width, int height);
// The texture of picture 1 with picture 0 as its alpha map; both pictures
// are used up.
int make_effect_texture();

// The view of an object that slides in from the right during the first
// 3 s of part time t (ms) and sinks out of view from 8 s on.
matrix sliding_camera(float t, float z);

}  // namespace vorlane
