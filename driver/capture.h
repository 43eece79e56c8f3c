// Capture: the show rendered offline, frame by frame, on the virtual
// sound device, into PNG frames and a WAV file or into a video. Sound and
// picture come out in step to the sample and the same on every run,
// whatever the speed of the machine. The benchmark runs the same loop
// with a sink that only measures.
#pragma once

#include "driver/offline_frames.h"
#include "driver/options.h"
#include "platform/device.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vorlane {

// True when the name asks for a video rather than a folder: it ends in
// ".mp4", in any case.
bool is_video_name(const std::string& name);

// The show's picture (picture.width x picture.height, top row first) in
// an output frame of width x height, where picture says (as fit_show
// places it), with black bars around.
std::vector<std::uint32_t> frame_with_bars(const std::vector<std::uint32_t>& pixels, const present_rect& picture,
                                           int width, int height);

// Draws the show's frames one by one on that device, handing each wanted
// one to the sink, with a progress line on stderr that starts with label.
// False when the sink failed.
bool run_frames(wave_out_virtual& device, const frame_span& span, frame_sink& sink, const char* label);

// The exit code of a capture that could not be written (no folder, a full
// disk, no ffmpeg): the show still closed in order and cleaned up after
// itself, unlike a fatal error (255), and the command line was good (2).
inline constexpr int capture_failed = 1;

// Renders the show as the options say (capture, fps, from, to,
// resolution, log) and returns the exit code: 0 when done, capture_failed
// with its message when not. Every file it leaves is whole.
int run_capture(const options& o);

}  // namespace vorlane
