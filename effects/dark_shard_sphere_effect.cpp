#include "effects/dark_shard_sphere_effect.h"

#include "clock/show_clock.h"
#include "effects/effect_common.h"
#include "effects/shard_shell.h"
#include "engine/engine.h"
#include "scene/frame.h"
#include "scene/scene.h"

namespace vorlane {

dark_shard_sphere_effect::dark_shard_sphere_effect(scene& s, int index_)
{
    first_vertex = append_shard_shell(s);
    material = add_effect_material(s, 0, 0.1f, 1);
    index = index_;
    s.add_effect(this);
}

void dark_shard_sphere_effect::post_render(scene& s)
{
    device& d = *pd3dDev;
    d.set_render_state(D3DRS_FOGENABLE, 0);

    const float t = static_cast<float>(get_parttime() - 500 * index);
    s.view = sliding_camera(t, 4);
    d.set_transform(D3DTS_VIEW, s.view.e);
    s.projection.perspective(0.1f, 1000, 2.0f);
    d.set_transform(D3DTS_PROJECTION, s.projection.e);

    set_material(*s.materials.at(material));
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);

    draw_shard_layers(s, first_vertex, t, 1.0f);

    // Unlike the bright spheres it leaves stage 0 on the diffuse colour.
    d.set_render_state(D3DRS_FOGENABLE, 1);
}

}  // namespace vorlane
