#include "data/scene_images.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vorlane {
namespace {

std::vector<unsigned char> file_bytes(const char* name)
{
    std::ifstream in(std::string(VORLANE_SOURCE_DIR) + "/data/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(scene_images, the_program_carries_the_checked_in_images_whole)
{
    const std::vector<unsigned char> part2 = file_bytes("part2.csf");
    const std::vector<unsigned char> part5 = file_bytes("part5.csf");
    ASSERT_EQ(part2_image_length, 3685);
    ASSERT_EQ(part5_image_length, 2110);
    EXPECT_EQ(std::vector<unsigned char>(part2_image, part2_image + part2_image_length), part2);
    EXPECT_EQ(std::vector<unsigned char>(part5_image, part5_image + part5_image_length), part5);
}

}  // namespace
}  // namespace vorlane
