// Capture: the show rendered offline, frame by frame, on the virtual
// sound device, into PNG frames and a WAV file or into a video. Sound and
// picture come out in step to the sample and the same on every run,
// whatever the speed of the machine.
#pragma once

#include "driver/options.h"

#include <cstdint>

namespace vorlane {

class wave_out_virtual;

// Sound frames per video frame: rate / fps with the remainder carried, so
// that video frame k always ends exactly at sound frame
// floor((k + 1) x rate / fps) and no drift builds up over a long capture.
struct frame_pacer {
    std::uint64_t rate = 44100;
    std::uint64_t fps = 25;
    std::uint64_t paced = 0;  // video frames paced so far

    // Sound frames to play for the next video frame.
    std::uint32_t next();
};

// Plays the next frames of the virtual device and lets the ring player
// follow, one block boundary at a time as its audio thread would: a poll
// that comes only after the device has run across the end of the ring and
// past its second block re-mixes nothing until the device comes round
// again, and the song clock would stand still for a lap or more.
void play_frames(wave_out_virtual& device, std::uint32_t frames);

// Renders the show as the options say (capture, fps, from, to,
// resolution, log) and returns the exit code: 0 when done.
int run_capture(const options& o);

}  // namespace vorlane
