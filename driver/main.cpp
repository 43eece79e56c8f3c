// vorlane: the show.

#include "driver/fatal.h"
#include "driver/log.h"
#include "driver/options.h"
#include "driver/version.h"
#include "engine/engine.h"
#include "engine/trig_tables.h"
#include "platform/window.h"
#include "scene/scene.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace vorlane {
namespace {

// The device state of start-up, for the first part to return to.
device_state_block* state_block = nullptr;
// The scene that every frame draws.
scene* myscene = nullptr;

}  // namespace
}  // namespace vorlane

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

    install_out_of_memory_handler();
    show_cursor(false);
    if (opts.log)
        log_open();
    log("vorlane %s", version);
    build_trig_tables();

    log("About to init engine");
    myengine.init(opts.resx, opts.resy, opts.windowed);
    pd3dDev = myengine.pd3dDev;
    log("Engine inited");

    state_block = pd3dDev->create_state_block(D3DSBT_ALL);
    if (!state_block || !pd3dDev->capture_state_block(state_block))
        fatal("kupa1");

    // Black while the rest loads.
    myscene = new scene(myengine, 0);
    myengine.render(*myscene);

    // Until the show's parts exist, the frame stays the cleared scene.
    // Escape ends through the closing steps; closing the window ends the
    // process from inside peek_message.
    int frames = 0;
    auto start = std::chrono::steady_clock::now();
    for (;;) {
        window_message m = peek_message();
        if (m == window_message::quit)
            break;
        if (m == window_message::none) {
            myengine.render(*myscene);
            ++frames;
        }
    }

    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    log("fps - %f", ms > 0 ? frames * 1000.0 / ms : 0.0);
    myengine.shutdown();
    show_cursor(true);
    log_close();
    return 0;
}
