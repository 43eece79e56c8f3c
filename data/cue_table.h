// The musical cues of the show: the song positions where the music hits an
// accent, each with a value that tells the reading part what to do there.
#pragma once

namespace vorlane {

// Three bytes, as the "beat" number (byte distance / 4) relies on.
struct cue {
    unsigned char order = 0;  // order position
    unsigned char row = 0;
    unsigned char value = 0;  // 0 ... 5; its meaning belongs to the part that reads it
};
static_assert(sizeof(cue) == 3);

inline constexpr int cue_count = 235;

// Sorted by order * 32 + row; three positions hold two cues each. The end
// record (255, 255, 0) lies beyond any position the song reaches, so a
// reader never runs past it.
extern const cue cue_table[cue_count + 1];

}  // namespace vorlane
