// The offline loop: the show drawn frame by frame on the virtual sound
// device, each video frame exactly its share of sound, whatever the speed
// of the machine. Capture and the benchmark run it to the end; the browser
// takes it one frame per step, giving control back between steps.
#pragma once

#include <cstdint>
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

// Brings the show up for resx x resy output frames (drawn at fit_show's
// size) on the virtual sound device, offscreen unless the user chose a
// video driver. Nothing plays by itself: the song
// clock stands still between frames, however long start-up takes.
wave_out_virtual& start_offline_show(int resx, int resy);

// The loop one video frame at a time.
enum class frame_step {
    drawn,   // one more frame was drawn (and handed on when wanted)
    ended,   // the span, or the show, is over: nothing was drawn
    failed,  // the sink failed
};

class frame_stepper {
public:
    frame_stepper(wave_out_virtual& device, const frame_span& span);

    // Paces and draws the next video frame, handing it to the sink when it
    // is wanted.
    frame_step step(frame_sink& sink);
    // Song milliseconds at the end of the frames drawn so far.
    double song_ms() const;

    std::uint64_t drawn = 0;  // video frames drawn

private:
    wave_out_virtual& device;
    frame_span span;
    frame_pacer pacer;
};

}  // namespace vorlane
