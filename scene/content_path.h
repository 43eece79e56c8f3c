// Where LightWave finds a file that a scene or an object names: paths are
// written relative to the scene's folder or to the content folder (the
// folder holding Objects/, Scenes/, Images/), with '/' or '\'.
#pragma once

#include <string>
#include <vector>

namespace vorlane {

// The places to try, in order: the path as written, relative to folder
// (an absolute path as it is); then relative to the content folder, the
// nearest of folder and its parents that holds Objects/ or Scenes/; last,
// the bare file name in folder. No place is listed twice.
std::vector<std::string> content_paths(const std::string& folder, const std::string& written);

// The first of the places whose file can be read, its bytes in out; false
// when none can, with "Cannot open <what> - <written> (looked for <places>)"
// in message.
bool read_content_file(const std::string& folder, const std::string& written, const char* what,
                       std::string& out, std::string& found, std::string& message);

}  // namespace vorlane
