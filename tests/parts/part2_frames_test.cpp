#include "scene/frame.h"
#include "tests/parts/part2_test_scene.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace vorlane {
namespace {

struct part2_frames : testing::Test {
    scene s{parts_engine(), 0};
    part2& p = second_part(s, 0);
};

TEST_F(part2_frames, after_15_seconds_the_tunnel_replaces_the_noise_and_the_fog_goes)
{
    device& d = *pd3dDev;
    d.set_render_state(D3DRS_FOGENABLE, 1);
    set_part_time(15000);  // frame 300
    p.pre_render(s);
    EXPECT_TRUE(s.objects.at(0)->meshes[0].visible);
    EXPECT_FALSE(s.objects.at(14)->meshes[0].visible);
    EXPECT_EQ(d.state.fogenable, 1u);

    set_part_time(15010);
    p.pre_render(s);
    EXPECT_FALSE(s.objects.at(0)->meshes[0].visible);
    EXPECT_TRUE(s.objects.at(14)->meshes[0].visible);
    EXPECT_EQ(d.state.fogenable, 0u);
}

// Pixels with the stripes' colour: no red, blue to green 4 : 3.
int stripe_pixels(const std::vector<std::uint32_t>& frame)
{
    int n = 0;
    for (std::uint32_t p : frame) {
        const int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
        n += r == 0 && b > 60 && std::abs(3 * b - 4 * g) <= 12;
    }
    return n;
}

TEST_F(part2_frames, the_camera_flies_into_the_striped_tunnel)
{
    int (*kept)() = time_func;
    time_func = get_parttime;
    set_part_time(14500);
    render(s);
    EXPECT_LT(stripe_pixels(frame_pixels()), test_width * test_height / 50);
    set_part_time(16000);
    render(s);
    EXPECT_GT(stripe_pixels(frame_pixels()), test_width * test_height / 3);
    time_func = kept;
}

// The echoes of one label, drawn in a white texture of their own and seen
// through a projection that turns depth into screen x: the quad is one
// pixel wide, and ring r's copies, r / 200 in front and behind, land 2r
// columns left and right of it. Every other label is out of view.
struct part2_echo_rings : part2_frames {
    static constexpr int label = 2;  // the handle: one of the three with a ring 0
    static constexpr int row = 22;   // inside the quad, 10 rows tall about the middle

    void place()
    {
        render(s);  // binds the scene's buffers as the show does
        en->clear_pictures();
        std::memset(en->new_picture(8, 8, 1), 0, 64);  // 0 is opaque in an alpha map
        material& m = *s.materials.at(label);
        m.layers[0].texture = en->create_alpha_texture(0);
        m.colour = {1, 0.5f, 0.25f, 1};
        for (int n = 1; n <= 13; ++n) {
            matrix& world = s.objects.at(n)->world;
            world = identity_matrix;
            world(3, 0) = 100;
        }
        // The quad spans -1 .. 1: one pixel wide, its centre a quarter pixel
        // right of the frame's middle, so each copy covers one whole column.
        matrix& world = s.objects.at(label)->world;
        world(0, 0) = 1.0f / 64;
        world(1, 1) = 5.0f / 24;
        world(3, 0) = 0.25f / 32;
        world(3, 2) = 0.5f;
        // No title frame: the title's projected w is negative.
        s.view = identity_matrix;
        s.projection = identity_matrix;
        s.projection(3, 3) = -1;
    }

