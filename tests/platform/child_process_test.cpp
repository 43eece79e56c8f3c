// Programs started from ours: every byte reaches them, their exit status
// comes back, and one that quits or never starts is an error, not a crash.

#include "platform/child_process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace vorlane {
namespace {

std::string read_text(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(child_process_test, every_byte_reaches_the_program_and_its_exit_status_comes_back)
{
    const std::string count =
        (std::filesystem::temp_directory_path() / ("vorlane_child_" + std::to_string(::getpid()))).string();
    pipe_to_program p;
    ASSERT_TRUE(p.start({"sh", "-c", "wc -c > \"$0\"", count}));
    // More than a pipe holds, in pieces of odd sizes.
    const std::vector<char> data(1 << 20, 'x');
    for (std::size_t sent = 0, piece = 1; sent < data.size(); sent += piece, piece = piece * 3 + 1)
        ASSERT_TRUE(p.write(data.data() + sent, std::min(piece, data.size() - sent)));
    EXPECT_TRUE(p.finish());
    EXPECT_EQ(std::stol(read_text(count)), long(data.size()));
    std::filesystem::remove(count);

    ASSERT_TRUE(p.start({"sh", "-c", "cat > /dev/null; exit 3"}));
    EXPECT_FALSE(p.finish());
    EXPECT_TRUE(run_program({"sh", "-c", "exit 0"}));
    EXPECT_FALSE(run_program({"sh", "-c", "exit 1"}));
}

TEST(child_process_test, a_program_that_quits_early_fails_the_write_and_keeps_its_own_sigpipe)
{
    pipe_to_program p;
    // We ignore SIGPIPE for ourselves; the program must not inherit that,
    // or it would carry on writing into a closed pipe instead of stopping.
    ASSERT_TRUE(p.start({"sh", "-c", "test $(( 0x$(sed -n 's/^SigIgn:\\s*//p' /proc/$$/status) & 0x1000 )) -eq 0"}));
    EXPECT_TRUE(p.finish()) << "SIGPIPE is ignored in the program";

    // Larger than the pipe: the write can only end once the reader is gone,
    // and it must end as an error rather than a signal that kills us.
    ASSERT_TRUE(p.start({"sh", "-c", "exit 0"}));
    const std::vector<char> data(4 << 20, 'x');
    EXPECT_FALSE(p.write(data.data(), data.size()));
    EXPECT_TRUE(p.finish());
}

TEST(child_process_test, a_missing_program_is_an_error)
{
    pipe_to_program p;
    EXPECT_FALSE(p.start({"vorlane-no-such-program"}));
    EXPECT_FALSE(p.write("a", 1));
    EXPECT_FALSE(p.finish());
    EXPECT_FALSE(run_program({"vorlane-no-such-program"}));
    EXPECT_FALSE(run_program({}));
}

}  // namespace
}  // namespace vorlane
