// Scratch folders: new and empty when made, gone with their contents when
// the object goes or another is made in its place.

#include "platform/scratch_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace vorlane {
namespace {

namespace fs = std::filesystem;

TEST(scratch_folder_test, is_new_and_empty_and_goes_with_its_contents)
{
    std::string first;
    std::string second;
    {
        scratch_folder a;
        scratch_folder b;
        ASSERT_TRUE(a.make("vorlane-test-"));
        ASSERT_TRUE(b.make("vorlane-test-"));
        EXPECT_NE(a.path, b.path);
        EXPECT_EQ(fs::path(a.path).parent_path(), fs::temp_directory_path());
        EXPECT_TRUE(fs::is_directory(a.path));
        EXPECT_TRUE(fs::is_empty(a.path));

        fs::create_directories(fs::path(a.path) / "inner");
        std::ofstream(fs::path(a.path) / "inner" / "file") << "data";
        first = a.path;
        ASSERT_TRUE(a.make("vorlane-test-"));
        EXPECT_FALSE(fs::exists(first)) << "made again, the old folder goes";
        std::ofstream(fs::path(b.path) / "file") << "data";
        second = a.path;
        b.remove();
        EXPECT_TRUE(b.path.empty());
    }
    EXPECT_FALSE(fs::exists(second));
}

}  // namespace
}  // namespace vorlane
