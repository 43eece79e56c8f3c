// Writes frames as PNG files (8-bit RGB) through libpng.
#pragma once

#include <cstdint>

namespace vorlane {

// pixels: width x height A8R8G8B8 values, top row first, as the device
// reads its back buffer. Alpha is left out: what the back buffer holds
// there is not part of the picture. False, with errno set and no file left,
// when the file cannot be written whole.
bool write_png(const char* path, int width, int height, const std::uint32_t* pixels);

}  // namespace vorlane
