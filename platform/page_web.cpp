// The page's side of the browser's entry points: emscripten's main loop on
// the animation frames, and the page script's functions (page.js).

#include "platform/page.h"

#include <emscripten/emscripten.h>

namespace vorlane {

namespace {

EM_JS(void, js_ready, (const char* resolutions), { vorlane_page.ready(UTF8ToString(resolutions)); });
EM_JS(void, js_show_ended, (), { vorlane_page.show_ended(); });
EM_JS(void, js_progress, (double song_ms, int part), { vorlane_page.progress(song_ms, part); });
EM_JS(void, js_frame_done, (int ms, const std::uint32_t* pixels, int width, int height),
      { vorlane_page.frame_done(ms, pixels, width, height); });

}  // namespace

void page_run_every_frame(void (*frame)())
{
    // Never returns into a busy loop: each call is one animation frame.
    emscripten_set_main_loop(frame, 0, false);
}

void page_stop_frames()
{
    emscripten_cancel_main_loop();
}

double page_now_ms()
{
    return emscripten_get_now();
}

void page_ready(const char* resolutions)
{
    js_ready(resolutions);
}

void page_show_ended()
{
    js_show_ended();
}

void page_progress(double song_ms, int part)
{
    js_progress(song_ms, part);
}

void page_frame_done(int at_ms, const std::uint32_t* pixels, int width, int height)
{
    js_frame_done(at_ms, pixels, width, height);
}

}  // namespace vorlane
