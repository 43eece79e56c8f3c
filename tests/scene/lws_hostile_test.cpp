// Scene files that lie: cut short, counts they cannot hold, endless lines,
// parents that do not exist. Each ends in "Invalid scene file" or loads
// what it holds; none reads or writes outside the text and the loader.
#include "tests/fuzz/fatal_trap.h"
#include "tests/fuzz/load_input.h"
#include "tests/scene/lws_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace vorlane {
namespace {

using test::fatal_message_of;
using test::lightwave_file;
using test::lws_fixture;

std::string outcome(const std::string& text, int first_object = 0)
{
    lws_fixture f(first_object);
    return fatal_message_of([&] { f.parse(text); });
}

const char* invalid = "Invalid scene file";

TEST(lws_hostile, every_cut_of_either_version_loads_or_is_invalid)
{
    for (const char* name : {"scene_v1.lws", "scene_v3.lws"}) {
        const std::string text = lightwave_file(name);
        lws_fixture f;
        int refused = 0;
        for (std::size_t cut = 0; cut < text.size(); ++cut) {
            f.s.no_objects = 0;
            f.s.no_lights = 0;
            const std::string message = fatal_message_of([&] { f.parse(text.substr(0, cut)); });
            if (cut < 4 || message == "I'm not able to handle this scene file version")
                continue;  // before the magic and the version are whole
            if (!message.empty()) {
                EXPECT_EQ(message, invalid) << name << " cut at " << cut;
                ++refused;
                continue;
            }
            for (int i = 0; i < f.s.no_objects; ++i) {
                const int parent = f.s.objects.at(i)->parent;
                EXPECT_TRUE(parent >= -1 && parent < f.s.no_objects) << name << " cut at " << cut;
            }
        }
        // Cuts inside a motion promise keys that are not there.
        EXPECT_GT(refused, 100) << name;
    }
}

TEST(lws_hostile, key_counts_must_be_held_by_the_lines_that_follow)
{
    const std::string v1 = "LWSC\n1\nShowCamera\nCameraMotion\n 9\n";
    const std::string key = " 1 2 3 4 5 6 7 8 9\n 10 0 0 0 0\n";
    EXPECT_EQ(outcome(v1 + " 1\n" + key), "");
    EXPECT_EQ(outcome(v1 + " 2\n" + key), invalid);
    EXPECT_EQ(outcome(v1 + " -1\n" + key), invalid);
    EXPECT_EQ(outcome(v1 + " 2147483647\n" + key), invalid);
    EXPECT_EQ(outcome(v1 + " 99999999999999999999\n" + key), invalid);
    EXPECT_EQ(outcome(v1 + " many\n" + key), invalid);

    const std::string v3 = "LWSC\n3\nShowCamera\nCameraMotion\nNumChannels 1\nChannel 0\n{ Envelope\n";
    EXPECT_EQ(outcome(v3 + "  1\n  Key 1 2\n  Behaviors 1 1\n}\n"), "");
    EXPECT_EQ(outcome(v3 + "  4\n  Key 1 2\n  Behaviors 1 1\n}\n"), invalid);
    EXPECT_EQ(outcome(v3 + "  1000000000\n  Key 1 2\n"), invalid);
    EXPECT_EQ(outcome(v3 + "  1\n  Key one two\n"), invalid);
}

TEST(lws_hostile, a_key_count_of_zero_leaves_the_track_empty)
{
    lws_fixture f;
    f.parse("LWSC\n3\nShowCamera\nCameraMotion\nNumChannels 1\nChannel 0\n{ Envelope\n  0\n  Behaviors 1 1\n}\n"
            "ZoomFactor (envelope)\n{ Envelope\n  0\n  Behaviors 1 1\n}\n");
    EXPECT_EQ(f.s.cam_anim.tracks[0].key_count, 0);
    EXPECT_EQ(f.s.cam_anim.tracks[0].period, 0.0f);
    EXPECT_EQ(f.s.fov_track.key_count, 0);
    EXPECT_EQ(f.s.fov_track.period, 0.0f);
}

TEST(lws_hostile, channel_counts_run_from_zero_to_nine)
{
    const std::string v3 = "LWSC\n3\nAddNullObject n\nObjectMotion\nNumChannels ";
    EXPECT_EQ(outcome(v3 + "0\n"), "");
    EXPECT_EQ(outcome(v3 + "10\n"), invalid);
    EXPECT_EQ(outcome(v3 + "-1\n"), invalid);
}

TEST(lws_hostile, long_lines_are_cut_and_read_past)
{
    const std::string long_word(100000, 'x');
    lws_fixture f;
    f.parse("LWSC\n1\n" + long_word + "\nLoadObject " + long_word + "\nFirstFrame 7 " + long_word +
            "\n" + std::string(100000, ' ') + "\nLastFrame 9\n");
    ASSERT_EQ(f.objects.names.size(), 1u);
    EXPECT_EQ(f.objects.names[0], std::string(999, 'x'));
    EXPECT_EQ(f.s.first_frame, 7);
    EXPECT_EQ(f.s.last_frame, 9);

    lws_fixture g;
    g.parse("LWSC\n3\nLoadObjectLayer 1 " + std::string(5000, 'd') + "/" + long_word + ".lwo\n");
    ASSERT_EQ(g.objects.names.size(), 1u);
    // The path was cut at the end of the line's room.
    EXPECT_EQ(g.objects.names[0], std::string(997, 'd'));
}

TEST(lws_hostile, parents_must_be_objects_of_the_scene)
{
    const std::string v3 = "LWSC\n3\nAddNullObject a\nAddNullObject b\nParentItem ";
    EXPECT_EQ(outcome(v3 + "10000000\n"), "");
    EXPECT_EQ(outcome(v3 + "10000002\n"), invalid);
    EXPECT_EQ(outcome(v3 + "1FFFFFFF\n"), invalid);
    EXPECT_EQ(outcome(v3 + "FFFFFFFFFFFFFFFFFFFF\n"), invalid);
    // A parent may come later in the file than its child.
    EXPECT_EQ(outcome(v3 + "10000002\nAddNullObject c\n"), "");

    const std::string v1 = "LWSC\n1\nLoadObject a.lwo\nParentObject ";
    EXPECT_EQ(outcome(v1 + "0\n"), "");  // none
    EXPECT_EQ(outcome(v1 + "0\n", 2), "");  // the object before the file's first
    EXPECT_EQ(outcome(v1 + "2\n"), invalid);
    EXPECT_EQ(outcome(v1 + "-5\n"), invalid);
    EXPECT_EQ(outcome(v1 + "2147483647\n"), invalid);
}

// Object 0 hangs from the last of n null objects, and each object k >= 2
// from object k - 1: placing object 0 first walks the whole chain.
std::string crafted_chain(int n)
{
    std::string text = "LWSC\n3\nLastFrame 0\n";
    char line[64];
    for (int i = 0; i < n; ++i) {
        const int parent = i == 0 ? n - 1 : i >= 2 ? i - 1 : -1;
        text += "AddNullObject n\n";
        if (parent >= 0) {
            std::snprintf(line, sizeof line, "ParentItem %x\n", 0x10000000 + parent);
            text += line;
        }
    }
    return text;
}

std::string loaded_and_played(const std::string& text)
{
    return test::load_input(test::loader_input::lws, reinterpret_cast<const std::uint8_t*>(text.data()),
                            text.size());
}

TEST(lws_hostile, a_chain_of_parents_as_long_as_the_scene_loads_and_plays)
{
    EXPECT_EQ(loaded_and_played(crafted_chain(100000)), "");
    // Each object hangs from the next, the last from none.
    std::string later = "LWSC\n3\n";
    char line[64];
    for (int i = 0; i < 50000; ++i) {
        std::snprintf(line, sizeof line, "AddNullObject n\nParentItem %x\n", 0x10000000 + i + 1);
        later += line;
    }
    later += "AddNullObject n\n";
    EXPECT_EQ(loaded_and_played(later), "");
}

TEST(lws_hostile, parents_that_loop_are_invalid)
{
    EXPECT_EQ(outcome("LWSC\n3\nAddNullObject a\nParentItem 10000000\n"), invalid);
    EXPECT_EQ(outcome("LWSC\n3\nAddNullObject a\nParentItem 10000001\nAddNullObject b\nParentItem 10000000\n"),
              invalid);
    std::string chain = crafted_chain(1000);
    chain += "ParentItem 10000000\n";  // the last one hangs from object 0 again
    EXPECT_EQ(outcome(chain), invalid);
    EXPECT_EQ(outcome("LWSC\n1\nLoadObject a.lwo\nParentObject 1\n"), invalid);
}

// A version-3 motion that stays at x along the x axis.
std::string still_motion(const char* kind, float x)
{
    std::string text = std::string(kind) + "Motion\nNumChannels 9\n";
    for (int k = 0; k < 9; ++k)
        text += "Channel " + std::to_string(k) + "\n{ Envelope\n  1\n  Key " +
                std::to_string(k == 0 ? x : k >= 6 ? 1.0f : 0.0f) + " 0\n  Behaviors 1 1\n}\n";
    return text;
}

TEST(lws_hostile, parent_lines_of_lights_and_the_camera_are_theirs)
{
    lws_fixture f;
    f.parse("LWSC\n3\nAddNullObject a\n" + still_motion("Object", 5) + "AddLight\n" + still_motion("Light", 0) +
            "ParentItem 10000000\nAddCamera\nShowCamera\n" + still_motion("Camera", 1) + "ParentItem 10000000\n");
    EXPECT_EQ(f.s.objects.at(0)->parent, -1);
    EXPECT_EQ(f.s.lights.at(0)->parent, 0);
    EXPECT_EQ(f.s.camera_parent, 0);
    // The light and the camera go where the object takes them.
    test::play_scene(f.s);
    EXPECT_EQ(f.s.lights.at(0)->position.x, 5.0f);
    EXPECT_EQ(f.s.view(3, 0), -6.0f);

    // A light of version 1 is not made: its parent line goes nowhere.
    lws_fixture g;
    g.parse("LWSC\n1\nLoadObject a.lwo\nAddLight\nParentObject 1\n");
    EXPECT_EQ(g.s.objects.at(0)->parent, -1);
    EXPECT_EQ(outcome("LWSC\n3\nAddLight\nParentItem 10000001\n"), invalid);
}

TEST(lws_hostile, an_object_loader_must_be_given_and_add_one_object)
{
    lws_loader loader;
    scene s(test_engine(), 0);
    EXPECT_EQ(test::fatal_message_of([&] { loader.parse("LWSC\n1\nLoadObject a.lwo\n", s); }),
              "No object loader for the scene's objects");
    struct adds_nothing : scene_loader {
    } nothing;
    loader.object_loader = &nothing;
    EXPECT_EQ(test::fatal_message_of([&] { loader.parse("LWSC\n3\nLoadObjectLayer 1 a.lwo\n", s); }), invalid);
}

TEST(lws_hostile, lines_about_an_item_before_any_item_are_ignored)
{
    lws_fixture f;
    f.parse("LWSC\n3\nPivotPosition 1 2 3\nParentItem 10000000\nLightColor 1 1 1\nLightType 1\n"
            "ObjectMotion\nNumChannels 1\n");
    EXPECT_EQ(f.s.no_objects, 0);
    EXPECT_EQ(f.s.no_lights, 0);
}

TEST(lws_hostile, a_nameless_object_layer_is_invalid)
{
    EXPECT_EQ(outcome("LWSC\n3\nLoadObjectLayer 1\n"), invalid);
    EXPECT_EQ(outcome("LWSC\n3\nLoadObjectLayer 1 Objects/\n"), invalid);
}

TEST(lws_hostile, a_zero_byte_ends_the_text)
{
    lws_fixture f;
    f.parse(std::string("LWSC\n1\nFirstFrame 3\n\0FirstFrame 4\n", 30));
    EXPECT_EQ(f.s.first_frame, 3);
}

TEST(lws_version_3, a_frame_range_at_another_rate_is_given_in_thirtieths_of_a_second)
{
    lws_fixture f;
    f.parse("LWSC\n3\nFirstFrame 5\nLastFrame 50\nFramesPerSecond 25\n");
    EXPECT_EQ(f.s.first_frame, 6);
    EXPECT_EQ(f.s.last_frame, 60);
    EXPECT_EQ(f.s.frames_per_second, 30.0f);
}

}  // namespace
}  // namespace vorlane
