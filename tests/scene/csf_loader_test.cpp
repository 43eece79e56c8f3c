#include "scene/csf_loader.h"
#include "scene/scene.h"
#include "tests/engine/test_engine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vorlane {
namespace {

std::vector<std::uint8_t> raw(const char* text)
{
    return std::vector<std::uint8_t>(text, text + std::strlen(text));
}

// Builds images record by record.
struct csf_bytes {
    std::vector<std::uint8_t> bytes = raw("CSF!");

    void int32(std::int32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i)));
    }
    void float32(float v)
    {
        std::int32_t bits;
        std::memcpy(&bits, &v, 4);
        int32(bits);
    }
    // n keys; key i has time 10 i and values base + i for the nine tracks
    // (value j of key i is base + i + j / 10).
    void record(char tag, int n, float base)
    {
        bytes.push_back(static_cast<std::uint8_t>(tag));
        int32(n);
        for (int i = 0; i < n; ++i) {
            int32(10 * i);
            for (int j = 0; j < 9; ++j)
                float32(base + static_cast<float>(i) + static_cast<float>(j) / 10);
        }
    }
    std::vector<std::uint8_t>& end()
    {
        bytes.push_back(0);
        return bytes;
    }
};

std::vector<std::uint8_t> image_file(const char* name)
{
    std::ifstream in(std::string(VORLANE_SOURCE_DIR) + "/data/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class csf_test : public testing::Test {
protected:
    // The GL driver runs threads of its own: death tests must re-execute.
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
    scene s{test_engine(), 0};
};

TEST_F(csf_test, an_empty_image_loads_nothing_but_still_sets_the_frame_rate)
{
    csf_scene csf;
    s.no_objects = 3;
    std::vector<std::uint8_t> bytes = csf_bytes{}.end();
    csf.load(s, bytes.data(), bytes.size());
    EXPECT_EQ(csf.anim.first_object, 3);
    EXPECT_EQ(csf.anim.end_object, 3);
    EXPECT_EQ(s.frames_per_second, 30.0f);
    ASSERT_EQ(s.no_effects, 1);
    EXPECT_EQ(*s.effects.at(0), &csf.anim);
}

TEST_F(csf_test, records_fill_object_and_camera_tracks)
{
    csf_bytes image;
    image.record('o', 1, 5);
    image.record('o', 3, 20);
    image.record('c', 2, 40);
    std::vector<std::uint8_t>& bytes = image.end();
    csf_scene csf;
    csf.load(s, bytes.data(), bytes.size());
    ASSERT_EQ(s.no_objects, 2);
    EXPECT_EQ(csf.anim.end_object, 2);

    // One key: constant everywhere.
    const object* first = s.objects.at(0);
    EXPECT_EQ(first->parent, -1);
    EXPECT_FLOAT_EQ(track_value(first->anim.tracks[4], 123), 5.4f);

    const object* second = s.objects.at(1);
    for (int j = 0; j < 9; ++j) {
        ASSERT_EQ(second->anim.tracks[j].key_count, 3);
        EXPECT_EQ(second->anim.tracks[j].period, 20);  // the last key's time
        EXPECT_EQ(second->anim.tracks[j].keys[2].time, 20);
        EXPECT_FLOAT_EQ(second->anim.tracks[j].keys[2].value, 22 + j / 10.0f);
    }
    EXPECT_EQ(s.cam_anim.tracks[0].key_count, 2);
    ASSERT_EQ(s.fov_track.key_count, 1);
    EXPECT_EQ(track_value(s.fov_track, 500), 1.5f);
}

TEST_F(csf_test, existing_objects_keep_their_meshes_and_world)
{
    object* o = s.add_object(2);
    o->world.move(1, 2, 3);
    o->pivot = vector{4, 5, 6, 0};
    o->parent = 7;
    s.no_objects = 0;
    csf_bytes image;
    image.record('o', 1, 0);
    std::vector<std::uint8_t>& bytes = image.end();
    csf_scene csf;
    csf.load(s, bytes.data(), bytes.size());
    o = s.objects.at(0);
    EXPECT_EQ(o->mesh_count, 2);
    EXPECT_EQ(o->world(3, 1), 2);
    EXPECT_EQ(o->pivot.x, 0);
    EXPECT_EQ(o->parent, -1);
}

TEST_F(csf_test, a_second_camera_record_replaces_the_first)
{
    csf_bytes image;
    image.record('c', 2, 1);
    image.record('c', 4, 9);
    std::vector<std::uint8_t>& bytes = image.end();
    csf_loader loader;
    loader.load(bytes.data(), bytes.size(), s);
    EXPECT_EQ(s.cam_anim.tracks[8].key_count, 4);
    EXPECT_FLOAT_EQ(s.cam_anim.tracks[0].keys[0].value, 9);
    EXPECT_EQ(s.fov_track.key_count, 1);
}

TEST_F(csf_test, the_show_images_have_their_records_and_sizes)
{
    struct expected {
        const char* file;
        std::size_t size;
        int objects;
        int camera_keys;
        int last_camera_time;
    };
    for (const expected& e : {expected{"part2.csf", 3685, 15, 20, 710}, expected{"part5.csf", 2110, 12, 29, 752}}) {
        SCOPED_TRACE(e.file);
        const std::vector<std::uint8_t> bytes = image_file(e.file);
        ASSERT_EQ(bytes.size(), e.size);
        scene fresh(test_engine(), 0);
        csf_loader loader;
        loader.load(bytes.data(), bytes.size(), fresh);
        EXPECT_EQ(loader.cursor - bytes.data(), static_cast<long>(e.size));  // consumed to the end marker
        EXPECT_EQ(fresh.no_objects, e.objects);
        EXPECT_EQ(fresh.cam_anim.tracks[0].key_count, e.camera_keys);
        EXPECT_EQ(fresh.cam_anim.tracks[0].period, e.last_camera_time);
    }
}

TEST_F(csf_test, the_second_part_image_has_the_described_keys)
{
    const std::vector<std::uint8_t> bytes = image_file("part2.csf");
    csf_loader loader;
    loader.load(bytes.data(), bytes.size(), s);
    const int key_counts[15] = {1, 9, 6, 3, 4, 4, 4, 4, 4, 6, 6, 6, 6, 6, 1};
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(s.objects.at(i)->anim.tracks[0].key_count, key_counts[i]) << "object " << i;
    const object* title = s.objects.at(1);
    EXPECT_EQ(title->anim.tracks[0].period, 710);
    EXPECT_FLOAT_EQ(title->anim.tracks[6].keys[3].value, 0.125f);
    EXPECT_FLOAT_EQ(title->anim.tracks[7].keys[3].value, -0.125f);  // upright for the camera
    EXPECT_LT(s.objects.at(2)->anim.tracks[1].keys[1].value, -50);
    EXPECT_EQ(s.objects.at(2)->anim.tracks[1].keys[1].time, 346);
    EXPECT_EQ(s.objects.at(3)->anim.tracks[1].keys[1].time, 353);
    const object* tunnel = s.objects.at(14);
    EXPECT_FLOAT_EQ(tunnel->anim.tracks[0].keys[0].value, 36);
    EXPECT_FLOAT_EQ(tunnel->anim.tracks[3].keys[0].value, -1.5708f);  // lying along z
    EXPECT_EQ(tunnel->anim.tracks[6].keys[0].value, 50);
    EXPECT_FLOAT_EQ(s.cam_anim.tracks[2].keys[19].value, 59.9f);
}

TEST_F(csf_test, the_fifth_part_image_keeps_its_centres_inside_the_box)
{
    const std::vector<std::uint8_t> bytes = image_file("part5.csf");
    csf_loader loader;
    loader.load(bytes.data(), bytes.size(), s);
    EXPECT_FLOAT_EQ(s.objects.at(0)->anim.tracks[6].keys[0].value, 100.002f);
    EXPECT_EQ(s.objects.at(1)->anim.tracks[0].key_count, 5);
    EXPECT_EQ(s.objects.at(2)->anim.tracks[0].key_count, 7);
    for (int i = 3; i < 12; ++i)
        EXPECT_EQ(s.objects.at(i)->anim.tracks[0].key_count, 1);
    for (int c = 4; c <= 8; ++c)
        for (int axis = 0; axis < 3; ++axis) {
            const float v = s.objects.at(c)->anim.tracks[axis].keys[0].value;
            EXPECT_GE(v, -100);
            EXPECT_LE(v, 100);
        }
}

TEST_F(csf_test, bad_images_are_refused_without_reading_past_them)
{
    const auto load = [this](std::vector<std::uint8_t> bytes) {
        csf_loader loader;
        loader.load(bytes.data(), bytes.size(), s);
    };
    std::vector<std::uint8_t> bad_magic = raw("CSF?");
    bad_magic.push_back(0);
    EXPECT_EXIT(load(bad_magic), testing::ExitedWithCode(255), "^Invalid CSF file\n$");
    EXPECT_EXIT(load(raw("CS")), testing::ExitedWithCode(255), "^Invalid CSF file\n$");

    csf_bytes unknown_tag;
    unknown_tag.record('o', 1, 0);
    unknown_tag.bytes.push_back('x');
    EXPECT_EXIT(load(unknown_tag.end()), testing::ExitedWithCode(255), "Invalid CSF file \\[2\\]");

    csf_bytes negative;
    negative.bytes.push_back('o');
    negative.int32(-1);
    EXPECT_EXIT(load(negative.end()), testing::ExitedWithCode(255), "^Invalid CSF file\n$");

    csf_bytes huge;  // a count far beyond the bytes that follow: refused before allocating
    huge.bytes.push_back('c');
    huge.int32(0x7fffffff);
    EXPECT_EXIT(load(huge.end()), testing::ExitedWithCode(255), "^Invalid CSF file\n$");

    csf_bytes cut;
    cut.record('o', 2, 0);
    std::vector<std::uint8_t> truncated = cut.bytes;
    truncated.resize(truncated.size() - 3);
    EXPECT_EXIT(load(truncated), testing::ExitedWithCode(255), "^Invalid CSF file\n$");
    csf_bytes no_end;
    no_end.record('o', 1, 0);  // no end marker
    EXPECT_EXIT(load(no_end.bytes), testing::ExitedWithCode(255), "^Invalid CSF file\n$");
}

}  // namespace
}  // namespace vorlane
