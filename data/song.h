// The show's music: our XM module, embedded in the program and padded with
// zeros to the length that the module file hands to the player.
#pragma once

namespace vorlane {

inline constexpr int song_data_size = 54767;

extern const unsigned char song_data[song_data_size];

// Bytes of the module itself; the rest of song_data is zero.
extern const int song_data_length;

}  // namespace vorlane
