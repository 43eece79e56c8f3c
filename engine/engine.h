// The engine: the render window and the graphics device, the engine-wide
// lists of pictures and textures.
// One instance, myengine, reached by everything through en.
#pragma once

#include "engine/dyn_array.h"
#include "engine/picture.h"
#include "platform/device.h"
#include "platform/window.h"

namespace vorlane {

class engine {
public:
    window* win = nullptr;          // the render window; null until init
    device* pd3dDev = nullptr;      // null until init
    // The textures by number. Numbers are handed out in order and taken
    // back from the top: see release_textures_from.
    dyn_array<device_texture*> textures;
    int no_textures = 0;
    // Pictures are reused slot by slot: every user empties the list first.
    dyn_array<picture> pictures;
    int no_pictures = 0;

    // Opens the window (full screen unless windowed) and the device with
    // a resx x resy back buffer, then sets the start-up states: depth test
    // on, no culling, linear filtering on stage 0. The window opens on the
    // given display (SDL's index).
    void init(int resx, int resy, bool windowed, int display = 0);
    // Releases the device; the window goes with the process.
    void shutdown();

    // --- pictures and textures ---

    // Sets the picture count to 0; every slot keeps its storage for reuse.
    void clear_pictures();
    // Takes the next slot, sizes it (reallocating only when its storage is
    // too small), fills it with 255 and returns its pixels.
    unsigned char* new_picture(int width, int height, int bpp);
    // Reads a ".tga" file into the next slot; ".jpg" keeps the slot as it
    // is (there is no JPEG reader); the count goes up in both cases. Any
    // other ending (compared case-sensitively) is fatal.
    void load_picture(const char* name);
    // Makes a texture with its full mip chain from 3-byte picture index and
    // returns its number. The picture's pixels are used up: it is shrunk in
    // place level by level.
    int create_texture(int index);
    // A white texture whose alpha comes from 1-byte picture index.
    int create_alpha_texture(int index);
    // Destroys the textures numbered first and up, and hands their
    // numbers out again from first on: what one scene made goes when the
    // next replaces it, and the list never grows past one scene's worth.
    void release_textures_from(int first);
    // Sets the alpha of every texel of texture number texture to 255 minus
    // the map's value (255 is transparent); shrinks the map in place.
    void add_alpha_map(int texture, int index);
};

extern engine myengine;
extern engine* en;  // &myengine
extern device* pd3dDev;  // myengine's device, once it exists

}  // namespace vorlane
