// The process's clocks: thread and process CPU time kept apart, and the
// start time read from /proc whatever the program's name.

#include "platform/process_clock.h"

#include <gtest/gtest.h>

#include <thread>

namespace vorlane {
namespace {

TEST(process_clock_test, another_threads_work_counts_for_the_process_only)
{
    const double thread_before = thread_cpu_seconds();
    const double process_before = process_cpu_seconds();
    std::thread worker([] {
        volatile unsigned sink = 0;
        for (const double until = thread_cpu_seconds() + 0.05; thread_cpu_seconds() < until;)
            sink = sink + 1;
    });
    worker.join();
    EXPECT_GE(process_cpu_seconds() - process_before, 0.05);
    EXPECT_LT(thread_cpu_seconds() - thread_before, 0.01);
}

TEST(process_clock_test, the_start_time_is_found_after_any_name)
{
    // Field 22 after the name in parentheses; the name may hold both.
    EXPECT_EQ(stat_start_ticks("29112 (cat) R 29104 29104 11557 0 -1 4194304 102 0 0 0 0 0 0 0 20 0 1 0 99394 3133440"),
              99394);
    EXPECT_EQ(stat_start_ticks("7 (a) (b) c) S 1 7 7 0 -1 4194560 5 0 0 0 1 2 0 0 20 0 1 0 123456789012 1 2"),
              123456789012);
    EXPECT_EQ(stat_start_ticks("7 (cat) R 1 2 3"), -1);
    EXPECT_EQ(stat_start_ticks("no name here"), -1);
    EXPECT_GE(seconds_since_process_start(), 0.0);
}

}  // namespace
}  // namespace vorlane
