// The show's timeline: which part runs, when the next one starts, and when
// the song has ended. Every decision reads the song clock, never the
// number of frames drawn.
#pragma once

namespace vorlane {

class effect;
struct scene;

// The scene every frame draws. The timeline owns it from start_timeline
// on and replaces it for parts 3, 4 and the new part 1; the old one goes
// with everything built for it (parts, effects, buffers, textures).
extern scene* myscene;
extern effect* part;  // the running part, owned by its scene
// The running part, 1..5. A switch acts on it and then counts it on;
// after part 5 the count starts again at 1.
extern int cur_part;
extern int frames;  // frames drawn by the main loop

// Builds a part on a scene, registering it there; its constructor sets
// part_length.
using part_maker = effect* (*)(scene& s);
// part1 ... part5, in that order. Tests put stand-ins here.
extern part_maker part_makers[5];

// Milliseconds of song time between the end of part 5 and the new start
// of part 1; the first part sees a negative part time meanwhile.
inline constexpr int restart_pause = 5500;

// The end-of-song rule on the order position being heard: a step back by
// one position is taken as it comes, a jump back by two or more (the song
// wrapping to its restart position) is the end.
struct order_watch {
    int remembered = 0;

    // True when order ends the show; otherwise order is remembered.
    bool song_ended(int order);
};
extern order_watch song_order;

// Loop mode: the song's wrap does not end the show. The song plays on from
// its restart position, its cues come again from there, and the parts keep
// cycling until Escape.
extern bool loop_mode;

// Starts the clock and the first part on myscene: the show begins now.
// The textures made so far are the show's own and stay for every round.
void start_timeline();

// Frees myscene with what was built for it and the textures made since
// start_timeline. Needs the device still open.
void end_timeline();

// Starts the next part after the running one (the switch table), moving
// the part boundary on by exactly the old part's length.
void switch_part();

// Switches while the part time is past the running part's length, so a
// clock that jumped over several boundaries starts each due part in turn.
void advance_parts();

enum class pass_result {
    message,   // one window message was handled
    rendered,  // one frame was drawn
    ended,     // Escape was pressed earlier, or the song has ended
};

// One pass of the main loop: the end rules, the part switches, then one
// window message or else one frame.
pass_result main_loop_pass();

// The two closing log lines: the frame rate over elapsed_ms of wall time
// and the song time since the show last (re)started.
void log_closing(double elapsed_ms);

}  // namespace vorlane
