// Readers of PNG (libpng) and JPEG (libjpeg) images, for the textures of
// object files.
#pragma once

#include <string>
#include <vector>

namespace vorlane {

// An image as 8-bit red, green, blue, rows from the top.
struct rgb_image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

// False, with out empty, for bytes that are not a whole image of the kind.
bool decode_png(const std::string& bytes, rgb_image& out);
bool decode_jpeg(const std::string& bytes, rgb_image& out);

}  // namespace vorlane
