// Pictures from image files of the kinds object files name: TGA through
// our own reader, PNG and JPEG through the platform's decoders.
#pragma once

#include "engine/picture.h"

#include <string>

namespace vorlane {

// The image at path, whose bytes are given, as a 3-byte picture (grey
// TGA pictures are made colour). False for a kind it does not know, by
// the name's ending, or bytes its decoder refuses; a broken TGA file ends
// with the TGA reader's message.
bool read_image_file(const std::string& path, const std::string& bytes, picture& out);

}  // namespace vorlane
