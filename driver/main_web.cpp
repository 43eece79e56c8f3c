// vorlane in the browser. The page is the setup dialog; it calls in here
// to play the show (vorlane_play) or to render one frame offline the way
// capture does (vorlane_render_at), and its audio callback pulls the
// sound (vorlane_audio); the build exports these three. The show's loop is
// the browser's: every animation frame runs one pass and gives control
// back.

#include "driver/offline_frames.h"
#include "driver/show.h"
#include "driver/show_frame.h"
#include "driver/timeline.h"
#include "driver/version.h"
#include "music/ring_player.h"
#include "platform/page.h"
#include "platform/setup_dialog_state.h"
#include "platform/wave_out_web.h"
#include "runtime/log.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vorlane {

namespace {

void show_frame()
{
    output_poll();
    pass_result r;
    do
        r = main_loop_pass();
    while (r == pass_result::message);
    if (r != pass_result::ended)
        return;
    page_stop_frames();
    close_show();
    page_show_ended();
}

// Keeps the first frame it is handed.
class first_frame_sink : public frame_sink {
public:
    std::vector<std::uint32_t> pixels;
    bool taken = false;

    bool before_frame(bool) override { return true; }
    bool take_frame(std::vector<std::uint32_t> p) override
    {
        pixels = std::move(p);
        taken = true;
        return true;
    }
};

struct offline_render {
    int at_ms = 0;
    wave_out_virtual* device = nullptr;
    frame_stepper* frames = nullptr;
    first_frame_sink sink;
    present_rect picture;
};
offline_render offline;

// As many frames as fit in a share of an animation frame, so that the page
// can show its progress line in between.
void offline_frame()
{
    const double until = page_now_ms() + 40;
    frame_step step = frame_step::drawn;
    while (!offline.sink.taken && step == frame_step::drawn && page_now_ms() < until)
        step = offline.frames->step(offline.sink);
    page_progress(offline.frames->song_ms(), cur_part);
    if (!offline.sink.taken && step == frame_step::drawn)
        return;
    page_stop_frames();
    page_frame_done(offline.at_ms, offline.sink.taken ? offline.sink.pixels.data() : nullptr, offline.picture.width,
                    offline.picture.height);
}

}  // namespace

}  // namespace vorlane

using namespace vorlane;

extern "C" {

// Plays the show at width x height, in loop mode when loop is set.
void vorlane_play(int width, int height, int loop)
{
    loop_mode = loop != 0;
    log("Resolution %dx%d, %s mode", width, height, loop_mode ? "loop" : "normal");
    sound_use_output(wave_out_create(wave_out_kind::card));
    const present_rect picture = fit_show(width, height);
    start_show(picture.width, picture.height, true, 0, true);
    page_run_every_frame(show_frame);
}

// Renders the show offline up to the frame that capture at 25 frames per
// second from at_ms on writes first, and hands it to the page.
void vorlane_render_at(int at_ms, int width, int height)
{
    log("Resolution %dx%d, frame at %d ms", width, height, at_ms);
    offline.at_ms = at_ms;
    offline.picture = fit_show(width, height);
    offline.device = &start_offline_show(width, height);
    frame_span span;
    span.from_ms = at_ms;
    offline.frames = new frame_stepper(*offline.device, span);
    page_run_every_frame(offline_frame);
}

// The page's audio callback: the next frames of sound, then the mixer
// follows what has been consumed.
void vorlane_audio(float* left, float* right, int frames)
{
    web_audio_fill(left, right, frames);
    output_poll();
}

}

int main()
{
    // The log goes to the browser's console.
    log_to_stream(stdout);
    log("vorlane %s", version);
    std::string names;
    for (const resolution& r : setup_resolutions)
        names += std::string(names.empty() ? "" : ",") + r.name;
    page_ready(names.c_str());
    return 0;
}
