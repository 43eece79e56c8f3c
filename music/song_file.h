// How the player reads a module: never through the file system itself,
// only through five operations the host installs (open, close, read, seek,
// tell), wrapped by a small record that lives while one song loads.
#pragma once

#include <cstdint>

namespace vorlane {

// A handle of 0 means the open failed. Read takes the handle last, seek and
// tell take it first; the hosts' operations are written against that.
using file_open_op = std::uintptr_t (*)(const char* name);
using file_close_op = void (*)(std::uintptr_t handle);
using file_read_op = int (*)(void* buffer, int count, std::uintptr_t handle);
using file_seek_op = void (*)(std::uintptr_t handle, int offset, std::uint8_t mode);
using file_tell_op = int (*)(std::uintptr_t handle);

inline constexpr std::uint8_t seek_set = 0;
inline constexpr std::uint8_t seek_cur = 1;
inline constexpr std::uint8_t seek_end = 2;

// Installs the five operations; if any one is null, all five are cleared
// (and sound_init then refuses to start).
void set_file_callbacks(file_open_op open, file_close_op close, file_read_op read,
                        file_seek_op seek, file_tell_op tell);
bool file_callbacks_installed();

struct song_file {
    std::uintptr_t handle = 0;
};

// Null when the installed open fails.
song_file* song_file_open(const char* name);
void song_file_close(song_file* file);
// What the installed read delivered (a short count is no error here); 0 for null.
int song_file_read(void* buffer, int count, song_file* file);
void song_file_seek(song_file* file, int offset, std::uint8_t mode);
int song_file_tell(song_file* file);

}  // namespace vorlane
