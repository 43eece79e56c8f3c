// The bar shape of the letterbox effect: a 512 x 64 alpha picture, row 0
// first, holding only 0 and 255.
#pragma once

#include <array>

namespace vorlane {

inline constexpr int letterbox_width = 512;
inline constexpr int letterbox_height = 64;

// Rows 0-10 are 255; rows 11-27 are 0 left of a slanted edge and 255 from
// it on; rows 28-63 are 0 (the opaque band).
extern const std::array<unsigned char, letterbox_width * letterbox_height> letterbox_map;

}  // namespace vorlane
