// Reading a whole file into memory, for the loaders of pictures, scenes
// and objects.
#pragma once

#include <string>

namespace vorlane {

// The file's bytes into out; false when it cannot be opened or read.
bool read_whole_file(const std::string& name, std::string& out);

}  // namespace vorlane
