#include "driver/options.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace vorlane {
namespace {

bool parse(std::initializer_list<const char*> args, options& out, std::string& error)
{
    std::vector<char*> argv{const_cast<char*>("vorlane")};
    for (const char* a : args)
        argv.push_back(const_cast<char*>(a));
    return parse_options(static_cast<int>(argv.size()), argv.data(), out, error);
}

TEST(options_test, defaults_are_full_screen_640_by_480)
{
    options o;
    std::string error;
    ASSERT_TRUE(parse({}, o, error));
    EXPECT_FALSE(o.windowed);
    EXPECT_EQ(o.resx, 640);
    EXPECT_EQ(o.resy, 480);
}

TEST(options_test, windowed_and_resolution_combine_with_the_others)
{
    options o;
    std::string error;
    ASSERT_TRUE(parse({"--windowed", "--resolution", "1024x768", "--log"}, o, error)) << error;
    EXPECT_TRUE(o.windowed);
    EXPECT_TRUE(o.log);
    EXPECT_EQ(o.resx, 1024);
    EXPECT_EQ(o.resy, 768);
}

TEST(options_test, malformed_resolutions_are_refused_by_name)
{
    for (const char* bad : {"640", "640x", "x480", "0x480", "640x0", "640x480x", "-640x480",
                            "640*480", "123456x480", "640x480 "}) {
        options o;
        std::string error;
        EXPECT_FALSE(parse({"--resolution", bad}, o, error)) << bad;
        EXPECT_NE(error.find(bad), std::string::npos) << error;
    }
    options o;
    std::string error;
    EXPECT_FALSE(parse({"--resolution"}, o, error));
    EXPECT_NE(error.find("--resolution"), std::string::npos);
}

}  // namespace
}  // namespace vorlane
