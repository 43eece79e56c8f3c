// vorlane: the show.

#include "driver/bench.h"
#include "driver/capture.h"
#include "driver/options.h"
#include "driver/show.h"
#include "driver/show_frame.h"
#include "driver/timeline.h"
#include "driver/version.h"
#include "music/ring_player.h"
#include "platform/environment.h"
#include "platform/setup_dialog.h"
#include "platform/window.h"
#include "runtime/fatal.h"
#include "runtime/log.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    using namespace vorlane;

    options opts;
    std::string error;
    if (!parse_options(argc, argv, opts, error)) {
        std::fprintf(stderr, "%s\n\n%s", error.c_str(), usage_text);
        return 2;
    }
    if (opts.help) {
        std::fputs(usage_text, stdout);
        return 0;
    }
    if (opts.version) {
        std::printf("vorlane %s\n", version);
        return 0;
    }

    const bool offline = !opts.capture.empty() || opts.bench;
    int display = 0;  // the primary one, unless the dialog was elsewhere
    if (!offline) {
        // Without a display SDL would fall back to drawing offscreen, and
        // the show would run where nobody sees it and nobody can press
        // Escape. Unless the user chose a driver, ask only for those that
        // put a window on a screen, so that start-up fails instead.
        set_environment_default("SDL_VIDEODRIVER", "x11,wayland,KMSDRM");
        setup_dialog_state setup;
        setup.loop = opts.loop;
        if (!opts.resolution_given && run_setup_dialog(setup)) {
            if (setup.outcome == dialog_outcome::cancelled)
                return 0;
            opts.resx = setup.chosen().width;
            opts.resy = setup.chosen().height;
            opts.loop = setup.loop;
            display = setup.display;
        }
    }
    loop_mode = opts.loop;

    install_out_of_memory_handler();
    if (opts.log)
        log_open();
    log("vorlane %s", version);
    log("Resolution %dx%d, %s mode", opts.resx, opts.resy, opts.loop ? "loop" : "normal");

    int code = 0;
    if (!opts.capture.empty()) {
        code = run_capture(opts);
    } else if (opts.bench) {
        code = run_bench(opts);
    } else {
        sound_use_output(wave_out_create(opts.no_sound ? wave_out_kind::null : wave_out_kind::card));
        const present_rect picture = fit_show(opts.resx, opts.resy);
        start_show(picture.width, picture.height, opts.windowed, display, !opts.no_sound);
        sync_to_display();
        while (main_loop_pass() != pass_result::ended) {
        }
        close_show();
    }
    log_close();
    return code;
}
