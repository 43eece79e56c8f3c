// Fatal errors: the show cannot go on, so it says why and ends at once
// with exit code 255, without cleaning up (nothing it holds outlives it).
#pragma once

namespace vorlane {

inline constexpr int fatal_exit_code = 255;

// Set by the window once it exists: shows the text in a message box
// captioned "Vorlane 3D" owned by the window, and returns when dismissed.
// Without it (no window, no display) the text goes to stderr only.
extern void (*fatal_message_box)(const char* text);

// Writes the text on stderr, shows the message box when there is one,
// and exits with fatal_exit_code.
[[noreturn]] void fatal(const char* text);

// Makes a failed allocation anywhere in the process fatal ("Out of memory")
// instead of an exception nobody catches.
void install_out_of_memory_handler();

}  // namespace vorlane
