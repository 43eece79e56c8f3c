#include "scene/frame.h"

#include "engine/engine.h"
#include "scene/effect.h"
#include "scene/scene.h"

#include <algorithm>

namespace vorlane {

namespace {

void draw_mesh(scene& s, const mesh& m)
{
    pd3dDev->set_transform(D3DTS_WORLD, s.objects.at(m.object)->world.e);
    set_material(*s.materials.at(m.material));
    pd3dDev->draw_indexed_primitive(D3DPT_TRIANGLELIST, m.min_index, m.num_vertices,
                                      m.start_index, m.prim_count);
}

}  // namespace

void render(scene& s)
{
    device& d = *pd3dDev;
    d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, s.clear_colour, 1.0f, 0);
    d.begin_scene();
    d.set_transform(D3DTS_PROJECTION, s.projection.e);
    d.set_transform(D3DTS_VIEW, s.view.e);
    for (int i = 0; i < s.no_lights; ++i)
        set_light(i, *s.lights.at(i));
    d.set_render_state(D3DRS_LIGHTING, 1);
    d.set_render_state(D3DRS_AMBIENT, s.ambient);
    d.set_vertex_shader(vertex_fvf);
    d.set_stream_source(0, s.vb.buffer, sizeof(fvf_vertex));
    d.set_indices(s.ib.buffer, 0);

    // no_effects is read again before every call: an effect registered
    // during the loop is called in the same loop.
    for (int i = 0; i < s.no_effects; ++i)
        (*s.effects.at(i))->pre_render(s);
    if (s.no_objects != 0) {
        if (s.depth_sort)
            s.sort_draw_list();
        draw_meshes(s);
    }
    for (int i = 0; i < s.no_effects; ++i)
        (*s.effects.at(i))->post_render(s);

    d.end_scene();
    d.present();
}

void set_light(int index, const light& l)
{
    d3d_light dl;
    dl.type = static_cast<std::uint32_t>(l.type);
    dl.diffuse = l.colour;
    dl.ambient = {l.colour.r * l.ambient_share, l.colour.g * l.ambient_share, l.colour.b * l.ambient_share,
                  l.colour.a};
    dl.position = {l.position.x, l.position.y, l.position.z};
    dl.direction = {l.direction.x, l.direction.y, l.direction.z};
    dl.range = l.range;
    dl.attenuation0 = l.attenuation[0];
    dl.attenuation1 = l.attenuation[1];
    dl.attenuation2 = l.attenuation[2];
    // A scene file's spot: its cone and soft edge are half-angles in
    // degrees; the device takes the whole inner and outer angles.
    if (l.cone_angle > 0) {
        constexpr float degree = 3.14159265f / 180;
        dl.theta = 2 * std::max(l.cone_angle - l.edge_angle, 0.0f) * degree;
        dl.phi = 2 * l.cone_angle * degree;
        dl.falloff = 1;
    }
    pd3dDev->set_light(index, dl);
    pd3dDev->light_enable(index, true);
}

void set_material(const material& m)
{
    device& d = *pd3dDev;
    d3d_material dm;
    dm.diffuse = m.colour;
    dm.diffuse.r *= m.diffuse;
    dm.diffuse.g *= m.diffuse;
    dm.diffuse.b *= m.diffuse;
    dm.ambient = dm.diffuse;
    dm.specular = m.colour;
    dm.emissive = {m.colour.r * m.luminosity, m.colour.g * m.luminosity, m.colour.b * m.luminosity, 0};
    d.set_material(dm);

    if (m.blend == 1 || m.blend == 2) {
        d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
        d.set_render_state(D3DRS_ZWRITEENABLE, 0);
        d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        d.set_render_state(D3DRS_DESTBLEND, m.blend == 1 ? D3DBLEND_INVSRCALPHA : D3DBLEND_ONE);
    } else {
        d.set_render_state(D3DRS_ALPHABLENDENABLE, 0);
        d.set_render_state(D3DRS_ZWRITEENABLE, 1);
    }

    // A layer count outside 0..2 (never made by add_layer) is held to the
    // two layers a material has.
    int layers = std::clamp(m.no_layers, 0, 2);
    d.set_texture_stage_state(1, D3DTSS_COLOROP, layers > 1 ? D3DTOP_ADD : D3DTOP_DISABLE);
    for (int i = 0; i < layers; ++i) {
        const layer& l = m.layers[i];
        d.set_texture(i, *myengine.textures.at(l.texture));
        d.set_texture_stage_state(i, D3DTSS_ALPHAARG1,
                                  l.alpha_from_texture == 1 ? D3DTA_TEXTURE : D3DTA_DIFFUSE);
        if (l.texgen == 1 || l.texgen == 2) {
            // Always texture transform 0, whatever the stage.
            d.set_transform(D3DTS_TEXTURE0, l.tex_matrix.e);
            d.set_texture_stage_state(i, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
            d.set_texture_stage_state(i, D3DTSS_TEXCOORDINDEX,
                                      l.texgen == 1 ? D3DTSS_TCI_CAMERASPACEPOSITION
                                                    : D3DTSS_TCI_CAMERASPACENORMAL);
        } else {
            d.set_texture_stage_state(i, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
            d.set_texture_stage_state(i, D3DTSS_TEXCOORDINDEX, 0);
        }
    }
    for (int stage = layers; stage < max_texture_stages; ++stage)
        d.set_texture(stage, nullptr);
}

void draw_meshes(scene& s)
{
    device& d = *pd3dDev;
    // Effects may have moved the camera in pre_render.
    d.set_transform(D3DTS_PROJECTION, s.projection.e);
    d.set_transform(D3DTS_VIEW, s.view.e);
    d.set_render_state(D3DRS_CULLMODE, D3DCULL_NONE);

    // Everything before the first alpha-blended mesh is drawn once; from
    // there on, back faces first and then front faces, so transparent
    // shells show their far side behind their near side.
    int first_blended = s.no_meshes;
    for (int i = 0; i < s.no_meshes; ++i) {
        const mesh& m = **s.draw_list.at(i);
        if (s.materials.at(m.material)->blend == 1) {
            first_blended = i;
            break;
        }
        if (m.visible)
            draw_mesh(s, m);
    }
    for (std::uint32_t cull : {D3DCULL_CW, D3DCULL_CCW}) {
        d.set_render_state(D3DRS_CULLMODE, cull);
        for (int i = first_blended; i < s.no_meshes; ++i) {
            const mesh& m = **s.draw_list.at(i);
            if (m.visible)
                draw_mesh(s, m);
        }
    }
}

}  // namespace vorlane
