// Scene files of versions 1 to 5 as the loader reads them: objects and their
// names, frames, motions and their units, pivots, parents, lights and the
// zoom factor, and the text's line ends.
#include "runtime/log.h"
#include "tests/scene/lws_test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace vorlane {
namespace {

using test::lightwave_file;
using test::lws_fixture;

void expect_key(const track& t, int i, float value, float time)
{
    ASSERT_LT(i, t.key_count);
    EXPECT_FLOAT_EQ(t.keys[i].value, value) << "key " << i;
    EXPECT_FLOAT_EQ(t.keys[i].time, time) << "key " << i;
}

void expect_same_track(const track& a, const track& b)
{
    ASSERT_EQ(a.key_count, b.key_count);
    EXPECT_EQ(a.period, b.period);
    for (int i = 0; i < a.key_count; ++i) {
        EXPECT_EQ(a.keys[i].value, b.keys[i].value);
        EXPECT_EQ(a.keys[i].time, b.keys[i].time);
    }
}

void expect_same_scene(scene& a, scene& b)
{
    ASSERT_EQ(a.no_objects, b.no_objects);
    ASSERT_EQ(a.no_lights, b.no_lights);
    for (int i = 0; i < a.no_objects; ++i) {
        object* x = a.objects.at(i);
        object* y = b.objects.at(i);
        EXPECT_EQ(x->parent, y->parent);
        EXPECT_EQ(x->pivot.x, y->pivot.x);
        for (int k = 0; k < 9; ++k)
            expect_same_track(x->anim.tracks[k], y->anim.tracks[k]);
    }
    for (int k = 0; k < 9; ++k)
        expect_same_track(a.cam_anim.tracks[k], b.cam_anim.tracks[k]);
    expect_same_track(a.fov_track, b.fov_track);
    EXPECT_EQ(a.first_frame, b.first_frame);
    EXPECT_EQ(a.last_frame, b.last_frame);
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

TEST(lws_version_1, objects_are_loaded_by_their_names_as_written_and_null_objects_are_not_made)
{
    lws_fixture f;
    f.parse(lightwave_file("scene_v1.lws"));
    EXPECT_EQ(f.objects.names, (std::vector<std::string>{"Objects/base.lwo", "Objects/arm.lwo", "Objects/hand.lwo"}));
    EXPECT_EQ(f.s.no_objects, 3);
    EXPECT_EQ(f.s.first_frame, 1);
    EXPECT_EQ(f.s.last_frame, 60);
    EXPECT_EQ(f.s.frames_per_second, 25.0f);
    EXPECT_EQ(f.loader.first_object, 0);
}

TEST(lws_version_1, parents_count_from_one_and_from_the_objects_already_in_the_scene)
{
    lws_fixture f(2);
    f.parse(lightwave_file("scene_v1.lws"));
    ASSERT_EQ(f.s.no_objects, 5);
    EXPECT_EQ(f.loader.first_object, 2);
    EXPECT_EQ(f.s.objects.at(2)->parent, -1);
    EXPECT_EQ(f.s.objects.at(3)->parent, 2);  // ParentObject 1
    EXPECT_EQ(f.s.objects.at(4)->parent, 3);  // ParentObject 2
}

TEST(lws_version_1, pivots_take_a_w_of_one_and_a_null_objects_pivot_goes_nowhere)
{
    lws_fixture f;
    f.parse(lightwave_file("scene_v1.lws"));
    const vector& base = f.s.objects.at(0)->pivot;
    EXPECT_EQ(base.x, 0.5f);
    EXPECT_EQ(base.y, 0.25f);
    EXPECT_EQ(base.z, 0.125f);
    EXPECT_EQ(base.w, 1.0f);
    const vector& arm = f.s.objects.at(1)->pivot;
    EXPECT_EQ(arm.x, 1.0f);
    EXPECT_EQ(arm.z, 3.0f);
    const vector& hand = f.s.objects.at(2)->pivot;
    EXPECT_EQ(hand.x, 0.0f);
    EXPECT_EQ(hand.w, 0.0f);
}

TEST(lws_version_1, motion_keys_turn_degrees_into_radians_by_the_single_precision_factor)
{
    lws_fixture f;
    f.parse(lightwave_file("scene_v1.lws"));
    const anim_transform& a = f.s.objects.at(0)->anim;
    EXPECT_EQ(a.tracks[3].keys[0].value, 1.5707952f);  // 90 degrees
    EXPECT_EQ(a.tracks[3].keys[0].value, 90 * 0.017453279f);
    expect_key(a.tracks[3], 1, 180 * 0.017453279f, 60);
    expect_key(a.tracks[4], 1, 45 * 0.017453279f, 60);
    expect_key(a.tracks[5], 1, -90 * 0.017453279f, 60);
    expect_key(a.tracks[0], 1, 1, 60);
    expect_key(a.tracks[2], 1, 3, 60);
    expect_key(a.tracks[8], 1, 2, 60);
    for (const track& t : a.tracks) {
        EXPECT_EQ(t.key_count, 2);
        EXPECT_EQ(t.period, 60.0f);
    }
}

TEST(lws_version_1, a_lights_motion_is_read_and_dropped)
{
    lws_fixture f;
    f.parse(lightwave_file("scene_v1.lws"));
    EXPECT_EQ(f.s.no_lights, 0);
    // Neither the last object nor the camera took the light's keys.
    const anim_transform& hand = f.s.objects.at(2)->anim;
    EXPECT_EQ(hand.tracks[0].key_count, 1);
    expect_key(hand.tracks[2], 0, 1, 0);
    expect_key(f.s.cam_anim.tracks[2], 0, -5, 0);
    expect_key(f.s.cam_anim.tracks[2], 1, -3, 30);
    EXPECT_EQ(f.s.cam_anim.tracks[2].period, 30.0f);
}

TEST(lws_version_1, a_zoom_envelope_gives_its_keys_and_a_zoom_value_one_key)
{
    lws_fixture f;
    f.parse(lightwave_file("scene_v1.lws"));
    ASSERT_EQ(f.s.fov_track.key_count, 2);
    expect_key(f.s.fov_track, 0, 3.2f, 0);
    expect_key(f.s.fov_track, 1, 1.6f, 30);
    EXPECT_EQ(f.s.fov_track.period, 30.0f);

    lws_fixture g;
    g.parse("LWSC\n1\nZoomFactor 2.5\n");
    ASSERT_EQ(g.s.fov_track.key_count, 1);
    expect_key(g.s.fov_track, 0, 2.5f, 0);
}

TEST(lws_text, windows_line_ends_and_lone_carriage_returns_read_as_line_feeds)
{
    const std::string text = lightwave_file("scene_v1.lws");
    lws_fixture plain;
    plain.parse(text);
    lws_fixture windows;
    windows.parse(replaced(text, "\n", "\r\n"));
    expect_same_scene(plain.s, windows.s);
    lws_fixture old_mac;
    old_mac.parse(replaced(text, "\n", "\r"));
    expect_same_scene(plain.s, old_mac.s);

    const std::string text3 = lightwave_file("scene_v3.lws");
    lws_fixture plain3;
    plain3.parse(text3);
    lws_fixture windows3;
    windows3.parse(replaced(text3, "\n", "\r\n"));
    expect_same_scene(plain3.s, windows3.s);
    EXPECT_EQ(windows3.objects.names, plain3.objects.names);
}

TEST(lws_text, blank_lines_between_keyword_lines_are_skipped)
{
    const std::string text = lightwave_file("scene_v3.lws");
    lws_fixture plain;
    plain.parse(text);
    lws_fixture spaced;
    spaced.parse(replaced(text, "\n\n", "\n\n\n\n\n"));
    expect_same_scene(plain.s, spaced.s);
    EXPECT_EQ(plain.s.no_lights, 3);
}

TEST(lws_version_3, objects_are_loaded_by_their_paths_as_written_and_null_objects_are_made)
{
    lws_fixture f;
    f.parse(lightwave_file("scene_v3.lws"));
    EXPECT_EQ(f.objects.names,
              (std::vector<std::string>{"C:\\Scenes\\Objects\\base.lwo", "Objects/arm.lwo", "hand.lwo"}));
    ASSERT_EQ(f.s.no_objects, 4);
    EXPECT_EQ(f.s.objects.at(1)->mesh_count, 0);  // the null object
    EXPECT_EQ(f.s.frames_per_second, 30.0f);
    EXPECT_EQ(f.s.last_frame, 60);
    EXPECT_EQ(f.s.no_meshes, 3);
}

TEST(lws_version_3, parent_items_drop_the_item_kind_and_count_from_the_first_object)
{
    lws_fixture f(3);
    f.parse(lightwave_file("scene_v3.lws"));
    ASSERT_EQ(f.s.no_objects, 7);
    EXPECT_EQ(f.s.objects.at(3)->parent, -1);
    EXPECT_EQ(f.s.objects.at(4)->parent, 3);  // 10000000
    EXPECT_EQ(f.s.objects.at(5)->parent, 4);  // 10000001
    EXPECT_EQ(f.s.objects.at(6)->parent, 5);  // 10000002

    lws_fixture g(1);
    g.parse("LWSC\n3\nAddNullObject a\nAddNullObject b\nAddNullObject c\nParentItem 10000003\nAddNullObject d\n");
    EXPECT_EQ(g.s.objects.at(3)->parent, 4);  // first_object + 3
}

TEST(lws_version_3, key_times_are_seconds_at_thirty_frames_and_rotations_stay_radians)
{
    lws_fixture f;
    f.parse(lightwave_file("scene_v3.lws"));
    const anim_transform& base = f.s.objects.at(0)->anim;
    expect_key(base.tracks[0], 0, 0, 0);
    expect_key(base.tracks[0], 1, 1, 30);
    expect_key(base.tracks[0], 2, 4, 60);  // the key at 2 s
    EXPECT_EQ(base.tracks[0].period, 60.0f);
    EXPECT_EQ(f.s.lights.at(0)->anim.tracks[4].keys[0].value, 1.5708f);
    const vector& pivot = f.s.objects.at(0)->pivot;
    EXPECT_EQ(pivot.y, 0.25f);
    EXPECT_EQ(pivot.w, 1.0f);
}

TEST(lws_version_3, six_channels_leave_the_scale_tracks_empty)
{
    lws_fixture f;
    f.parse(lightwave_file("scene_v3.lws"));
    const anim_transform& null_object = f.s.objects.at(1)->anim;
    expect_key(null_object.tracks[1], 0, 2, 0);
    for (int k = 6; k < 9; ++k) {
        EXPECT_EQ(null_object.tracks[k].key_count, 0);
        EXPECT_EQ(track_value(null_object.tracks[k], 12), 1.0f);
        EXPECT_EQ(f.s.cam_anim.tracks[k].key_count, 0);
    }
    expect_key(f.s.cam_anim.tracks[2], 0, -10, 0);
}

TEST(lws_version_3, lights_of_each_type_with_colour_intensity_and_cone)
{
    lws_fixture f;
    f.parse(lightwave_file("scene_v3.lws"));
    ASSERT_EQ(f.s.no_lights, 3);
    const light& sun = *f.s.lights.at(0);
    const light& bulb = *f.s.lights.at(1);
    const light& spot = *f.s.lights.at(2);
    EXPECT_EQ(sun.type, 3);
    EXPECT_EQ(bulb.type, 1);
    EXPECT_EQ(spot.type, 2);
    EXPECT_FLOAT_EQ(sun.colour.r, 0.5f);
    EXPECT_FLOAT_EQ(sun.colour.g, 0.25f);
    EXPECT_FLOAT_EQ(sun.colour.b, 0.125f);
    EXPECT_FLOAT_EQ(bulb.colour.r, 0.4f);
    EXPECT_FLOAT_EQ(bulb.colour.b, 1.2f);
    EXPECT_EQ(spot.falloff, 0.25f);
    EXPECT_EQ(spot.cone_angle, 30.0f);
    EXPECT_EQ(spot.edge_angle, 5.0f);
    expect_key(bulb.anim.tracks[0], 0, 1, 0);
    expect_key(bulb.anim.tracks[2], 0, 3, 0);
}

TEST(lws_version_3, a_zoom_envelope_is_read_like_a_motion_channel)
{
    lws_fixture f;
    f.parse(lightwave_file("scene_v3.lws"));
    ASSERT_EQ(f.s.fov_track.key_count, 2);
    expect_key(f.s.fov_track, 0, 3.2f, 0);
    expect_key(f.s.fov_track, 1, 1.6f, 60);
    EXPECT_EQ(f.s.fov_track.period, 60.0f);
}

TEST(lws_version_2, null_objects_and_lights_are_made_and_colours_are_bytes)
{
    lws_fixture f;
    f.parse(lightwave_file("scene_v2.lws"));
    EXPECT_EQ(f.objects.names, (std::vector<std::string>{"Objects\\base.lwo", "Objects\\arm.lwo"}));
    ASSERT_EQ(f.s.no_objects, 3);
    EXPECT_EQ(f.s.objects.at(1)->mesh_count, 0);  // the null object
    EXPECT_EQ(f.s.objects.at(1)->parent, 0);
    EXPECT_EQ(f.s.objects.at(2)->parent, 1);
    EXPECT_EQ(f.s.objects.at(2)->pivot.y, 0.5f);
    // Motions are read as in version 1: frames, degrees.
    expect_key(f.s.objects.at(0)->anim.tracks[3], 1, 90 * 0.017453279f, 30);
    EXPECT_EQ(f.s.frames_per_second, 15.0f);
    EXPECT_EQ(f.s.last_frame, 30);

    ASSERT_EQ(f.s.no_lights, 1);
    const light& l = *f.s.lights.at(0);
    EXPECT_EQ(l.type, 1);
    EXPECT_FLOAT_EQ(l.colour.r, 0.5f);
    EXPECT_FLOAT_EQ(l.colour.g, 128 / 255.0f * 0.5f);
    EXPECT_FLOAT_EQ(l.colour.b, 0);
    EXPECT_EQ(l.ambient_share, 0.0f);
    expect_key(l.anim.tracks[4], 0, 45 * 0.017453279f, 0);
    EXPECT_EQ(f.s.ambient, 0xFF404040u);  // white at 0.25
    expect_key(f.s.cam_anim.tracks[2], 0, -4, 0);
}

// Records the layers asked for as well.
struct layered_objects : scene_loader {
    std::vector<std::pair<std::string, int>> asked;
    void load_layer(std::string_view name, int layer, scene& s) override
    {
        asked.emplace_back(name, layer);
        s.add_object(1)->parent = -1;
    }
};

TEST(lws_version_5, numbered_items_layers_envelopes_and_lights)
{
    lws_fixture f;
    layered_objects objects;
    f.loader.object_loader = &objects;
    f.parse(lightwave_file("scene_v5.lws"));
    EXPECT_EQ(objects.asked, (std::vector<std::pair<std::string, int>>{{"Objects/base.lwo", 1}, {"Objects/base.lwo", 2}}));
    ASSERT_EQ(f.s.no_objects, 3);
    EXPECT_EQ(f.s.objects.at(1)->parent, 0);
    EXPECT_EQ(f.s.objects.at(2)->parent, 1);
    EXPECT_EQ(f.s.objects.at(2)->pivot.y, 1.0f);

    // Linear keys repeating after the last; a spline whose keys go on in
    // a straight line holding its last, as constant tracks do.
    const anim_transform& base = f.s.objects.at(0)->anim;
    expect_key(base.tracks[0], 2, 4, 60);
    EXPECT_EQ(base.tracks[0].spline, 0);
    EXPECT_EQ(base.tracks[0].end_mode, end_wrap);
    EXPECT_FLOAT_EQ(track_value(base.tracks[0], 75), 1);
    EXPECT_EQ(base.tracks[1].spline, 1);
    EXPECT_EQ(base.tracks[1].end_mode, end_hold);
    EXPECT_FLOAT_EQ(track_value(base.tracks[1], 60), 1);
    EXPECT_EQ(base.tracks[6].end_mode, end_hold);

    ASSERT_EQ(f.s.no_lights, 1);
    const light& bulb = *f.s.lights.at(0);
    EXPECT_EQ(bulb.type, 1);
    EXPECT_EQ(bulb.parent, 2);
    // The intensity envelope is taken at its start.
    EXPECT_FLOAT_EQ(bulb.colour.r, 0.8f);
    EXPECT_FLOAT_EQ(bulb.colour.g, 0.4f);
    EXPECT_FLOAT_EQ(bulb.colour.b, 0.2f);
    EXPECT_EQ(f.s.ambient, 0xFF404080u);
    expect_key(f.s.cam_anim.tracks[2], 0, -5, 0);
    EXPECT_EQ(f.s.camera_parent, -1);
}

TEST(lws_version_5, only_the_first_camera_is_the_scenes)
{
    lws_fixture f;
    f.parse("LWSC\n4\nAddCamera 30000000\nCameraMotion\nNumChannels 1\nChannel 0\n{ Envelope\n  1\n  Key 1 0\n"
            "  Behaviors 1 1\n}\nAddCamera 30000001\nShowCamera 1 2\nCameraMotion\nNumChannels 1\nChannel 0\n"
            "{ Envelope\n  1\n  Key 2 0\n  Behaviors 1 1\n}\n");
    expect_key(f.s.cam_anim.tracks[0], 0, 1, 0);
}

TEST(lws_lights, colours_of_later_versions_are_fractions_unless_beyond_one)
{
    lws_fixture f;
    f.parse("LWSC\n3\nAddLight\nLightIntensity 0.5\nLightColor 1 0.5 0\nAddLight\nLightColor 255 51 0\n"
            "LightType 4\nAmbIntensity 0.5\n");
    EXPECT_FLOAT_EQ(f.s.lights.at(0)->colour.r, 0.5f);  // the intensity before the colour still counts
    EXPECT_FLOAT_EQ(f.s.lights.at(0)->colour.g, 0.25f);
    EXPECT_FLOAT_EQ(f.s.lights.at(1)->colour.g, 0.2f);
    EXPECT_EQ(f.s.lights.at(0)->type, 3);  // distant, as LightWave makes them
    EXPECT_EQ(f.s.lights.at(1)->type, 1);  // an area light lights as a point
    EXPECT_EQ(f.s.ambient, 0xFF808080u);

    lws_fixture plain;
    plain.parse("LWSC\n3\nAddLight\n");
    EXPECT_EQ(plain.s.ambient, frame_ambient);  // no ambient line: the frame's own
}

TEST(lws_failures, each_has_its_message)
{
    lws_fixture f;
    EXPECT_EXIT(f.parse("LWOB\n1\n"), testing::ExitedWithCode(255), "^Invalid scene file\n$");
    EXPECT_EXIT(f.parse("LWSC\n6\n"), testing::ExitedWithCode(255),
                "^I'm not able to handle this scene file version\n$");
    EXPECT_EXIT(f.parse("LWSC\n3\nLoadObjectLayer NullObject\n"), testing::ExitedWithCode(255),
                "^Loading null object\\?\n$");
    EXPECT_EXIT(f.loader.load("/nonexistent/scene.lws", f.s), testing::ExitedWithCode(255),
                "^Cannot open scene file - /nonexistent/scene.lws\n$");
}

// The log goes to "vorlane.log" in the working directory: each test that
// reads it works in a folder of its own.
class lws_log : public testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("vorlane_lws_log_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir);
        log_open();
    }
    void TearDown() override
    {
        log_close();
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(dir);
    }
    std::string logged()
    {
        log_close();
        std::ifstream in("vorlane.log");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::filesystem::path dir, previous;
};

TEST_F(lws_log, a_scene_without_objects_logs_no_subobjects)
{
    lws_fixture f;
    f.parse("LWSC\n1\nFirstFrame 0\nLastFrame 10\n");
    EXPECT_EQ(logged(), "no subobjs - 0\n");
}

TEST_F(lws_log, the_meshes_of_every_object_in_the_scene_are_listed_and_counted)
{
    lws_fixture f(2);
    f.s.objects.at(0)->mesh_count = 0;
    f.parse(lightwave_file("scene_v1.lws"));
    EXPECT_EQ(f.s.no_meshes, 3);
    EXPECT_EQ(*f.s.draw_list.at(0), &f.s.objects.at(2)->meshes[0]);
    EXPECT_EQ(logged(), "no subobjs - 3\n");
}

}  // namespace
}  // namespace vorlane
