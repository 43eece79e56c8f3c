#include "driver/timeline.h"

#include "clock/show_clock.h"
#include "engine/engine.h"
#include "music/ring_player.h"
#include "parts/part1.h"
#include "parts/part2.h"
#include "parts/part3.h"
#include "parts/part4.h"
#include "parts/part5.h"
#include "platform/window.h"
#include "runtime/log.h"
#include "scene/frame.h"
#include "scene/scene.h"
#include "scene/scene_anim_effect.h"

namespace vorlane {

scene* myscene = nullptr;
effect* part = nullptr;
int cur_part = 0;
int frames = 0;
order_watch song_order;
bool loop_mode = false;

namespace {

template <class part_class>
effect* make(scene& s)
{
    return s.make<part_class>();
}

bool quit_seen = false;
int show_textures = 0;  // textures made before the show started

// Frees the scene and what its parts made; memory stays flat however
// many rounds the loop plays.
void free_scene()
{
    delete myscene;
    myscene = nullptr;
    part = nullptr;
    myengine.release_textures_from(show_textures);
}

void replace_scene()
{
    free_scene();
    myscene = new scene(myengine, 0);
}

// After the song wrapped to order: the first cue at or after its start, as
// the parts heard them the first time round.
void rewind_cues(int order)
{
    cue_pos = cue_table;
    while (cue_pos != cue_table + cue_count && cue_pos->order < order)
        ++cue_pos;
}

}  // namespace

part_maker part_makers[5] = {make<part1>, make<part2>, make<part3>, make<part4>, make<part5>};

bool order_watch::song_ended(int order)
{
    if (order == remembered)
        return false;
    if (order < remembered - 1)
        return true;
    remembered = order;
    return false;
}

void start_timeline()
{
    demo_start = part_start = get_time();
    show_textures = myengine.no_textures;
    part = part_makers[0](*myscene);
    cur_part = 1;
    song_order.remembered = 0;
}

void end_timeline()
{
    free_scene();
}

void switch_part()
{
    part_start += part_length;
    switch (cur_part) {
    case 1:
        // Part 2 goes on in part 1's scene: its meshes, lights and buffers
        // stay, only the effects start afresh.
        myscene->no_effects = 0;
        part = part_makers[1](*myscene);
        break;
    case 2:
        replace_scene();
        part = part_makers[2](*myscene);
        break;
    case 3:
        replace_scene();
        part = part_makers[3](*myscene);
        break;
    case 4:
        myscene->no_effects = 0;
        part = part_makers[4](*myscene);
        break;
    case 5:
        replace_scene();
        demo_start = part_start = get_time() + restart_pause;
        part = part_makers[0](*myscene);
        cur_part = 0;
        // Part 5 stretches the animation clock; the new round runs on
        // plain part time again.
        time_func = get_parttime;
        break;
    default:
        break;
    }
    ++cur_part;
}

void advance_parts()
{
    while (get_parttime() > part_length)
        switch_part();
}

pass_result main_loop_pass()
{
    if (quit_seen)
        return pass_result::ended;
    const int order = song_get_order(the_song);
    if (song_order.song_ended(order)) {
        if (!loop_mode) {
            log("Module end - shutdown");
            return pass_result::ended;
        }
        song_order.remembered = order;
        rewind_cues(order);
    }
    advance_parts();
    switch (peek_message()) {
    case window_message::none:
        render(*myscene);
        ++frames;
        return pass_result::rendered;
    case window_message::quit:
        quit_seen = true;
        return pass_result::message;
    case window_message::other:
        break;
    }
    return pass_result::message;
}

void log_closing(double elapsed_ms)
{
    log("fps - %f", elapsed_ms > 0 ? frames * 1000.0 / elapsed_ms : 0.0);
    log("time - %d", get_time() - demo_start);
}

}  // namespace vorlane
