// Clocks of this process: the CPU time of the calling thread and of all
// threads together, and the wall time since the process started.
#pragma once

namespace vorlane {

// Seconds of CPU time, user and system, since the thread (the process)
// started.
double thread_cpu_seconds();
double process_cpu_seconds();

// Wall seconds since the kernel started this process, in its clock ticks
// (1/100 s on Linux); -1 when that cannot be read.
double seconds_since_process_start();

// The start time (field 22, clock ticks after boot) in a line of
// /proc/<pid>/stat; -1 when the line holds none.
long long stat_start_ticks(const char* line);

}  // namespace vorlane
