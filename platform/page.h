// The web page around the show, for the browser's entry points: its frame
// loop and what the page shows of the show's state.
#pragma once

#include <cstdint>

namespace vorlane {

// Calls frame on every animation frame of the page until page_stop_frames.
void page_run_every_frame(void (*frame)());
void page_stop_frames();

// Milliseconds of a steady clock.
double page_now_ms();

// The show is loaded: the start page can offer these resolutions
// (comma-separated names), or the offline frame can start.
void page_ready(const char* resolutions);
// The show has ended: the start page comes back.
void page_show_ended();
// The offline frame's progress: song time reached and the running part.
void page_progress(double song_ms, int part);
// The offline frame at_ms, width x height A8R8G8B8 words top row first;
// null when the show ended before it.
void page_frame_done(int at_ms, const std::uint32_t* pixels, int width, int height);

}  // namespace vorlane
