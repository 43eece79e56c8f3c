// How the song sounds each cue of the show: every cue row carries a drum
// hit on the accent channels, chosen by the cue's value.
#pragma once

#include "tools/make_song/instruments.h"

#include <vector>

namespace vorlane::song_maker {

inline constexpr int accent_channels[3] = {3, 4, 5};

struct accent_hit {
    int channel = 0;
    int note = 0;
    int volume = 64;
};

// The hits for a cue of `value` on `row`. Values that share a row in the
// cue table use different channels, so one row can carry both.
inline std::vector<accent_hit> cue_hits(int value, int row)
{
    switch (value) {
    case 0: return {{3, kick_note, 64}, {4, clap_note, 60}};
    case 1: return {{3, kick_note, 64}, {5, note_of(4, 3), 64}};   // kick and a low tom
    case 2: return {{4, snare_note, 64}, {5, open_hat_note, 50}};
    case 3: return {{3, kick_note, 64}, {5, crash_note, 60}};
    case 4: return {{5, note_of(2, 3) + row % 8, 60}};             // a tom that climbs in a roll
    case 5: return {{3, clap_note, 64}};
    default: return {};
    }
}

}  // namespace vorlane::song_maker
