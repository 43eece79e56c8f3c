// Alpha blending: every factor and operation pair the show draws with,
// against colours worked out by hand over a known background.

#include "tests/platform/device_support.h"

namespace vorlane::test {
namespace {

constexpr std::uint32_t background = 0x000099CC;  // (0, 153, 204)

struct blend_case {
    const char* name;
    std::uint32_t src, dst, op;
    float r, g, b, a;   // source colour and alpha
    int er, eg, eb;     // expected result
};

const blend_case cases[] = {
    // The trail image subtracted from the background: white gives black.
    {"revsubtract_white", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT, 1, 1, 1, 1, 0, 0, 0},
    {"revsubtract_grey", D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT, 0.25f, 0.25f, 0.25f, 1, 0, 89,
     140},
    // Ordinary transparency: 0.25 red + 0.75 background.
    {"alpha", D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD, 1, 0, 0, 0.25f, 64, 115, 153},
    // Additive: background + 0.5 x 51.
    {"additive", D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD, 0.2f, 0.2f, 0.2f, 0.5f, 26, 179, 230},
    // Darkening bars: background x alpha.
    {"darken", D3DBLEND_ZERO, D3DBLEND_SRCALPHA, D3DBLENDOP_ADD, 1, 1, 1, 0.5f, 0, 77, 102},
    // Inverted flash, first third: source - background x alpha.
    {"subtract", D3DBLEND_ONE, D3DBLEND_SRCALPHA, D3DBLENDOP_SUBTRACT, 0.8f, 0.8f, 0.8f, 0.5f, 204, 128, 102},
    // Inverted flash, rest: source + background x alpha.
    {"add_one_srcalpha", D3DBLEND_ONE, D3DBLEND_SRCALPHA, D3DBLENDOP_ADD, 0.2f, 0.2f, 0.2f, 0.5f, 51, 128, 153},
    // The glow the other way round: 0.75 white + 0.25 background.
    {"inverse_alpha", D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA, D3DBLENDOP_ADD, 1, 1, 1, 0.25f, 191, 230, 242},
    // Background minus 0.25 white.
    {"revsubtract_inverse", D3DBLEND_INVSRCALPHA, D3DBLEND_ONE, D3DBLENDOP_REVSUBTRACT, 1, 1, 1, 0.75f, 0, 89,
     140},
    // Light alpha above 1 is clamped first: 0.5 grey added at full strength.
    {"alpha_clamped", D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD, 0.5f, 0.5f, 0.5f, 1.15f, 128, 255, 255},
};

class blend_test : public device_test, public ::testing::WithParamInterface<blend_case> {};

TEST_P(blend_test, matches_hand_computed_colour)
{
    const blend_case& c = GetParam();
    d.clear(D3DCLEAR_TARGET, background, 1.0f, 0);
    use_flat_colour(c.r, c.g, c.b, c.a);
    d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
    d.set_render_state(D3DRS_SRCBLEND, c.src);
    d.set_render_state(D3DRS_DESTBLEND, c.dst);
    d.set_render_state(D3DRS_BLENDOP, c.op);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), c.er, c.eg, c.eb));
}

INSTANTIATE_TEST_SUITE_P(pairs, blend_test, ::testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(device_test, blending_off_replaces_whatever_the_factors_say)
{
    d.clear(D3DCLEAR_TARGET, background, 1.0f, 0);
    use_flat_colour(1, 0, 0, 0.25f);
    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_ONE);
    draw_full_quad();
    EXPECT_TRUE(near_rgb(centre(), 255, 0, 0));
}

TEST_F(device_test, blend_operation_switches_between_draws)
{
    // The same factors with two operations in a row: the second draw must
    // not keep the first one's equation.
    d.clear(D3DCLEAR_TARGET, background, 1.0f, 0);
    use_flat_colour(0.2f, 0.2f, 0.2f, 1);
    d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_ONE);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_ONE);
    d.set_render_state(D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT);
    draw_quad(-1, -1, 0, 1);
    d.set_render_state(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    draw_quad(0, -1, 1, 1);
    EXPECT_TRUE(near_rgb(pixel(16, 32), 0, 102, 153));
    EXPECT_TRUE(near_rgb(pixel(48, 32), 51, 204, 255));
}

}  // namespace
}  // namespace vorlane::test
