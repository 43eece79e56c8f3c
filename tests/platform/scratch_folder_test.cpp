// Scratch folders: new and empty when made, gone with their contents when
// the object goes, and an error, not a throw, when they cannot be made.

#include "platform/scratch_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace vorlane {
namespace {

namespace fs = std::filesystem;

// Points TMPDIR at a folder of the test's own for the life of the object.
class temporary_tmpdir {
public:
    explicit temporary_tmpdir(const fs::path& path)
    {
        const char* old = std::getenv("TMPDIR");
        had = old != nullptr;
        saved = old ? old : "";
        ::setenv("TMPDIR", path.c_str(), 1);
    }
    ~temporary_tmpdir()
    {
        if (had)
            ::setenv("TMPDIR", saved.c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }

    bool had = false;
    std::string saved;
};

TEST(scratch_folder_test, is_new_and_empty_and_goes_with_its_contents)
{
    const fs::path parent = fs::temp_directory_path() / ("vorlane_scratch_test_" + std::to_string(::getpid()));
    fs::remove_all(parent);
    fs::create_directories(parent);
    {
        temporary_tmpdir tmpdir(parent);
        std::string first_path;
        {
            scratch_folder a;
            scratch_folder b;
            ASSERT_TRUE(a.make("capture-"));
            ASSERT_TRUE(b.make("capture-"));
            EXPECT_NE(a.path, b.path);
            EXPECT_EQ(fs::path(a.path).parent_path(), parent);
            EXPECT_EQ(fs::path(a.path).filename().string().rfind("capture-", 0), 0u);
            EXPECT_TRUE(fs::is_directory(a.path));
            EXPECT_TRUE(fs::is_empty(a.path));

            fs::create_directories(fs::path(a.path) / "inner");
            std::ofstream(fs::path(a.path) / "inner" / "file") << "data";
            first_path = a.path;
            // Made again, the object owns a new folder and the old one goes.
            ASSERT_TRUE(a.make("again-"));
            EXPECT_FALSE(fs::exists(first_path));
            EXPECT_TRUE(fs::is_directory(a.path));
            std::ofstream(fs::path(b.path) / "file") << "data";
        }
        EXPECT_TRUE(fs::is_empty(parent)) << "every folder goes with its object";

        scratch_folder c;
        ASSERT_TRUE(c.make("x"));
        c.remove();
        EXPECT_TRUE(c.path.empty());
        EXPECT_TRUE(fs::is_empty(parent));
    }
    fs::remove_all(parent);
}

TEST(scratch_folder_test, a_folder_that_cannot_be_made_is_an_error)
{
    temporary_tmpdir tmpdir("/nonexistent/vorlane");
    scratch_folder s;
    EXPECT_FALSE(s.make("capture-"));
    EXPECT_TRUE(s.path.empty());
}

}  // namespace
}  // namespace vorlane
