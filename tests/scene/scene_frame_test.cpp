#include "scene/effect.h"
#include "scene/frame.h"
#include "tests/scene/test_scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace vorlane {
namespace {

// Writes its name and the pass into a shared journal; the first call of
// pre_render can register another effect in the scene.
class journal_effect : public effect {
public:
    journal_effect(std::string name_, std::vector<std::string>& journal_)
        : name(std::move(name_)), journal(journal_)
    {
    }
    void pre_render(scene& s) override
    {
        journal.push_back(name + ".pre");
        if (late) {
            s.add_effect(late);
            late = nullptr;
        }
        // The meshes are drawn after every pre_render.
        seen_cull_at_pre = myengine.pd3dDev->state.cullmode;
    }
    void post_render(scene&) override
    {
        journal.push_back(name + ".post");
        seen_cull_at_post = myengine.pd3dDev->state.cullmode;
    }

    std::string name;
    std::vector<std::string>& journal;
    effect* late = nullptr;
    std::uint32_t seen_cull_at_pre = 0;
    std::uint32_t seen_cull_at_post = 0;
};

TEST(scene_frame_test, a_fresh_scene_is_a_cleared_frame)
{
    scene s(test_engine(), 0);
    render(s);
    EXPECT_EQ(back_buffer_pixel(0, 0), 0u);
    s.clear_colour = 0xFF0099CC;
    render(s);
    EXPECT_EQ(back_buffer_pixel(test_width - 1, test_height - 1), 0xFF0099CCu);
    EXPECT_EQ(myengine.pd3dDev->state.ambient, 0xFF606060u);
    EXPECT_EQ(myengine.pd3dDev->state.lighting, 1u);
    EXPECT_EQ(myengine.pd3dDev->state.fvf, 0x112u);
    EXPECT_EQ(myengine.pd3dDev->state.stream, s.vb.buffer);
    EXPECT_EQ(myengine.pd3dDev->state.stride, 32u);
    EXPECT_EQ(myengine.pd3dDev->state.indices, s.ib.buffer);
}

TEST(scene_frame_test, effects_run_in_registration_order_around_the_meshes)
{
    std::vector<std::string> journal;
    journal_effect a("a", journal), b("b", journal), late("late", journal);
    a.late = &late;
    quad_scene q;
    q.add_quad(0.5f, true, {1, 1, 1, 1}, -1);
    q.s.build_draw_list();
    q.s.add_effect(&a);
    q.s.add_effect(&b);
    q.s.add_effect(&a);  // twice: called twice in each loop
    myengine.pd3dDev->set_render_state(D3DRS_CULLMODE, D3DCULL_NONE);
    render(q.s);
    // "late" joined during a's first pre_render and is called in the same loop.
    EXPECT_EQ(journal, (std::vector<std::string>{"a.pre", "b.pre", "a.pre", "late.pre", "a.post",
                                                 "b.post", "a.post", "late.post"}));
    EXPECT_EQ(b.seen_cull_at_pre, D3DCULL_NONE);
    EXPECT_EQ(b.seen_cull_at_post, D3DCULL_CCW);
}

TEST(scene_frame_test, a_scene_without_objects_still_calls_its_effects)
{
    std::vector<std::string> journal;
    journal_effect a("a", journal);
    scene s(test_engine(), 0);
    s.add_effect(&a);
    myengine.pd3dDev->set_render_state(D3DRS_CULLMODE, D3DCULL_CW);
    render(s);
    EXPECT_EQ(journal, (std::vector<std::string>{"a.pre", "a.post"}));
    // No meshes drawn, so the cull mode is left as it was.
    EXPECT_EQ(a.seen_cull_at_post, D3DCULL_CW);
}

TEST(scene_frame_test, a_lit_mesh_under_a_perspective_camera_reads_back_its_light)
{
    lit_colour_only stage(true);
    quad_scene q;
    // A quad at z = 5, large enough to fill the view.
    mesh* m = q.add_quad(5, true, {1, 0.5f, 0.25f, 1}, -1);
    matrix& world = q.s.objects.at(m->object)->world;
    world.scale_rows(10, 10, 1);
    for (vector& c : m->bbox)
        c.set(1, 1, 5, 1);
    q.s.projection.perspective(1, 100, 1);
    q.s.depth_sort = true;
    // Straight into the screen, against the quad's normal: full diffuse.
    light* l = q.s.lights.at(0);
    l->type = 3;
    l->direction.set(0, 0, 1, 0);
    l->colour = {0.25f, 0.25f, 0.25f, 1};
    q.s.no_lights = 1;
    q.s.build_draw_list();
    render(q.s);

    // Global ambient, the light's ambient and its diffuse, each times the
    // material colour.
    auto expected = [](float c) {
        return static_cast<int>(std::lround(std::fmin(1.0f, c * (96.0f / 255 + 0.25f + 0.25f)) * 255));
    };
    std::uint32_t p = back_buffer_pixel(test_width / 2, test_height / 2);
    EXPECT_NEAR(channel(p, 16), expected(1), 2);
    EXPECT_NEAR(channel(p, 8), expected(0.5f), 2);
    EXPECT_NEAR(channel(p, 0), expected(0.25f), 2);
    EXPECT_TRUE(myengine.pd3dDev->state.light_enabled[0]);
    EXPECT_FLOAT_EQ(m->depth, 5);
}

TEST(scene_frame_test, set_light_copies_the_light_and_enables_it)
{
    light l;
    l.type = 1;
    l.position.set(1, 2, 3, 1);
    l.direction.set(4, 5, 6, 0);
    l.colour = {0.1f, 0.2f, 0.3f, 0.4f};
    l.range = 50;
    l.attenuation[0] = 1;
    l.attenuation[1] = -2;
    l.attenuation[2] = 1;
    l.falloff = 9;
    test_engine();
    set_light(3, l);
    const d3d_light& d = myengine.pd3dDev->state.lights[3];
    EXPECT_EQ(d.type, 1u);
    EXPECT_EQ(d.position.z, 3);
    EXPECT_EQ(d.direction.x, 4);
    EXPECT_EQ(d.diffuse.g, 0.2f);
    EXPECT_EQ(d.ambient.b, 0.3f);
    EXPECT_EQ(d.specular.r, 0);
    EXPECT_EQ(d.range, 50);
    EXPECT_EQ(d.attenuation1, -2);
    EXPECT_EQ(d.attenuation2, 1);
    EXPECT_EQ(d.falloff, 0);
    EXPECT_EQ(d.theta, 0);
    EXPECT_TRUE(myengine.pd3dDev->state.light_enabled[3]);
}

}  // namespace
}  // namespace vorlane
