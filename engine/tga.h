// Reader of Truevision TGA files into pictures: uncompressed 24-bit colour
// (type 2), uncompressed grey (type 3) and run-length coded grey (type 11).
#pragma once

#include "engine/picture.h"

namespace vorlane {

// Reads the file into out, top row first. Any file it cannot use ends the
// program with its message; a file that holds fewer pixels than its header
// promises counts as unreadable ("Cannot open TGA file - <name>").
void read_tga(const char* name, picture& out);

}  // namespace vorlane
