// Capture: the show rendered offline, frame by frame, on the virtual
// sound device, into PNG frames and a WAV file or into a video. Sound and
// picture come out in step to the sample and the same on every run,
// whatever the speed of the machine. The benchmark runs the same loop
// with a sink that only measures.
#pragma once

#include "driver/options.h"
#include "platform/device.h"

#include <cstdint>
#include <string>
#include <vector>

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

// True when the name asks for a video rather than a folder: it ends in
// ".mp4", in any case.
bool is_video_name(const std::string& name);

// What the offline loop does with the show's frames.
class frame_sink {
public:
    virtual ~frame_sink() = default;
    // Before a video frame is paced and drawn; wanted when it is at or
    // after the first frame to keep. False ends the loop as failed.
    virtual bool before_frame(bool wanted) = 0;
    // A wanted frame as drawn, the back buffer's A8R8G8B8 pixels, top row
    // first. False ends the loop as failed.
    virtual bool take_frame(std::vector<std::uint32_t> pixels) = 0;
};

// Which video frames the loop draws, at fps frames per second of sound:
// all from the start; from from_ms on they go to the sink; it stops at
// to_ms, or with -1 where the show ends (the song has played through).
struct frame_span {
    int fps = 25;
    int from_ms = 0;
    int to_ms = -1;
};

// The show's picture (picture.width x picture.height, top row first) in
// an output frame of width x height, where picture says (as fit_show
// places it), with black bars around.
std::vector<std::uint32_t> frame_with_bars(const std::vector<std::uint32_t>& pixels, const present_rect& picture,
                                           int width, int height);

// Brings the show up for resx x resy output frames (drawn at fit_show's
// size) on the virtual sound device, offscreen unless the user chose a
// video driver. Nothing plays by itself: the song
// clock stands still between frames, however long start-up takes.
wave_out_virtual& start_offline_show(int resx, int resy);

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
