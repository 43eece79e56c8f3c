// A fresh folder for intermediate files under the system's temporary
// folder, removed with everything in it when the object goes, whichever
// way the work that used it ends.
#pragma once

#include <string>

namespace vorlane {

class scratch_folder {
public:
    scratch_folder() = default;
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;
    ~scratch_folder();

    // Makes a new empty folder named prefix and six random characters in
    // $TMPDIR (or /tmp), in place of any folder made before. False when
    // it cannot be made.
    bool make(const char* prefix);
    // Removes the folder and everything in it now.
    void remove();

    std::string path;  // empty until made
};

}  // namespace vorlane
