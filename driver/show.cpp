#include "driver/show.h"

#include "clock/show_clock.h"
#include "data/song.h"
#include "driver/timeline.h"
#include "engine/engine.h"
#include "engine/trig_tables.h"
#include "music/mem_file.h"
#include "music/ring_player.h"
#include "parts/fonts.h"
#include "parts/part1.h"
#include "parts/text_textures.h"
#include "platform/window.h"
#include "runtime/fatal.h"
#include "runtime/log.h"
#include "scene/frame.h"
#include "scene/scene.h"
#include "scene/scene_anim_effect.h"

#include <cstdio>

namespace vorlane {

std::chrono::steady_clock::time_point loop_start;

namespace {

void log_space()
{
    log("pressed spacebar - %d", get_parttime());
    log("cur beat - %d", cue_beat());
}

}  // namespace

void start_show(int resx, int resy, bool windowed, int display, bool silent_fallback)
{
    show_cursor(false);
    log("About to init engine");
    myengine.init(resx, resy, windowed, display);
    pd3dDev = myengine.pd3dDev;
    log("Engine inited");
    start_show_after_engine(silent_fallback);
}

void start_show_after_engine(bool silent_fallback)
{
    build_trig_tables();
    time_func = get_parttime;
    space_hook = log_space;

    state_block = pd3dDev->create_state_block(D3DSBT_ALL);
    if (!state_block || !pd3dDev->capture_state_block(state_block))
        fatal("kupa1");

    // Black while the rest loads.
    myscene = new scene(myengine, 0);
    render(*myscene);

    init_fonts();
    make_text_textures();

    log("About to init sound");
    mem_file_set_source(song_data, song_data_size);
    install_mem_file_callbacks();
    if (!sound_init(44100, 0)) {
        if (!silent_fallback)
            fatal("sound init");
        // Better the show without sound than no show at all.
        std::fputs("vorlane: no sound device could be opened; the show runs silently\n", stderr);
        sound_use_output(wave_out_create(wave_out_kind::null));
        if (!sound_init(44100, 0))
            fatal("sound init");
    }
    the_song = song_load("song", nullptr);
    if (!the_song)
        fatal("mod load");
    song_play(the_song);
    log("Sound inited");

    loop_start = std::chrono::steady_clock::now();
    frames = 0;
    start_timeline();
}

void close_show()
{
    log_closing(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - loop_start).count());
    end_timeline();
    myengine.shutdown();
    show_cursor(true);
    song_free(the_song);
    sound_close();
    the_song = nullptr;
    close_platform();
}

}  // namespace vorlane
