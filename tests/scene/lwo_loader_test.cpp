// LightWave objects in both formats: one object per file or layer with a
// mesh per surface, its triangles and normals (flat, or smoothed within an
// angle) in the scene's buffers, its surfaces as materials; what is not
// drawn is skipped.
#include "scene/lwo_loader.h"
#include "scene/scene.h"
#include "tests/engine/test_engine.h"
#include "tests/scene/lwo_builder.h"
#include "tests/scene/lws_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace vorlane {
namespace {

using test::lightwave_file;

struct lwo_fixture {
    scene s{test_engine(), 0};
    lwo_loader loader;

    void parse(const std::string& bytes) { loader.parse(bytes, s); }

    fvf_vertex vertex(int i)
    {
        s.vb.lock();
        fvf_vertex v = *s.vb.vertex(i);
        s.vb.unlock();
        return v;
    }
    int index(int i)
    {
        s.ib.lock();
        int v = *s.ib.index(i);
        s.ib.unlock();
        return v;
    }
    // The triangles of a mesh as point positions, each corner as (x, y, z).
    std::vector<std::array<float, 9>> triangles(const mesh& m)
    {
        std::vector<std::array<float, 9>> out;
        for (int t = 0; t < m.prim_count; ++t) {
            std::array<float, 9> tri{};
            for (int c = 0; c < 3; ++c) {
                const fvf_vertex v = vertex(index(m.start_index + 3 * t + c));
                tri[3 * c] = v.x;
                tri[3 * c + 1] = v.y;
                tri[3 * c + 2] = v.z;
            }
            out.push_back(tri);
        }
        return out;
    }
};

TEST(lwo_loader, the_lwo2_cube_is_one_object_with_a_mesh_per_surface)
{
    lwo_fixture f;
    f.parse(test::lwo2_cube());
    ASSERT_EQ(f.s.no_objects, 1);
    const object& cube = *f.s.objects.at(0);
    ASSERT_EQ(cube.mesh_count, 2);
    const mesh& sides = cube.meshes[0];
    const mesh& caps = cube.meshes[1];
    EXPECT_EQ(sides.prim_count, 8);  // four quads; the line and the point are not drawn
    EXPECT_EQ(caps.prim_count, 4);
    EXPECT_EQ(sides.num_vertices, 8);
    EXPECT_EQ(caps.num_vertices, 8);
    EXPECT_EQ(sides.min_index, 0);
    EXPECT_EQ(caps.min_index, 8);
    EXPECT_EQ(sides.start_index, 0);
    EXPECT_EQ(caps.start_index, 24);
    EXPECT_EQ(f.s.no_vertices, 16);
    EXPECT_EQ(f.s.no_indices, 36);
    EXPECT_EQ(sides.object, 0);
    EXPECT_EQ(caps.object, 0);

    ASSERT_EQ(f.s.no_materials, 2);
    const d3d_color_value& orange = f.s.materials.at(sides.material)->colour;
    EXPECT_EQ(orange.r, 1.0f);
    EXPECT_EQ(orange.g, 0.5f);
    EXPECT_EQ(orange.b, 0.25f);
    EXPECT_EQ(orange.a, 1.0f);
    EXPECT_EQ(f.s.materials.at(caps.material)->colour.b, 1.0f);
    EXPECT_EQ(f.s.materials.at(caps.material)->colour.r, 0.0f);
    EXPECT_EQ(f.s.materials.at(caps.material)->blend, -1);
}

TEST(lwo_loader, indices_stay_within_their_mesh_and_faces_fan_from_their_first_point)
{
    lwo_fixture f;
    f.parse(test::lwo2_cube());
    const mesh& sides = f.s.objects.at(0)->meshes[0];
    for (int i = 0; i < 3 * sides.prim_count; ++i) {
        const int v = f.index(sides.start_index + i);
        EXPECT_GE(v, sides.min_index);
        EXPECT_LT(v, sides.min_index + sides.num_vertices);
    }
    // The front face (0, 2, 3, 1) gives (0, 2, 3) and (0, 3, 1).
    const auto tris = f.triangles(sides);
    const std::array<float, 9> first = {-0.5f, -0.5f, -0.5f, -0.5f, 0.5f, -0.5f, 0.5f, 0.5f, -0.5f};
    const std::array<float, 9> second = {-0.5f, -0.5f, -0.5f, 0.5f, 0.5f, -0.5f, 0.5f, -0.5f, -0.5f};
    EXPECT_EQ(tris[0], first);
    EXPECT_EQ(tris[1], second);
}

TEST(lwo_loader, normals_of_a_smoothed_surface_average_its_faces)
{
    lwo_fixture f;
    f.parse(test::lwo2_cube());
    const float d = 1 / std::sqrt(2.0f);
    // Point 0 (-x, -y, -z) on the sides touches the -z and -x faces; on
    // the caps only the bottom.
    const mesh& sides = f.s.objects.at(0)->meshes[0];
    const mesh& caps = f.s.objects.at(0)->meshes[1];
    bool seen_sides = false, seen_caps = false;
    for (int i = 0; i < 16; ++i) {
        const fvf_vertex v = f.vertex(i);
        if (v.x != -0.5f || v.y != -0.5f || v.z != -0.5f)
            continue;
        if (i < caps.min_index) {
            seen_sides = true;
            EXPECT_NEAR(v.nx, -d, 1e-6);
            EXPECT_NEAR(v.ny, 0, 1e-6);
            EXPECT_NEAR(v.nz, -d, 1e-6);
        } else {
            seen_caps = true;
            EXPECT_NEAR(v.nx, 0, 1e-6);
            EXPECT_NEAR(v.ny, -1, 1e-6);
            EXPECT_NEAR(v.nz, 0, 1e-6);
        }
    }
    EXPECT_TRUE(seen_sides && seen_caps);
    EXPECT_EQ(sides.min_index, 0);
}

TEST(lwo_loader, bounding_boxes_hold_the_corners_of_the_meshes_points)
{
    lwo_fixture f;
    f.parse(test::lwo2_cube());
    std::set<std::array<float, 4>> corners;
    for (const vector& c : f.s.objects.at(0)->meshes[0].bbox)
        corners.insert({c.x, c.y, c.z, c.w});
    EXPECT_EQ(corners.size(), 8u);
    for (const auto& c : corners) {
        EXPECT_EQ(std::fabs(c[0]), 0.5f);
        EXPECT_EQ(std::fabs(c[2]), 0.5f);
        EXPECT_EQ(c[3], 1.0f);
    }
}

TEST(lwo_loader, the_lwob_cube_gives_the_same_geometry)
{
    lwo_fixture a;
    a.parse(test::lwo2_cube());
    lwo_fixture b;
    b.parse(test::lwob_cube());
    ASSERT_EQ(b.s.no_vertices, a.s.no_vertices);
    ASSERT_EQ(b.s.no_indices, a.s.no_indices);
    for (int i = 0; i < a.s.no_vertices; ++i) {
        const fvf_vertex x = a.vertex(i), y = b.vertex(i);
        EXPECT_EQ(std::memcmp(&x, &y, sizeof x), 0) << "vertex " << i;
    }
    for (int i = 0; i < a.s.no_indices; ++i)
        EXPECT_EQ(a.index(i), b.index(i));
    EXPECT_FLOAT_EQ(b.s.materials.at(0)->colour.g, 128 / 255.0f);
    EXPECT_EQ(b.s.materials.at(1)->colour.b, 1.0f);
}

TEST(lwo_loader, a_second_object_follows_what_the_scene_already_holds)
{
    lwo_fixture f;
    f.parse(test::lwo2_cube());
    f.parse(test::lwob_cube());
    ASSERT_EQ(f.s.no_objects, 2);
    const mesh& sides = f.s.objects.at(1)->meshes[0];
    EXPECT_EQ(sides.min_index, 16);
    EXPECT_EQ(sides.start_index, 36);
    EXPECT_EQ(sides.material, 2);
    EXPECT_EQ(sides.object, 1);
    EXPECT_EQ(f.index(36), 16);
    EXPECT_EQ(f.s.no_materials, 4);
}

TEST(lwo_loader, larger_faces_fan_and_untagged_faces_share_a_white_mesh_after_the_surfaces)
{
    test::iff_bytes points;
    for (int i = 0; i < 5; ++i)
        points.f4(std::cos(i * 1.2566f)).f4(std::sin(i * 1.2566f)).f4(0);
    test::iff_bytes pols;
    pols.id("FACE").u2(5).u2(0).u2(1).u2(2).u2(3).u2(4).u2(3).u2(0).u2(1).u2(2);
    test::iff_bytes tags, ptag;
    tags.s0("Tagged");
    ptag.id("SURF").u2(1).u2(0);
    test::iff_bytes chunks;
    chunks.chunk("TAGS", tags).chunk("PNTS", points).chunk("POLS", pols).chunk("PTAG", ptag);
    lwo_fixture f;
    f.parse(test::form("LWO2", chunks).bytes);
    const object& o = *f.s.objects.at(0);
    ASSERT_EQ(o.mesh_count, 2);
    EXPECT_EQ(o.meshes[0].prim_count, 1);  // the tagged triangle
    EXPECT_EQ(o.meshes[1].prim_count, 3);  // the pentagon
    EXPECT_EQ(o.meshes[1].num_vertices, 5);
    EXPECT_EQ(f.s.materials.at(o.meshes[1].material)->colour.r, 1.0f);
}

TEST(lwo_loader, only_faces_are_drawn)
{
    test::iff_bytes curve;
    curve.id("CURV").u2(3).u2(0).u2(1).u2(2);
    test::iff_bytes ptag;
    ptag.id("SURF").u2(0).u2(0);
    test::iff_bytes chunks;
    chunks.chunk("PNTS", test::cube_points()).chunk("POLS", curve).chunk("PTAG", ptag);
    lwo_fixture f;
    f.parse(test::form("LWO2", chunks).bytes);
    ASSERT_EQ(f.s.no_objects, 1);
    EXPECT_EQ(f.s.objects.at(0)->mesh_count, 0);
    EXPECT_EQ(f.s.no_vertices, 0);
}

TEST(lwo_loader, the_checked_in_cubes_are_the_test_cubes)
{
    EXPECT_EQ(lightwave_file("cube.lwo"), test::lwo2_cube());
    EXPECT_EQ(lightwave_file("cube_lwob.lwo"), test::lwob_cube());
    EXPECT_EQ(lightwave_file("content/Objects/flat_cube.lwo"), test::lwo2_grey_cube(0));
    EXPECT_EQ(lightwave_file("content/Objects/smooth_cube.lwo"), test::lwo2_grey_cube(3.1415927f));
    EXPECT_EQ(lightwave_file("content/Objects/planar_tga.lwo"), test::lwo2_textured_cube("Images/quadrants.tga", 0));
    EXPECT_EQ(lightwave_file("content/Objects/uv_tga.lwo"), test::lwo2_textured_cube("Images/quadrants.tga", 5));
    EXPECT_EQ(lightwave_file("content/Objects/planar_png.lwo"), test::lwo2_textured_cube("Images/quadrants.png", 0));
    EXPECT_EQ(lightwave_file("content/Objects/planar_jpeg.lwo"), test::lwo2_textured_cube("Images/quadrants.jpg", 0));
}

// The normals of the grey cube's corners at point 0 (-x, -y, -z).
std::set<std::array<float, 3>> normals_at_point_0(lwo_fixture& f)
{
    std::set<std::array<float, 3>> out;
    for (int i = 0; i < f.s.no_vertices; ++i) {
        const fvf_vertex v = f.vertex(i);
        if (v.x == -0.5f && v.y == -0.5f && v.z == -0.5f)
            out.insert({std::round(v.nx * 1000) / 1000, std::round(v.ny * 1000) / 1000, std::round(v.nz * 1000) / 1000});
    }
    return out;
}

TEST(lwo_loader, surfaces_are_flat_unless_smoothed_and_smoothing_stops_at_its_angle)
{
    const std::set<std::array<float, 3>> faces = {{-1, 0, 0}, {0, -1, 0}, {0, 0, -1}};
    lwo_fixture flat;
    flat.parse(test::lwo2_grey_cube(0));
    EXPECT_EQ(flat.s.no_vertices, 24);  // four corners a face
    EXPECT_EQ(normals_at_point_0(flat), faces);

    // LightWave's usual 89.5 degrees keeps the cube's right angles sharp.
    lwo_fixture sharp;
    sharp.parse(test::lwo2_grey_cube(1.5620697f));
    EXPECT_EQ(normals_at_point_0(sharp), faces);

    lwo_fixture round;
    round.parse(test::lwo2_grey_cube(1.6f));
    EXPECT_EQ(round.s.no_vertices, 8);
    const float d = std::round(1000 / std::sqrt(3.0f)) / 1000;
    EXPECT_EQ(normals_at_point_0(round), (std::set<std::array<float, 3>>{{-d, -d, -d}}));
}

TEST(lwo_loader, surface_levels_become_the_material)
{
    test::iff_bytes tags, pols, ptag;
    tags.s0("Glass");
    pols.id("FACE").u2(3).u2(0).u2(1).u2(2);
    ptag.id("SURF").u2(0).u2(0);
    test::iff_bytes glass, colour, diffuse, luminous, transparent;
    colour.f4(0.5f).f4(1).f4(1).u2(0);
    diffuse.f4(0.5f).u2(0);
    luminous.f4(0.25f).u2(0);
    transparent.f4(0.75f).u2(0);
    glass.s0("Glass").s0("").sub_chunk("COLR", colour).sub_chunk("DIFF", diffuse).sub_chunk("LUMI", luminous);
    glass.sub_chunk("TRAN", transparent);
    test::iff_bytes chunks;
    chunks.chunk("TAGS", tags).chunk("PNTS", test::cube_points()).chunk("POLS", pols).chunk("PTAG", ptag);
    chunks.chunk("SURF", glass);
    lwo_fixture f;
    f.parse(test::form("LWO2", chunks).bytes);
    const material& m = *f.s.materials.at(0);
    EXPECT_EQ(m.colour.r, 0.5f);
    EXPECT_EQ(m.diffuse, 0.5f);
    EXPECT_EQ(m.luminosity, 0.25f);
    EXPECT_EQ(m.colour.a, 0.25f);
    EXPECT_EQ(m.blend, 1);

    // The older format: levels in 256ths or as floats, smoothing by flag.
    test::iff_bytes names, old_pols, old_surface, level, vlevel, flags;
    names.s0("Old");
    old_pols.u2(3).u2(0).u2(1).u2(2).u2(1);
    level.u2(64);
    vlevel.f4(0.5f);
    flags.u2(4);
    old_surface.s0("Old").sub_chunk("LUMI", level).sub_chunk("VDIF", vlevel).sub_chunk("FLAG", flags);
    test::iff_bytes old_chunks;
    old_chunks.chunk("PNTS", test::cube_points()).chunk("SRFS", names).chunk("POLS", old_pols);
    old_chunks.chunk("SURF", old_surface);
    lwo_fixture g;
    g.parse(test::form("LWOB", old_chunks).bytes);
    EXPECT_EQ(g.s.materials.at(0)->luminosity, 0.25f);
    EXPECT_EQ(g.s.materials.at(0)->diffuse, 0.5f);
    EXPECT_EQ(g.s.materials.at(0)->blend, -1);
}

TEST(lwo_loader, subdivision_patches_draw_as_their_cages)
{
    test::iff_bytes pols;
    pols.id("PTCH").u2(4).u2(0).u2(2).u2(3).u2(1);
    test::iff_bytes chunks;
    chunks.chunk("PNTS", test::cube_points()).chunk("POLS", pols);
    lwo_fixture f;
    f.parse(test::form("LWO2", chunks).bytes);
    ASSERT_EQ(f.s.objects.at(0)->mesh_count, 1);
    EXPECT_EQ(f.s.objects.at(0)->meshes[0].prim_count, 2);
}

TEST(lwo_loader, a_layer_loads_alone_with_its_pivot_and_hangs_from_its_parent_layer)
{
    EXPECT_EQ(lightwave_file("two_layers.lwo"), test::lwo2_two_layers());
    lwo_fixture f;
    f.loader.folder = std::string(VORLANE_SOURCE_DIR) + "/tests/scene/lightwave";
    f.loader.load_layer("two_layers.lwo", 1, f.s);
    f.loader.load_layer("two_layers.lwo", 2, f.s);
    f.loader.load("two_layers.lwo", f.s);
    ASSERT_EQ(f.s.no_objects, 3);
    const object& bottom = *f.s.objects.at(0);
    const object& triangle = *f.s.objects.at(1);
    ASSERT_EQ(bottom.mesh_count, 1);
    EXPECT_EQ(bottom.meshes[0].prim_count, 2);
    EXPECT_EQ(bottom.parent, -1);
    ASSERT_EQ(triangle.mesh_count, 1);
    EXPECT_EQ(triangle.meshes[0].prim_count, 1);
    EXPECT_EQ(triangle.pivot.x, 1.0f);
    EXPECT_EQ(triangle.pivot.z, 3.0f);
    EXPECT_EQ(triangle.parent, 0);
    // The whole file: both layers in one object, no pivot.
    EXPECT_EQ(f.s.objects.at(2)->meshes[0].prim_count, 3);
    EXPECT_EQ(f.s.objects.at(2)->pivot.x, 0.0f);
}

// The texture coordinates of the vertices at a point.
std::set<std::array<float, 2>> uvs_at(lwo_fixture& f, float x, float y, float z)
{
    std::set<std::array<float, 2>> out;
    for (int i = 0; i < f.s.no_vertices; ++i) {
        const fvf_vertex v = f.vertex(i);
        if (v.x == x && v.y == y && v.z == z)
            out.insert({std::round(v.u * 1000) / 1000, std::round(v.v * 1000) / 1000});
    }
    return out;
}

const std::string content = std::string(VORLANE_SOURCE_DIR) + "/tests/scene/lightwave/content";

TEST(lwo_loader, an_image_map_makes_a_texture_and_the_vertices_coordinates)
{
    lwo_fixture planar;
    planar.loader.folder = content;
    const int textures = myengine.no_textures;
    planar.parse(test::lwo2_textured_cube("Images/quadrants.tga", 0));
    EXPECT_EQ(myengine.no_textures, textures + 1);
    const material& m = *planar.s.materials.at(0);
    ASSERT_EQ(m.no_layers, 1);
    EXPECT_EQ(m.layers[0].texture, textures);
    EXPECT_EQ(m.map.projection, 0);
    EXPECT_EQ(m.colour.g, 1.0f);
    // Along z, the image's top left at (-x, +y); every corner of the +z
    // face has the same coordinates as the one in front of it.
    EXPECT_EQ(uvs_at(planar, -0.5f, 0.5f, -0.5f), (std::set<std::array<float, 2>>{{0, 0}}));
    EXPECT_EQ(uvs_at(planar, 0.5f, -0.5f, 0.5f), (std::set<std::array<float, 2>>{{1, 1}}));

    lwo_fixture uv;
    uv.loader.folder = content;
    uv.parse(test::lwo2_textured_cube("Images/quadrants.tga", 5));
    EXPECT_EQ(uvs_at(uv, -0.5f, 0.5f, -0.5f), (std::set<std::array<float, 2>>{{1, 0}}));

    // Around z, a sphere: the bottom (-y) face spans the seam, so its
    // corners past it go one turn on.
    lwo_fixture sphere;
    sphere.loader.folder = content;
    sphere.parse(test::lwo2_textured_cube("Images/quadrants.tga", 2, 2));
    const std::set<std::array<float, 2>> at_7 = uvs_at(sphere, 0.5f, 0.5f, 0.5f);
    ASSERT_FALSE(at_7.empty());
    EXPECT_EQ(at_7.begin()->at(0), 0.625f);
    EXPECT_EQ(at_7.begin()->at(1), 0.304f);
    const auto at_0 = uvs_at(sphere, -0.5f, -0.5f, -0.5f);
    EXPECT_TRUE(at_0.count({1.125f, 0.5f}) || at_0.count({1.125f, 0.696f})) << at_0.size();
}

TEST(lwo_loader, an_old_files_colour_texture_is_an_image_map)
{
    test::iff_bytes names, pols, surface, kind, image, flags, size;
    names.s0("Old");
    pols.u2(4).u2(0).u2(2).u2(3).u2(1).u2(1);
    kind.s0("Planar Image Map");
    image.s0("Images\\quadrants.png");
    flags.u2(4);  // along z
    size.f4(2).f4(2).f4(2);
    surface.s0("Old").sub_chunk("CTEX", kind).sub_chunk("TIMG", image).sub_chunk("TFLG", flags);
    surface.sub_chunk("TSIZ", size);
    test::iff_bytes chunks;
    chunks.chunk("PNTS", test::cube_points()).chunk("SRFS", names).chunk("POLS", pols).chunk("SURF", surface);
    lwo_fixture f;
    f.loader.folder = content;
    f.parse(test::form("LWOB", chunks).bytes);
    EXPECT_EQ(f.s.materials.at(0)->no_layers, 1);
    EXPECT_EQ(f.s.materials.at(0)->map.size.x, 2.0f);
    EXPECT_EQ(uvs_at(f, -0.5f, 0.5f, -0.5f), (std::set<std::array<float, 2>>{{0.25f, 0.25f}}));
}

TEST(lwo_loader, an_image_that_is_not_there_leaves_the_surface_untextured)
{
    lwo_fixture f;
    f.loader.folder = content;
    f.parse(test::lwo2_textured_cube("Images/missing.tga", 0));
    EXPECT_EQ(f.s.materials.at(0)->no_layers, 0);
    lwo_fixture g;
    g.loader.folder = content;
    g.parse(test::lwo2_textured_cube("Scenes/lit_cube.lws", 0));  // no image of a kind we read
    EXPECT_EQ(g.s.materials.at(0)->no_layers, 0);
}

TEST(lwo_loader, objects_are_looked_for_in_the_folder)
{
    lwo_fixture f;
    f.loader.folder = std::string(VORLANE_SOURCE_DIR) + "/tests/scene/lightwave";
    f.loader.load("cube.lwo", f.s);
    EXPECT_EQ(f.s.objects.at(0)->mesh_count, 2);
    EXPECT_EXIT(f.loader.load("Objects\\missing.lwo", f.s), testing::ExitedWithCode(255),
                "^Cannot open object file - Objects.missing.lwo \\(looked for "
                "[^,]*/tests/scene/lightwave/Objects/missing.lwo, [^,]*/tests/scene/lightwave/missing.lwo\\)\n$");
}

TEST(lwo_loader, a_scene_and_its_objects_load_together)
{
    scene s(test_engine(), 0);
    lwo_loader objects;
    objects.folder = std::string(VORLANE_SOURCE_DIR) + "/tests/scene/lightwave";
    lws_loader loader;
    loader.object_loader = &objects;
    loader.load(objects.folder + "/cube_v3.lws", s);
    ASSERT_EQ(s.no_objects, 1);
    EXPECT_EQ(s.no_meshes, 2);
    EXPECT_EQ(s.objects.at(0)->parent, -1);
    EXPECT_EQ(s.no_lights, 1);
    EXPECT_EQ(s.lights.at(0)->type, 3);
}

}  // namespace
}  // namespace vorlane
