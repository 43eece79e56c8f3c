#include "platform/process_clock.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace vorlane {

namespace {

double seconds(clockid_t clock)
{
    timespec t = {};
    if (::clock_gettime(clock, &t) != 0)
        return 0.0;
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

}  // namespace

double thread_cpu_seconds()
{
    return seconds(CLOCK_THREAD_CPUTIME_ID);
}

double process_cpu_seconds()
{
    return seconds(CLOCK_PROCESS_CPUTIME_ID);
}

long long stat_start_ticks(const char* line)
{
    // The name in field 2 may hold spaces and parentheses: the fields after
    // it are counted from the last ')'.
    const char* at = std::strrchr(line, ')');
    for (int field = 2; at && field < 22; ++field)
        at = std::strchr(at + 1, ' ');
    if (!at)
        return -1;
    char* end = nullptr;
    const long long ticks = std::strtoll(at + 1, &end, 10);
    return end == at + 1 || ticks < 0 ? -1 : ticks;
}

double seconds_since_process_start()
{
    std::FILE* f = std::fopen("/proc/self/stat", "r");
    if (!f)
        return -1.0;
    char line[1024] = {};
    const bool read = std::fgets(line, sizeof line, f) != nullptr;
    std::fclose(f);
    const long long start = read ? stat_start_ticks(line) : -1;
    const long ticks_per_second = ::sysconf(_SC_CLK_TCK);
    if (start < 0 || ticks_per_second <= 0)
        return -1.0;
    return seconds(CLOCK_BOOTTIME) - double(start) / double(ticks_per_second);
}

}  // namespace vorlane
