// The show's clock: everything is timed by the song, never by frames. Song
// time, the time within the current part and the musical cues all come
// from the position of the block being heard.
#pragma once

#include "data/cue_table.h"

namespace vorlane {

struct song;

// The song the clock follows; null until the music starts (the clock then
// reads 0).
extern song* the_song;

extern int part_start;   // song ms at which the current part began
extern int part_length;  // ms; each part's constructor sets it
extern int demo_start;   // song ms at which the show (re)started

// The next cue not yet handed out; never past the end record, and only
// taken back when a looping show's song wraps.
extern const cue* cue_pos;

// Milliseconds of the audible song position.
int get_time();
// get_time() - part_start: negative before the current part has begun.
int get_parttime();
// The value of the next cue once it is due, one row early; -1 otherwise.
// One cue per call and none skipped, so a caller that fell behind gets the
// overdue ones on its next calls.
int get_cue();
// The "beat": bytes of the cue table consumed, divided by 4 (a cue is 3
// bytes, so this is not the number of cues handed out).
int cue_beat();

// The clock scene animation reads, in ms: the part time, unless a part
// stretches it with a clock of its own. Set by the driver at start-up;
// until then it reads 0.
extern int (*time_func)();

}  // namespace vorlane
