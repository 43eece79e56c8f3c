#include "clock/show_clock.h"

#include "music/ring_player.h"

namespace vorlane {

song* the_song = nullptr;
int part_start = 0;
int part_length = 0;
int demo_start = 0;
const cue* cue_pos = cue_table;

namespace {

int no_clock()
{
    return 0;
}

}  // namespace

int (*time_func)() = no_clock;

int get_time()
{
    return song_get_time(the_song);
}

int get_parttime()
{
    return get_time() - part_start;
}

int get_cue()
{
    const int pos = song_get_order(the_song) * 32 + song_get_row(the_song);
    const cue& next = *cue_pos;
    if (pos < next.order * 32 + next.row - 1)
        return -1;
    // The end record lies beyond any song position, so it is never passed.
    if (cue_pos != cue_table + cue_count)
        ++cue_pos;
    return next.value;
}

int cue_beat()
{
    return static_cast<int>((cue_pos - cue_table) * sizeof(cue) / 4);
}

}  // namespace vorlane