    std::vector<std::uint32_t> echoes()
    {
        matrix depth_to_x = identity_matrix;
        depth_to_x(2, 0) = 12.5f;  // 1/200 of depth is 2 pixels
        depth_to_x(3, 0) = -12.5f * 0.5f;
        device& d = *pd3dDev;
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        d.set_transform(D3DTS_VIEW, identity_matrix.e);
        d.set_transform(D3DTS_PROJECTION, depth_to_x.e);
        // As each frame begins: the effects drawn after the echoes change it.
        d.set_render_state(D3DRS_AMBIENT, frame_ambient);
        d.set_render_state(D3DRS_FOGENABLE, 0);
        // A quad one pixel wide reaches the chain's last level, which the
        // alpha texture leaves unwritten: the white level 0 only.
        d.set_texture_stage_state(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
        std::vector<cue> none;
        cue_pos = queue_cues(none, {});
        p.post_render(s);
        cue_pos = cue_table;
        d.set_texture_stage_state(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
        return frame_pixels();
    }
};

TEST_F(part2_echo_rings, each_ring_lies_r_over_200_before_and_behind_at_twice_three_times_its_brightness)
{
    // 1000 ms after the last cue the echoes are at their floor, 0.025.
    set_part_time(5000);
    p.cue_time = 4000;
    place();
    const std::vector<std::uint32_t> frame = echoes();
    auto at = [&](int column) { return frame.at(row * test_width + column); };
    const float ambient = float(frame_ambient & 255) / 255;
    const float colour[3] = {1, 0.5f, 0.25f};
    auto expect_lit = [&](std::uint32_t pixel, float brightness, int copies, int r) {
        for (int c = 0; c < 3; ++c) {
            const float expected = copies * 255 * std::min(1.0f, colour[c] * 3 * brightness * ambient);
            EXPECT_NEAR(int(pixel >> (16 - 8 * c) & 255), expected, 1.5) << "ring " << r << " channel " << c;
        }
    };
    // Ring 0 is the label itself, drawn twice in one place at 2 x 0.2.
    expect_lit(at(32), 2 * 0.2f, 2, 0);
    for (int r = 1; r <= 10; ++r) {
        const float a = 2 * (0.025f - 0.0005f * r);
        expect_lit(at(32 - 2 * r), a, 1, r);
        expect_lit(at(32 + 2 * r), a, 1, r);
        EXPECT_EQ(at(32 - 2 * r + 1) & 0xFFFFFF, 0u) << "between rings " << r - 1 << " and " << r;
        EXPECT_EQ(at(32 + 2 * r - 1) & 0xFFFFFF, 0u) << "between rings " << r - 1 << " and " << r;
    }
    // The material keeps its own colour: the next frame is the same.
    EXPECT_TRUE(echoes() == frame);
}

// The title quad is placed by hand 2 units in front of part 1's camera
// (clip w = camera z) at 1/10 size; its frame is projected to the screen.
struct part2_title_frame : part2_frames {
    struct line_point {
        float x, y;
    };
    std::vector<line_point> frame_with_title_at(float x, float y, float z)
    {
        matrix& world = s.objects.at(1)->world;
        world = identity_matrix;
        world(0, 0) = world(1, 1) = 0.1f;
        world(3, 0) = x;
        world(3, 1) = y;
        world(3, 2) = z;
        s.view = identity_matrix;
        s.vb.lock();
        for (int k = 20; k < 28; ++k)
            s.vb.vertex(k)->x = s.vb.vertex(k)->y = 99;
        s.vb.unlock();
        p.post_render(s);
        std::vector<line_point> points;
        s.vb.lock();
        for (int k = 20; k < 28; ++k) {
            points.push_back({s.vb.vertex(k)->x, s.vb.vertex(k)->y});
            if (s.vb.vertex(k)->x != 99) {
                EXPECT_FLOAT_EQ(s.vb.vertex(k)->z, 1) << k;
            }
        }
        s.vb.unlock();
        return points;
    }
    void expect_point(const line_point& got, float x, float y, int k)
    {
        EXPECT_NEAR(got.x, x, 1e-5) << k;
        EXPECT_NEAR(got.y, y, 1e-5) << k;
    }
    void expect_rectangle(const std::vector<line_point>& v, float x0, float y0, float x1, float y1)
    {
        const float corners[5][2] = {{x0, y0}, {x0, y1}, {x1, y1}, {x1, y0}, {x0, y0}};
        for (int k = 0; k < 5; ++k)
            expect_point(v[k], corners[k][0], corners[k][1], k);
    }
};

// Screen x = 1.125 x / 2, y = 1.5 y / 2; the rectangle is 10 % wider.
TEST_F(part2_title_frame, right_of_the_leader_it_runs_to_the_left_edge)
{
    const std::vector<line_point> v = frame_with_title_at(-0.8f, 0.4f, 2);
    const float x0 = 1.125f * (-0.8f - 0.11f) / 2, x1 = 1.125f * (-0.8f + 0.11f) / 2;
    expect_rectangle(v, x0, 1.5f * 0.3f / 2, x1, 1.5f * 0.5f / 2);
    ASSERT_GT(x0, -0.8f);
    expect_point(v[5], -0.8f, -1, 5);
    expect_point(v[6], -0.8f, 0.3f, 6);
    expect_point(v[7], x0, 0.3f, 7);
}

TEST_F(part2_title_frame, left_of_the_leader_it_runs_to_the_right_edge)
{
    const std::vector<line_point> v = frame_with_title_at(-1.8f, -0.2f, 2);
    const float x1 = 1.125f * (-1.8f + 0.11f) / 2;
    ASSERT_LT(x1, -0.8f);
    expect_point(v[6], -0.8f, -0.15f, 6);
    expect_point(v[7], x1, -0.15f, 7);
}

TEST_F(part2_title_frame, across_the_leader_it_rises_to_the_bottom_edge)
{
    const std::vector<line_point> v = frame_with_title_at(-1.4f, 0.4f, 2);
    const float y0 = 1.5f * 0.3f / 2;
    expect_rectangle(v, 1.125f * -1.51f / 2, y0, 1.125f * -1.29f / 2, 1.5f * 0.5f / 2);
    expect_point(v[5], -0.8f, -1, 5);
    expect_point(v[6], -0.8f, y0, 6);
    expect_point(v[7], -0.8f, y0, 7);
}

TEST_F(part2_title_frame, behind_the_camera_there_is_no_frame)
{
    const std::vector<line_point> v = frame_with_title_at(0, 0, -2);
    for (int k = 0; k < 8; ++k)
        expect_point(v[k], 99, 99, k);
}

}  // namespace
}  // namespace vorlane
