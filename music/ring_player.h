// The ring player: plays a loaded song on the output device and is the
// clock of the whole show. The ring of blocks loops on the device; an audio
// thread re-mixes each block once it has been heard, and records per block
// the order, row and song clock that the position queries return for the
// block being heard.
#pragma once

#include "music/song.h"
#include "platform/wave_out.h"

#include <memory>

namespace vorlane {

// The device the next sound_init opens (the sound card when none was given).
// The virtual kind is advanced by its user, who then calls output_poll.
void sound_use_output(std::unique_ptr<wave_out> device);
wave_out* sound_output();

// Opens the output at rate frames per second (options are unused). False
// when the file operations are not installed or the device cannot open.
bool sound_init(int rate, int options);
// Stops any song, then resets and closes the device.
void sound_close();

// Pre-mixes the whole ring, starts the device looping it and (for devices
// that play by themselves) the audio thread. False for a null song or
// without an open device.
bool song_play(song* s);
// Stops the audio thread and releases the playback buffers; the device
// keeps looping the last ring until sound_close. Never hangs. False for null.
bool song_stop(song* s);

// The record of the block being heard; 0 for a null song or when nothing
// plays. Two queries in a row may see different blocks.
int song_get_order(song* s);
int song_get_row(song* s);
int song_get_time(song* s);  // song clock, ms, at the end of that block
// How far the song has come, 0 to 1: the rows of the order list before the
// row being heard, against all its rows. 0 for a null song or when nothing
// plays.
double song_progress(const song* s);

// One poll of the audio thread: reads the device position and re-mixes
// every block played since the last poll. The thread runs it every 5 ms;
// the virtual device's user runs it after each advance.
void output_poll();

// Internals, open to tests and tools.
void mix_block();
extern int fill_block;  // next block to mix

}  // namespace vorlane
