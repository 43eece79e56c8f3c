// The memory file and the player's wrappers over the installed operations.
#include "music/mem_file.h"
#include "music/song_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vorlane {
namespace {

class mem_file_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 200; ++i)
            bytes.push_back(std::uint8_t(i));
        mem_file_set_source(bytes.data(), 200);
        handle = mem_file_open("ignored");
    }
    void TearDown() override { mem_file_close(handle); }

    std::vector<std::uint8_t> bytes;
    std::uintptr_t handle = 0;
};

TEST_F(mem_file_test, read_near_the_end_delivers_what_is_left_then_nothing)
{
    mem_file_seek(handle, 190, seek_set);
    std::uint8_t buffer[100] = {};
    EXPECT_EQ(mem_file_read(buffer, 100, handle), 10);
    EXPECT_EQ(buffer[0], 190);
    EXPECT_EQ(buffer[9], 199);
    EXPECT_EQ(mem_file_tell(handle), 200);
    EXPECT_EQ(mem_file_read(buffer, 100, handle), 0);
}

TEST_F(mem_file_test, seeks_are_clamped_to_the_file)
{
    mem_file_seek(handle, 0, seek_end);
    EXPECT_EQ(mem_file_tell(handle), 200);
    mem_file_seek(handle, 5000, seek_set);
    EXPECT_EQ(mem_file_tell(handle), 200);
    mem_file_seek(handle, -50, seek_end);
    EXPECT_EQ(mem_file_tell(handle), 150);
    mem_file_seek(handle, 20, seek_cur);
    EXPECT_EQ(mem_file_tell(handle), 170);
    mem_file_seek(handle, 3, 7);  // unknown mode: no move
    EXPECT_EQ(mem_file_tell(handle), 170);
    // Before the start would let the next read copy from outside the bytes.
    mem_file_seek(handle, -500, seek_cur);
    EXPECT_EQ(mem_file_tell(handle), 0);
}

TEST_F(mem_file_test, negative_counts_read_nothing)
{
    std::uint8_t buffer[4] = {};
    EXPECT_EQ(mem_file_read(buffer, -4, handle), 0);
    EXPECT_EQ(mem_file_tell(handle), 0);
}

TEST_F(mem_file_test, each_open_is_an_independent_record_at_position_zero)
{
    std::uintptr_t other = mem_file_open("another name");
    mem_file_seek(handle, 50, seek_set);
    EXPECT_EQ(mem_file_tell(other), 0);
    std::uint8_t b = 0;
    EXPECT_EQ(mem_file_read(&b, 1, other), 1);
    EXPECT_EQ(b, 0);
    mem_file_close(other);
}

std::uintptr_t failing_open(const char*)
{
    return 0;
}

TEST(song_file, one_missing_operation_clears_all_five)
{
    install_mem_file_callbacks();
    ASSERT_TRUE(file_callbacks_installed());
    set_file_callbacks(mem_file_open, mem_file_close, mem_file_read, mem_file_seek, nullptr);
    EXPECT_FALSE(file_callbacks_installed());
    EXPECT_EQ(song_file_open("x"), nullptr);
    install_mem_file_callbacks();
}

TEST(song_file, failed_open_gives_null_and_null_wrappers_do_nothing)
{
    set_file_callbacks(failing_open, mem_file_close, mem_file_read, mem_file_seek, mem_file_tell);
    EXPECT_EQ(song_file_open("x"), nullptr);
    std::uint8_t b = 0;
    EXPECT_EQ(song_file_read(&b, 1, nullptr), 0);
    EXPECT_EQ(song_file_tell(nullptr), 0);
    song_file_seek(nullptr, 3, seek_set);
    song_file_close(nullptr);
    install_mem_file_callbacks();
}

TEST(song_file, wrappers_pass_through_to_the_installed_operations)
{
    std::vector<std::uint8_t> bytes{1, 2, 3, 4, 5};
    mem_file_set_source(bytes.data(), 5);
    install_mem_file_callbacks();
    song_file* f = song_file_open("x");
    ASSERT_NE(f, nullptr);
    song_file_seek(f, 3, seek_set);
    std::uint8_t b[4] = {};
    EXPECT_EQ(song_file_read(b, 4, f), 2);
    EXPECT_EQ(b[0], 4);
    EXPECT_EQ(song_file_tell(f), 5);
    song_file_close(f);
}

}  // namespace
}  // namespace vorlane
