#include "tests/parts/part3_test_scene.h"

namespace vorlane {
namespace {

struct centre {
    double x = 0, y = 0;  // texels, y downwards
};

// Centre of mass of the green light of an image.
centre centre_of(const std::vector<std::uint32_t>& image, int size)
{
    double sum = 0, sx = 0, sy = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const double g = (image[y * size + x] >> 8) & 255;
            sum += g;
            sx += g * x;
            sy += g * y;
        }
    return {sx / sum, sy / sum};
}

struct part3_trail : part3_test {
    // A white 64 x 64 square into the front image, centred at texel
    // (128, 128), then the transforms the blur is drawn with. Each blend
    // into the 8-bit target is rounded, which moves faint light off the
    // exact average; the spot is large so that its faint rim weighs
    // little in the centre of mass.
    void draw_spot()
    {
        frame_at(100);  // binds the scene's buffers as the show does
        device& d = *pd3dDev;
        d.set_render_target(p->feedback_surf[p->front], nullptr);
        d.clear(D3DCLEAR_TARGET, 0, 1.0f, 0);
        d.set_transform(D3DTS_PROJECTION, identity_matrix.e);
        d.set_transform(D3DTS_VIEW, identity_matrix.e);
        matrix m = identity_matrix;
        m(0, 0) = m(1, 1) = 64.0f / 512;
        m(3, 0) = -0.5f;
        m(3, 1) = 0.5f;
        d.set_transform(D3DTS_WORLD, m.e);
        set_material(*s.materials.at(0));
        d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
        d.draw_primitive(D3DPT_TRIANGLESTRIP, 0, 2);
        d.set_transform(D3DTS_WORLD, identity_matrix.e);
    }
    void blur_times(int n)
    {
        device& d = *pd3dDev;
        for (int k = 0; k < n; ++k) {
            d.set_render_target(p->feedback_surf[p->back], nullptr);
            p->blur(s);
            std::swap(p->front, p->back);
        }
    }
    centre front_centre() { return centre_of(pd3dDev->read_surface(p->feedback_surf[p->front]), 512); }
};

// The four taps shift by +0.8 and -1.6 texels in x, +1.07 and -2.13 in y
// (up on screen is -y here): their mean is -0.2 in x and +0.2667 in y. On
// top of that every copy moves half a texel right and down, as pixel
// centres fall on texel corners.
constexpr double drift_x = -0.2 + 0.5;
constexpr double drift_y = (-512 * 0.0041666669 / 2 + 512 * 0.0083333338 / 2) / 4 + 0.5;

TEST_F(part3_trail, the_spot_lands_where_it_was_drawn)
{
    draw_spot();
    const centre c = front_centre();
    EXPECT_NEAR(c.x, 127.5, 0.01);
    EXPECT_NEAR(c.y, 127.5, 0.01);
}

TEST_F(part3_trail, one_blur_moves_the_light_by_the_mean_tap_shift)
{
    draw_spot();
    const centre start = front_centre();
    blur_times(1);
    const centre c = front_centre();
    EXPECT_NEAR(c.x - start.x, drift_x, 0.05);
    EXPECT_NEAR(c.y - start.y, drift_y, 0.05);
}

TEST_F(part3_trail, fifty_blurs_creep_right_and_down_by_fifty_shifts_and_spread)
{
    draw_spot();
    const centre start = front_centre();
    blur_times(50);
    const std::vector<std::uint32_t> image = pd3dDev->read_surface(p->feedback_surf[p->front]);
    const centre c = centre_of(image, 512);
    EXPECT_NEAR(c.x - start.x, 50 * drift_x, 1.0);
    EXPECT_NEAR(c.y - start.y, 50 * drift_y, 1.0);

    // Spread: the square's hard edges have become wide soft ones.
    int soft = 0;
    for (std::uint32_t texel : image) {
        const int g = (texel >> 8) & 255;
        soft += g > 20 && g < 235;
    }
    EXPECT_GT(soft, 3000);
}

}  // namespace
}  // namespace vorlane
