#include "scene/frame.h"
#include "scene/scene.h"
#include "tests/engine/test_engine.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

const device_state& state()
{
    return test_engine().pd3dDev->state;
}

// Two textures to bind, made once.
int texture_pair()
{
    static int first = [] {
        engine& e = test_engine();
        e.clear_pictures();
        e.new_picture(2, 2, 3);
        e.new_picture(2, 2, 3);
        int t = e.create_texture(0);
        e.create_texture(1);
        return t;
    }();
    return first;
}

TEST(scene_material_test, blend_values_set_blending_and_depth_writes)
{
    test_engine();
    material m;
    m.colour = {0.5f, 0.25f, 1, 0.75f};
    m.blend = 1;
    set_material(m);
    EXPECT_EQ(state().alphablendenable, 1u);
    EXPECT_EQ(state().zwriteenable, 0u);
    EXPECT_EQ(state().srcblend, D3DBLEND_SRCALPHA);
    EXPECT_EQ(state().destblend, D3DBLEND_INVSRCALPHA);
    EXPECT_EQ(state().material.diffuse.g, 0.25f);
    EXPECT_EQ(state().material.ambient.a, 0.75f);
    EXPECT_EQ(state().material.specular.r, 0.5f);
    EXPECT_EQ(state().material.emissive.r, 0);

    m.blend = 2;
    set_material(m);
    EXPECT_EQ(state().destblend, D3DBLEND_ONE);

    // Opaque leaves the factors as they were.
    m.blend = 7;
    set_material(m);
    EXPECT_EQ(state().alphablendenable, 0u);
    EXPECT_EQ(state().zwriteenable, 1u);
    EXPECT_EQ(state().srcblend, D3DBLEND_SRCALPHA);
    EXPECT_EQ(state().destblend, D3DBLEND_ONE);
}

TEST(scene_material_test, layers_fill_stages_and_the_rest_are_emptied)
{
    engine& e = test_engine();
    int t = texture_pair();
    material m;
    layer* base = m.add_layer();
    base->texture = t;
    base->alpha_from_texture = 1;
    layer* env = m.add_layer();
    env->texture = t + 1;
    env->texgen = 2;
    env->tex_matrix.move(0.5f, 0.5f, 0);
    e.pd3dDev->set_texture(2, *e.textures.at(t));
    set_material(m);
    EXPECT_EQ(state().textures[0], *e.textures.at(t));
    EXPECT_EQ(state().textures[1], *e.textures.at(t + 1));
    EXPECT_EQ(state().textures[2], nullptr);
    EXPECT_EQ(state().textures[3], nullptr);
    EXPECT_EQ(state().stages[1].color_op, D3DTOP_ADD);
    EXPECT_EQ(state().stages[0].alpha_arg1, D3DTA_TEXTURE);
    EXPECT_EQ(state().stages[1].alpha_arg1, D3DTA_DIFFUSE);
    EXPECT_EQ(state().stages[0].texture_transform_flags, D3DTTFF_DISABLE);
    EXPECT_EQ(state().stages[0].tex_coord_index, 0u);
    EXPECT_EQ(state().stages[1].texture_transform_flags, D3DTTFF_COUNT2);
    EXPECT_EQ(state().stages[1].tex_coord_index, D3DTSS_TCI_CAMERASPACENORMAL);
    // Stage 1's matrix goes to texture transform 0.
    EXPECT_EQ(state().texture_transform[0].m[12], 0.5f);
    EXPECT_EQ(state().texture_transform[1].m[12], 0);

    m.no_layers = 1;
    m.layers[0].texgen = 1;
    m.layers[0].alpha_from_texture = 2;  // only 1 means the texture
    set_material(m);
    EXPECT_EQ(state().stages[1].color_op, D3DTOP_DISABLE);
    EXPECT_EQ(state().textures[1], nullptr);
    EXPECT_EQ(state().stages[0].alpha_arg1, D3DTA_DIFFUSE);
    EXPECT_EQ(state().stages[0].tex_coord_index, D3DTSS_TCI_CAMERASPACEPOSITION);
    EXPECT_EQ(state().texture_transform[0].m[12], 0);  // layer 0's identity
}

TEST(scene_material_test, stage_0_colour_operation_is_left_to_its_owner)
{
    engine& e = test_engine();
    e.pd3dDev->set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    material m;
    m.add_layer()->texture = texture_pair();
    set_material(m);
    EXPECT_EQ(state().stages[0].color_op, D3DTOP_SELECTARG1);
    e.pd3dDev->set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
}

}  // namespace
}  // namespace vorlane
