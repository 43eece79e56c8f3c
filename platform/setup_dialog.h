// The setup dialog's window: the first thing the program puts on the
// screen, a small window of its own in which the user picks the
// resolution and the mode before the show starts.
#pragma once

#include "platform/setup_dialog_state.h"

#include <cstdint>
#include <vector>

namespace vorlane {

// The dialog's client area at a whole scale factor: (setup_layout::width
// x scale) x (setup_layout::height x scale) A8R8G8B8 pixels, top row first.
std::vector<std::uint32_t> draw_setup_dialog(const setup_dialog_state& state, int scale);

// Opens the window titled "444" and runs it until Enter, Escape or the
// close box decide state.outcome; the window is gone when it returns, the
// video system stays started for the show's window. False, with state
// untouched, when there is no display to show it on.
bool run_setup_dialog(setup_dialog_state& state);

}  // namespace vorlane
