// Where a scene's files are looked for: as written from the scene's
// folder, from the content folder, then by bare name beside the scene.
#include "scene/content_path.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace vorlane {
namespace {

namespace fs = std::filesystem;

class content_path : public testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("vorlane_content_" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "Scenes/Cars");
        fs::create_directories(root / "Objects/Cars");
        fs::create_directories(root / "LWO");
        write(root / "Objects/Cars/wheel.lwo", "wheel");
        write(root / "LWO/body.lwo", "body");
        write(root / "Scenes/Cars/door.lwo", "door");
    }
    void TearDown() override { fs::remove_all(root); }
    static void write(const fs::path& p, const char* text) { std::ofstream(p) << text; }
    std::string read(const std::string& written)
    {
        std::string bytes, found, message;
        if (!read_content_file((root / "Scenes/Cars").string(), written, "object file", bytes, found, message))
            return message;
        return bytes;
    }
    fs::path root;
};

TEST_F(content_path, paths_resolve_from_the_scene_the_content_folder_and_by_bare_name)
{
    EXPECT_EQ(read("../../LWO/body.lwo"), "body");
    EXPECT_EQ(read("..\\..\\LWO\\body.lwo"), "body");
    EXPECT_EQ(read("Objects/Cars/wheel.lwo"), "wheel");  // from the content folder
    EXPECT_EQ(read("Objects\\Cars\\wheel.lwo"), "wheel");
    EXPECT_EQ(read("C:\\Old\\Objects\\door.lwo"), "door");  // the bare name beside the scene
    EXPECT_EQ(read((root / "LWO/body.lwo").string()), "body");
    // A device is no file: it is not read, however long it would run.
    EXPECT_EQ(read("/dev/zero").rfind("Cannot open object file - /dev/zero", 0), 0u);
}

TEST_F(content_path, a_missing_file_names_the_path_as_written_and_each_place)
{
    const std::string scene = (root / "Scenes/Cars").string();
    EXPECT_EQ(read("Objects\\gone.lwo"), "Cannot open object file - Objects\\gone.lwo (looked for " + scene +
                                             "/Objects/gone.lwo, " + root.string() + "/Objects/gone.lwo, " +
                                             scene + "/gone.lwo)");
}

}  // namespace
}  // namespace vorlane
