// Programs started from ours: every byte reaches them, their exit status
// comes back, and one that quits or never starts is an error, not a crash.

#include "platform/child_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace vorlane {
namespace {

namespace fs = std::filesystem;

class child_process_test : public testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("vorlane_child_process_test_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string read_text(const fs::path& path)
    {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path dir;
};

TEST_F(child_process_test, every_byte_reaches_the_program_and_its_exit_status_comes_back)
{
    const std::string count = (dir / "count").string();
    pipe_to_program p;
    // More than a pipe holds, in pieces of odd sizes.
    ASSERT_TRUE(p.start({"sh", "-c", "wc -c > \"$0\"", count}));
    const std::vector<char> data(1 << 20, 'x');
    std::size_t sent = 0;
    for (std::size_t piece = 1; sent < data.size(); piece = piece * 3 + 1) {
        const std::size_t n = std::min(piece, data.size() - sent);
        ASSERT_TRUE(p.write(data.data() + sent, n));
        sent += n;
    }
    EXPECT_TRUE(p.finish());
    EXPECT_EQ(std::stol(read_text(count)), long(data.size()));

    pipe_to_program failing;
    ASSERT_TRUE(failing.start({"sh", "-c", "cat > /dev/null; exit 3"}));
    EXPECT_TRUE(failing.write("abc", 3));
    EXPECT_FALSE(failing.finish());
    EXPECT_FALSE(failing.finish()) << "a second finish has no program left to succeed";

    EXPECT_TRUE(run_program({"sh", "-c", "exit 0"}));
    EXPECT_FALSE(run_program({"sh", "-c", "exit 1"}));
}

TEST_F(child_process_test, a_program_that_quits_early_makes_the_write_fail)
{
    pipe_to_program p;
    ASSERT_TRUE(p.start({"sh", "-c", "exit 0"}));
    // Larger than the pipe: the write can only end once the reader is gone,
    // and it must end as an error rather than a SIGPIPE that kills us.
    const std::vector<char> data(4 << 20, 'x');
    EXPECT_FALSE(p.write(data.data(), data.size()));
    EXPECT_TRUE(p.finish());
    EXPECT_FALSE(p.write("a", 1)) << "nothing to write to once finished";
}

TEST_F(child_process_test, the_program_gets_sigpipe_back_in_its_default_state)
{
    // We ignore SIGPIPE for ourselves; a program left ignoring it would
    // carry on writing into a closed pipe instead of stopping.
    const std::string status = (dir / "status").string();
    pipe_to_program p;
    ASSERT_TRUE(p.start({"sh", "-c", "grep SigIgn /proc/$$/status > \"$0\"", status}));
    EXPECT_TRUE(p.finish());
    const std::string line = read_text(status);
    ASSERT_EQ(line.rfind("SigIgn:", 0), 0u) << line;
    const unsigned long long ignored = std::stoull(line.substr(7), nullptr, 16);
    EXPECT_EQ(ignored & (1ull << (13 - 1)), 0u) << line;  // SIGPIPE is 13
}

TEST_F(child_process_test, a_missing_program_is_an_error)
{
    pipe_to_program p;
    EXPECT_FALSE(p.start({"vorlane-no-such-program"}));
    EXPECT_FALSE(p.write("a", 1));
    EXPECT_FALSE(p.finish());
    EXPECT_FALSE(p.start({}));
    EXPECT_FALSE(run_program({"vorlane-no-such-program"}));
    EXPECT_FALSE(run_program({}));
}

TEST_F(child_process_test, only_executable_files_on_path_count_as_programs)
{
    const char* old = std::getenv("PATH");
    const std::string saved = old ? old : "";
    EXPECT_TRUE(program_on_path("sh"));
    EXPECT_FALSE(program_on_path("vorlane-no-such-program"));

    const fs::path tool = dir / "tool";
    std::ofstream(tool) << "#!/bin/sh\n";
    fs::create_directories(dir / "folder");
    ::setenv("PATH", ("/nonexistent::" + dir.string()).c_str(), 1);
    fs::permissions(tool, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(program_on_path("tool")) << "not executable";
    EXPECT_FALSE(program_on_path("folder")) << "a folder is no program";
    fs::permissions(tool, fs::perms::owner_all);
    EXPECT_TRUE(program_on_path("tool"));
    ::unsetenv("PATH");
    EXPECT_FALSE(program_on_path("tool"));
    ::setenv("PATH", saved.c_str(), 1);
}

}  // namespace
}  // namespace vorlane
