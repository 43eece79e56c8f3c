#include "effects/shard_sphere_effect.h"

#include "clock/show_clock.h"
#include "effects/effect_common.h"
#include "effects/shard_shell.h"
#include "engine/engine.h"
#include "scene/frame.h"
#include "scene/scene.h"

namespace vorlane {

shard_sphere_effect::shard_sphere_effect(scene& s, int index_)
{
    first_vertex = append_shard_shell(s);
    material = add_effect_material(s, 0.8f, 1.0f, 2);
    index = index_;
    enabled = 0;
    s.add_effect(this);
}

void shard_sphere_effect::post_render(scene& s)
{
    if (enabled == 0)
        return;
    device& d = *pd3dDev;
    d.set_render_state(D3DRS_FOGENABLE, 0);
    d.set_render_state(D3DRS_ZENABLE, D3DZB_FALSE);

    const float t = static_cast<float>(get_parttime() - 500 * index);
    s.view = identity_matrix;
    s.view(3, 0) = static_cast<float>(8 - 4 * index);
    s.view(3, 1) = 6;
    s.view(3, 2) = 15;
    d.set_transform(D3DTS_VIEW, s.view.e);
    s.projection.perspective(0.1f, 1000, 2.0f);
    d.set_transform(D3DTS_PROJECTION, s.projection.e);

    // Spheres further along the row are fainter.
    vorlane::material* m = s.materials.at(material);
    m->colour.a = static_cast<float>((1 - 0.2 * index) * 0.5);
    set_material(*m);
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);

    draw_shard_layers(s, first_vertex, t, 1.2f);

    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d.set_render_state(D3DRS_ZENABLE, D3DZB_TRUE);
    d.set_render_state(D3DRS_FOGENABLE, 1);
}

}  // namespace vorlane
