// The development log "vorlane.log": off unless the user asks for it
// (--log), so a normal run writes no file.
#pragma once

#include <cstdio>

namespace vorlane {

// Spaces written before each line; callers raise it around nested work.
extern int log_depth;
extern bool log_enabled;

// Creates (truncates) "vorlane.log" in the working directory, sets
// log_depth to 0 and enables logging. Fatal "Cannot open logfile" when
// the file cannot be created.
void log_open();
// Logs to an open stream instead of the file (the browser's console is
// standard output); log_close leaves the stream open.
void log_to_stream(std::FILE* stream);
void log_close();

// When logging is enabled: log_depth spaces, the printf-formatted text and
// a line feed, written through at once so a fatal exit loses nothing.
// Otherwise nothing. Main thread only.
void log(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vorlane
