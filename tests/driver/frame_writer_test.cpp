// The capture's writer thread: frames come out in the order they went in,
// every one of them, and a failed write stops the rest.

#include "driver/frame_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace vorlane {
namespace {

std::vector<std::uint32_t> frame(std::uint32_t mark)
{
    return std::vector<std::uint32_t>(16, mark);
}

TEST(frame_writer_test, every_frame_is_written_once_in_order_with_its_number)
{
    std::vector<int> numbers;
    std::vector<std::uint32_t> marks;
    {
        frame_writer writer([&](int number, std::vector<std::uint32_t>& pixels) {
            numbers.push_back(number);
            marks.push_back(pixels.at(0));
            return true;
        });
        // Far more than the queue holds: pushing must wait, not drop.
        for (std::uint32_t k = 0; k < 500; ++k)
            ASSERT_TRUE(writer.push(frame(k * 7)));
        EXPECT_TRUE(writer.finish());
        ASSERT_EQ(numbers.size(), 500u);
        for (int k = 0; k < 500; ++k) {
            EXPECT_EQ(numbers[std::size_t(k)], k);
            EXPECT_EQ(marks[std::size_t(k)], std::uint32_t(k) * 7);
        }
        EXPECT_EQ(writer.failed, -1);
    }
    // What is pushed but never waited for is still written before the
    // writer goes.
    int written = 0;
    {
        frame_writer writer([&](int, std::vector<std::uint32_t>&) { return ++written, true; });
        for (int k = 0; k < 3; ++k)
            writer.push(frame(0));
    }
    EXPECT_EQ(written, 3);
}

TEST(frame_writer_test, a_failed_write_is_reported_by_number_and_nothing_after_it_is_written)
{
    std::vector<int> written;
    frame_writer writer([&](int number, std::vector<std::uint32_t>&) {
        if (number == 5)
            return false;
        written.push_back(number);
        return true;
    });
    int accepted = 0;
    for (int k = 0; k < 100; ++k)
        accepted += writer.push(frame(0));
    // The failure shows at the latest a queue's length after frame 5.
    EXPECT_LT(accepted, 100);
    EXPECT_FALSE(writer.finish());
    EXPECT_EQ(writer.failed, 5);
    EXPECT_EQ(written, (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_FALSE(writer.push(frame(0)));
}

}  // namespace
}  // namespace vorlane
