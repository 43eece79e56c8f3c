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
    EXPECT_FALSE(o.resolution_given);  // the setup dialog asks
    EXPECT_FALSE(o.loop);
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
    EXPECT_TRUE(o.resolution_given);
}

TEST(options_test, loop_needs_an_end_of_its_own)
{
    options o;
    std::string error;
    ASSERT_TRUE(parse({"--loop", "--windowed"}, o, error)) << error;
    EXPECT_TRUE(o.loop);
    options span;
    ASSERT_TRUE(parse({"--capture", "x", "--to", "400000", "--loop"}, span, error)) << error;
    EXPECT_TRUE(span.loop);

    // The benchmark and a capture without --to would never finish.
    options bench;
    EXPECT_FALSE(parse({"--loop", "--bench"}, bench, error));
    EXPECT_NE(error.find("--loop"), std::string::npos) << error;
    options endless;
    EXPECT_FALSE(parse({"--loop", "--capture", "x"}, endless, error));
    EXPECT_NE(error.find("--to"), std::string::npos) << error;
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

TEST(options_test, capture_takes_its_span_and_frame_rate)
{
    options o;
    std::string error;
    ASSERT_TRUE(parse({"--capture", "/tmp/show", "--fps", "30", "--from", "1000", "--to", "20000"}, o, error))
        << error;
    EXPECT_EQ(o.capture, "/tmp/show");
    EXPECT_EQ(o.fps, 30);
    EXPECT_EQ(o.from, 1000);
    EXPECT_EQ(o.to, 20000);

    options plain;
    ASSERT_TRUE(parse({"--capture", "show.mp4", "--no-sound"}, plain, error)) << error;
    EXPECT_EQ(plain.fps, 25);
    EXPECT_EQ(plain.from, 0);
    EXPECT_EQ(plain.to, -1);  // to the end of the song
    EXPECT_TRUE(plain.no_sound);

    options quiet;
    ASSERT_TRUE(parse({"--no-sound"}, quiet, error)) << error;
    EXPECT_TRUE(quiet.no_sound);
    EXPECT_TRUE(quiet.capture.empty());
}

TEST(options_test, capture_values_out_of_range_or_malformed_are_refused)
{
    const std::vector<std::vector<const char*>> bad = {
        {"--capture", "x", "--fps", "0"},
        {"--capture", "x", "--fps", "1001"},
        {"--capture", "x", "--fps", "25x"},
        {"--capture", "x", "--fps", ""},
        {"--capture", "x", "--fps", "-5"},
        {"--capture", "x", "--from", "1.5"},
        {"--capture", "x", "--to", "99999999999999999999"},
        {"--capture", "x", "--to", "86400001"},
        {"--capture", "x", "--from", "5000", "--to", "5000"},
        {"--capture", "x", "--from", "6000", "--to", "5000"},
        {"--capture", ""},
    };
    for (const auto& args : bad) {
        std::vector<char*> argv{const_cast<char*>("vorlane")};
        std::string joined;
        for (const char* a : args) {
            argv.push_back(const_cast<char*>(a));
            joined += std::string(a) + " ";
        }
        options o;
        std::string error;
        EXPECT_FALSE(parse_options(static_cast<int>(argv.size()), argv.data(), o, error)) << joined;
        EXPECT_FALSE(error.empty()) << joined;
    }
}

TEST(options_test, a_video_needs_an_even_size_and_frames_take_any)
{
    // The encoder would give up on the first frame, after the whole
    // start-up and everything before --from had been drawn.
    for (const char* size : {"641x480", "640x481", "1x1"}) {
        options o;
        std::string error;
        EXPECT_FALSE(parse({"--capture", "show.mp4", "--resolution", size}, o, error)) << size;
        EXPECT_NE(error.find(size), std::string::npos) << error;
        options frames;
        EXPECT_TRUE(parse({"--capture", "show", "--resolution", size}, frames, error)) << error;
    }
    options o;
    std::string error;
    EXPECT_TRUE(parse({"--capture", "show.MP4", "--resolution", "1920x1080"}, o, error)) << error;
}

TEST(options_test, span_and_frame_rate_need_capture)
{
    for (const char* name : {"--fps", "--from", "--to"}) {
        options o;
        std::string error;
        EXPECT_FALSE(parse({name, "10"}, o, error)) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }
}

TEST(options_test, options_that_take_a_value_refuse_to_end_the_line)
{
    for (const char* name : {"--capture", "--fps", "--from", "--to", "--resolution"}) {
        options o;
        std::string error;
        EXPECT_FALSE(parse({"--capture", "x", name}, o, error)) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }
}

TEST(options_test, bench_takes_a_resolution_but_no_capture)
{
    options o;
    std::string error;
    ASSERT_TRUE(parse({"--bench", "--resolution", "1280x1024"}, o, error)) << error;
    EXPECT_TRUE(o.bench);
    EXPECT_EQ(o.resx, 1280);
    // Its pace is fixed: the capture's frame rate and span do not apply.
    for (const char* name : {"--capture", "--fps"}) {
        options both;
        EXPECT_FALSE(parse({"--bench", name, "10"}, both, error)) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace vorlane
