// Start-up and closing of the show, shared by playing and capturing.
#pragma once

#include <chrono>

namespace vorlane {

// Brings everything up in its fixed order, from the engine (resx x resy,
// full screen unless windowed) to the song playing on the output device
// already chosen with sound_use_output, and starts the first part. When
// that device cannot be opened and silent_fallback is set, the show runs
// on the silent device after a warning on stderr. Fatal "kupa1",
// "sound init" or "mod load" when a step fails. The window opens on the
// given display (SDL's index).
void start_show(int resx, int resy, bool windowed, int display, bool silent_fallback);
// The same after the engine's own start: for a caller whose engine is up.
void start_show_after_engine(bool silent_fallback);

// Wall time at which the main loop began, for the closing frame rate.
extern std::chrono::steady_clock::time_point loop_start;

// The closing steps after the main loop: the two log lines, the engine
// shut down, the cursor back, the song freed and the output closed.
void close_show();

}  // namespace vorlane
