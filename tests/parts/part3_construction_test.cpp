#include "effects/flash_effect.h"
#include "effects/vbars_effect.h"
#include "tests/parts/part3_test_scene.h"

#include <set>
#include <utility>

namespace vorlane {
namespace {

using part3_construction = part3_test;

TEST_F(part3_construction, cylinder_lines_join_each_point_to_its_ring_neighbour_and_the_point_below)
{
    s.ib.lock();
    std::vector<int> indices;
    for (int k = 0; k < 570; ++k)
        indices.push_back(*s.ib.index(k));
    s.ib.unlock();

    // First ring: (10, 11), (10, 25); its last column wraps to 10.
    EXPECT_EQ(std::vector<int>(indices.begin(), indices.begin() + 4), (std::vector<int>{10, 11, 10, 25}));
    EXPECT_EQ(std::vector<int>(indices.begin() + 56, indices.begin() + 60),
              (std::vector<int>{24, 10, 24, 39}));
    // The last ring only closes itself, ending with (159, 145).
    EXPECT_EQ(std::vector<int>(indices.begin() + 540, indices.begin() + 544),
              (std::vector<int>{145, 146, 146, 147}));
    EXPECT_EQ(indices[568], 159);
    EXPECT_EQ(indices[569], 145);

    // 285 different lines over the 150 points; every point ends four of
    // them, except on the first and last ring (three).
    std::set<std::pair<int, int>> lines;
    std::vector<int> degree(160, 0);
    for (int k = 0; k < 570; k += 2) {
        const int a = indices[k], b = indices[k + 1];
        ASSERT_GE(std::min(a, b), 10);
        ASSERT_LE(std::max(a, b), 159);
        lines.insert({std::min(a, b), std::max(a, b)});
        ++degree[a];
        ++degree[b];
    }
    EXPECT_EQ(lines.size(), 285u);
    for (int v = 10; v < 160; ++v)
        EXPECT_EQ(degree[v], v < 25 || v >= 145 ? 3 : 4) << v;
}

TEST_F(part3_construction, the_flash_and_the_bars_come_after_the_part_and_its_cylinder)
{
    // The flash and the bars put their quads and materials behind the
    // cylinder's vertices and the part's five materials.
    ASSERT_EQ(s.no_effects, 3);
    EXPECT_EQ(*s.effects.at(0), p);
    EXPECT_EQ(*s.effects.at(1), p->flash);
    auto* bars = static_cast<vbars_effect*>(*s.effects.at(2));
    EXPECT_EQ(p->flash->first_vertex, 160);
    EXPECT_EQ(p->flash->material, 5);
    EXPECT_EQ(bars->first_vertex, 164);
    EXPECT_EQ(bars->material, 6);
    EXPECT_EQ(s.no_vertices, 168);
    EXPECT_EQ(s.no_objects, 0);
}

TEST_F(part3_construction, black_texture_letter_picture_and_both_trail_images_cleared)
{
    const std::vector<std::uint8_t>& black = texels(p->black_tex);
    ASSERT_EQ(black.size(), 4u);
    EXPECT_EQ(black[0] | black[1] | black[2], 0);
    ASSERT_EQ(myengine.no_pictures, 1);
    EXPECT_EQ(myengine.pictures.at(0)->data.get(), p->letter_bitmap);
    EXPECT_EQ(myengine.pictures.at(0)->width, 128);

    device& d = *pd3dDev;
    for (int k = 0; k < 2; ++k) {
        ASSERT_EQ(p->feedback_tex[k]->width, 512);
        const std::vector<std::uint32_t> image = d.read_surface(p->feedback_surf[k]);
        ASSERT_EQ(image.size(), 512u * 512u);
        for (std::uint32_t texel : image)
            ASSERT_EQ(texel, 0u) << k;
    }
    EXPECT_EQ(d.get_render_target(), d.get_back_buffer());
    EXPECT_EQ(p->saved_target, d.get_back_buffer());
    EXPECT_NE(p->saved_depth, nullptr);
    EXPECT_EQ(d.get_depth_stencil_surface(), p->saved_depth);
    EXPECT_EQ(d.state.zenable, static_cast<std::uint32_t>(D3DZB_FALSE));
    EXPECT_EQ(d.state.clipping, 0u);
    EXPECT_EQ(d.state.stages[0].color_op, static_cast<std::uint32_t>(D3DTOP_SELECTARG1));
    EXPECT_EQ(d.state.stages[0].color_arg1, static_cast<std::uint32_t>(D3DTA_TEXTURE));
}

TEST(part3_start, a_render_target_that_cannot_be_made_ends_the_show)
{
    parts_engine();
    EXPECT_EXIT(create_target_texture(*pd3dDev, 0), testing::ExitedWithCode(255),
                "Unable to create texture");
}

}  // namespace
}  // namespace vorlane
