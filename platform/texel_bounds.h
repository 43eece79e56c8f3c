// The texels of a texture level that are not all of one alpha: under a
// blend that leaves the target as it was for that alpha, a draw changes
// no pixel where it samples only texels outside them.
#pragma once

#include <cstdint>

namespace vorlane {

// Texels [x0, x1) x [y0, y1) of one level; empty when it holds none.
struct texel_rect {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;

    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

// The smallest rectangle holding every texel of a width x height level
// (bytes B, G, R, A per texel, rows packed) whose alpha is not alpha.
texel_rect texels_other_than(const std::uint8_t* texels, int width, int height, std::uint8_t alpha);

}  // namespace vorlane
