#include "effects/flash_effect.h"
#include "effects/invert_flash_effect.h"
#include "scene/frame.h"
#include "tests/parts/parts_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vorlane {
namespace {

std::uint32_t centre_pixel()
{
    return frame_pixels().at(test_height / 2 * test_width + test_width / 2);
}

TEST(flash, fires_at_full_strength_and_is_gone_after_300_ms)
{
    parts_engine();
    scene s(myengine, 0);
    auto* e = s.make<flash_effect>();
    EXPECT_FLOAT_EQ(e->start, -1000);
    const material& m = *s.materials.at(e->material);
    EXPECT_FLOAT_EQ(m.colour.r, 10);
    EXPECT_EQ(m.blend, 1);
    const device& d = *pd3dDev;

    // Not fired: nothing drawn, the flash's blend factors left behind.
    set_part_time(0);
    render(s);
    EXPECT_EQ(centre_pixel() & 0xFFFFFF, 0u);
    EXPECT_EQ(d.state.srcblend, static_cast<std::uint32_t>(D3DBLEND_SRCALPHA));
    EXPECT_EQ(d.state.destblend, static_cast<std::uint32_t>(D3DBLEND_ONE));
    EXPECT_EQ(d.state.zenable, static_cast<std::uint32_t>(D3DZB_TRUE));

    set_part_time(12000);
    e->start = 12000;
    render(s);
    EXPECT_EQ(centre_pixel() & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_FLOAT_EQ(d.state.material.diffuse.a, 1.0f);
    // Its material's alpha blending replaced the additive factors.
    EXPECT_EQ(d.state.destblend, static_cast<std::uint32_t>(D3DBLEND_INVSRCALPHA));

    set_part_time(12150);
    render(s);
    EXPECT_NEAR(d.state.material.diffuse.a, std::cos(150 * 3.14159 / 2 / 300), 1e-6);

    set_part_time(12300);
    render(s);
    EXPECT_EQ(centre_pixel() & 0xFFFFFF, 0u);
    EXPECT_EQ(d.state.destblend, static_cast<std::uint32_t>(D3DBLEND_ONE));
}

TEST(invert_flash, does_nothing_before_28500_ms_even_when_fired)
{
    parts_engine();
    scene s(myengine, 0);
    auto* e = s.make<invert_flash_effect>();
    device& d = *pd3dDev;
    d3d_material marker;
    marker.diffuse = {0.5f, 0.5f, 0.5f, 0.5f};
    d.set_render_state(D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT);
    d.set_material(marker);

    set_part_time(28000);
    e->start = 28000;
    e->post_render(s);
    EXPECT_EQ(d.state.blendop, static_cast<std::uint32_t>(D3DBLENDOP_REVSUBTRACT));
    EXPECT_FLOAT_EQ(d.state.material.diffuse.r, 0.5f);

    // From 28500 on, only within 500 ms of the start.
    set_part_time(29000);
    e->start = 28000;
    e->post_render(s);
    EXPECT_EQ(d.state.blendop, static_cast<std::uint32_t>(D3DBLENDOP_REVSUBTRACT));
    d.set_render_state(D3DRS_BLENDOP, D3DBLENDOP_ADD);
}

TEST(invert_flash, subtracts_the_picture_first_then_adds_it_back)
{
    parts_engine();
    scene s(myengine, 0);
    auto* e = s.make<invert_flash_effect>();
    const device& d = *pd3dDev;

    set_part_time(30000);
    e->start = 30000;
    render(s);
    // c = 1: a bright colour minus the (black) picture.
    EXPECT_EQ(centre_pixel() & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_FLOAT_EQ(d.state.material.diffuse.r, 1.2f);
    EXPECT_FLOAT_EQ(d.state.material.diffuse.a, 1.0f);
    EXPECT_EQ(d.state.blendop, static_cast<std::uint32_t>(D3DBLENDOP_ADD));
    EXPECT_EQ(d.state.ambient, 0xFF606060u);
    EXPECT_EQ(d.state.srcblend, static_cast<std::uint32_t>(D3DBLEND_ONE));
    EXPECT_EQ(d.state.destblend, static_cast<std::uint32_t>(D3DBLEND_SRCALPHA));

    set_part_time(30400);
    render(s);
    const double c = std::cos(400 * 3.14159 / 2 / 500);
    EXPECT_NEAR(d.state.material.diffuse.a, 1 - 2 * c, 1e-6);
    EXPECT_NEAR(d.state.material.diffuse.g, 1.2 * c, 1e-6);

    set_part_time(30501);
    render(s);
    EXPECT_EQ(centre_pixel() & 0xFFFFFF, 0u);
}

}  // namespace
}  // namespace vorlane
