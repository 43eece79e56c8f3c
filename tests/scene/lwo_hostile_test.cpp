// Object files that lie about their structure end in "Invalid object
// file - <name>" or load what they hold; none is read past its end.
#include "scene/lwo_loader.h"
#include "scene/scene.h"
#include "tests/engine/test_engine.h"
#include "tests/fuzz/fatal_trap.h"
#include "tests/scene/lwo_builder.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

std::string outcome(const std::string& bytes)
{
    static scene s(test_engine(), 0);
    s.no_objects = s.no_vertices = s.no_indices = s.no_materials = 0;
    lwo_loader loader;
    loader.name = "test.lwo";
    return test::fatal_message_of([&] { loader.parse(bytes, s); });
}

const char* invalid = "Invalid object file - test.lwo";

std::string with_faces(const test::iff_bytes& pols, const test::iff_bytes& more = {})
{
    test::iff_bytes chunks;
    chunks.chunk("PNTS", test::cube_points()).chunk("POLS", pols);
    chunks.bytes += more.bytes;
    return test::form("LWO2", chunks).bytes;
}

TEST(lwo_hostile, every_cut_of_either_cube_loads_or_is_invalid)
{
    for (const std::string& file : {test::lwo2_cube(), test::lwob_cube()}) {
        int loaded = 0;
        for (std::size_t cut = 0; cut < file.size(); ++cut) {
            // The form's own size still claims the whole file.
            const std::string message = outcome(file.substr(0, cut));
            if (message.empty())
                ++loaded;
            else
                EXPECT_EQ(message, invalid) << "cut at " << cut;
        }
        EXPECT_GT(loaded, 0);
        EXPECT_EQ(outcome(file), "");
    }
}

TEST(lwo_hostile, faces_must_name_points_of_their_layer)
{
    test::iff_bytes good, bad, wide;
    good.id("FACE").u2(3).u2(0).u2(1).u2(7);
    bad.id("FACE").u2(3).u2(0).u2(1).u2(8);
    wide.id("FACE").u2(3).u2(0).u2(1).u4(0xFF000007);  // a four-byte index
    EXPECT_EQ(outcome(with_faces(good)), "");
    EXPECT_EQ(outcome(with_faces(bad)), invalid);
    EXPECT_EQ(outcome(with_faces(wide)), "");

    // A second layer's faces count from its own points.
    test::iff_bytes second_layer;
    second_layer.chunk("PNTS", test::iff_bytes{}.f4(0).f4(0).f4(0)).chunk("POLS", good);
    EXPECT_EQ(outcome(with_faces(good, second_layer)), invalid);
}

TEST(lwo_hostile, surface_tags_must_name_faces_and_tags)
{
    test::iff_bytes face;
    face.id("FACE").u2(3).u2(0).u2(1).u2(2);
    test::iff_bytes tags, bad_face, bad_tag;
    tags.s0("One");
    bad_face.id("SURF").u2(1).u2(0);
    bad_tag.id("SURF").u2(0).u2(1);
    EXPECT_EQ(outcome(with_faces(face, test::iff_bytes{}.chunk("TAGS", tags).chunk("PTAG", bad_face))), invalid);
    EXPECT_EQ(outcome(with_faces(face, test::iff_bytes{}.chunk("TAGS", tags).chunk("PTAG", bad_tag))), invalid);
}

TEST(lwo_hostile, sizes_beyond_their_container_are_invalid)
{
    std::string points_too_long = test::lwo2_cube();
    const std::size_t pnts = points_too_long.find("PNTS");
    points_too_long[pnts + 4] = '\x7f';
    EXPECT_EQ(outcome(points_too_long), invalid);

    test::iff_bytes odd_points;
    odd_points.f4(1).f4(2);
    EXPECT_EQ(outcome(test::form("LWO2", test::iff_bytes{}.chunk("PNTS", odd_points)).bytes), invalid);

    test::iff_bytes surface, colour;
    colour.f4(1);
    surface.s0("s").s0("").sub_chunk("COLR", colour);
    EXPECT_EQ(outcome(test::form("LWO2", test::iff_bytes{}.chunk("SURF", surface)).bytes), invalid);
    test::iff_bytes unterminated;
    unterminated.id("abcd");
    EXPECT_EQ(outcome(test::form("LWO2", test::iff_bytes{}.chunk("TAGS", unterminated)).bytes), invalid);
}

TEST(lwo_hostile, other_files_are_invalid_and_unknown_chunks_are_skipped)
{
    EXPECT_EQ(outcome(""), invalid);
    EXPECT_EQ(outcome("FORM"), invalid);
    EXPECT_EQ(outcome(test::form("ILBM", {}).bytes), invalid);
    EXPECT_EQ(outcome(test::form("LWO2", test::iff_bytes{}.chunk("XYZW", test::iff_bytes{}.u4(5))).bytes), "");
}

TEST(lwo_hostile, more_points_than_sixteen_bit_indices_reach_is_refused)
{
    test::iff_bytes points, pols;
    pols.id("FACE");
    for (int i = 0; i < 70000; ++i)
        points.f4(static_cast<float>(i)).f4(0).f4(1);
    for (int i = 0; i + 2 < 70000; i += 3)
        pols.u2(3).u4(0xFF000000u | i).u4(0xFF000000u | (i + 1)).u4(0xFF000000u | (i + 2));
    test::iff_bytes chunks;
    chunks.chunk("PNTS", points).chunk("POLS", pols);
    EXPECT_EQ(outcome(test::form("LWO2", chunks).bytes), "Object file too large - test.lwo");
}

}  // namespace
}  // namespace vorlane
