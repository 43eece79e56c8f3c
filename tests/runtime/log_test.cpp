#include "runtime/fatal.h"
#include "runtime/log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>
#include <unistd.h>

namespace vorlane {
namespace {

std::string read_file(const char* path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Each test runs in its own scratch directory, since the log always goes
// to "vorlane.log" in the working directory.
class log_file_test : public testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
              ("vorlane_log_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }
    void TearDown() override
    {
        log_close();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(dir);
    }
    std::filesystem::path dir, previous;
};

TEST_F(log_file_test, disabled_log_writes_nothing_and_keeps_depth)
{
    log_enabled = false;
    log_depth = 3;
    log("Engine inited");
    EXPECT_EQ(log_depth, 3);
    EXPECT_FALSE(std::filesystem::exists("vorlane.log"));
}

TEST_F(log_file_test, lines_are_indented_by_depth_and_truncate_an_old_log)
{
    {
        std::ofstream old("vorlane.log");
        old << "a stale log from an earlier run\n";
    }
    log_depth = 7;
    log_open();
    EXPECT_EQ(log_depth, 0);
    log("top");
    log_depth = 2;
    log("Engine inited");
    log("fps - %f", 50.0);
    log_close();
    EXPECT_EQ(read_file("vorlane.log"), "top\n  Engine inited\n  fps - 50.000000\n");
}

// The browser's log is its console, standard output: the lines go to the
// stream, no file is made, and closing the log leaves the stream usable.
TEST_F(log_file_test, a_stream_takes_the_lines_and_outlives_the_log)
{
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    log_to_stream(stream);
    EXPECT_TRUE(log_enabled);
    log("pressed spacebar - %d", 4827);
    log_close();
    EXPECT_FALSE(log_enabled);
    log("after the close");
    EXPECT_FALSE(std::filesystem::exists("vorlane.log"));
    ASSERT_GE(std::fputs("still open\n", stream), 0);
    std::rewind(stream);
    char text[64] = {};
    EXPECT_EQ(std::fread(text, 1, sizeof text - 1, stream), std::strlen("pressed spacebar - 4827\nstill open\n"));
    EXPECT_STREQ(text, "pressed spacebar - 4827\nstill open\n");
    std::fclose(stream);
}

TEST_F(log_file_test, unwritable_log_is_fatal)
{
    std::filesystem::create_directory("vorlane.log");  // a directory cannot be opened as the file
    EXPECT_EXIT(log_open(), testing::ExitedWithCode(fatal_exit_code), "Cannot open logfile");
}

TEST(fatal, prints_the_text_and_exits_255)
{
    EXPECT_EXIT(fatal("d3dCreate"), testing::ExitedWithCode(255), "^d3dCreate\n$");
}

TEST(fatal, failed_allocation_is_reported_not_ignored)
{
    EXPECT_EXIT(
        {
            install_out_of_memory_handler();
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
            // The sanitizers' allocators abort on the huge request before
            // operator new can fail, so call what it would call.
            std::get_new_handler()();
#else
            volatile std::size_t huge = std::size_t(1) << 62;
            char* p = new char[huge];
            p[0] = 1;
#endif
        },
        testing::ExitedWithCode(255), "Out of memory");
}

}  // namespace
}  // namespace vorlane
