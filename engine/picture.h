// A CPU-side image, the source of every texture: one byte per pixel (grey
// levels, used as alpha maps) or three (blue, green, red, the byte order of
// an A8R8G8B8 texel without its alpha). Rows run from the top, packed at
// width x bpp bytes.
#pragma once

#include <memory>

namespace vorlane {

struct picture {
    std::unique_ptr<unsigned char[]> data;
    int storage = 0;  // bytes allocated at data; only ever grows
    int width = 0;
    int height = 0;
    int bpp = 0;  // bytes per pixel: 1 or 3

    // Makes data hold at least bytes bytes, reallocating (zero-filled, old
    // pixels dropped) only when it is smaller. "Out of memory" when bytes
    // is negative, as an overflowed size would be.
    void reserve(long long bytes);
};

}  // namespace vorlane
