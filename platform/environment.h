// The process environment, as far as we set it for the libraries we use.
#pragma once

namespace vorlane {

// Sets the variable to value unless it is set already: our default, which
// the user can override from the shell (SDL_VIDEODRIVER).
void set_environment_default(const char* name, const char* value);

}  // namespace vorlane
