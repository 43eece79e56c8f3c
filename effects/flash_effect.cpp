#include "effects/flash_effect.h"

#include "clock/show_clock.h"
#include "effects/effect_common.h"
#include "engine/engine.h"
#include "scene/frame.h"
#include "scene/scene.h"

#include <cmath>

namespace vorlane {

flash_effect::flash_effect(scene& s)
{
    first_vertex = append_quad(s, quad_uv::plain);
    material = add_effect_material(s, 10, 0.8f, 1);
    start = -1000.0f;
    s.add_effect(this);
}

void flash_effect::post_render(scene& s)
{
    device& d = *pd3dDev;
    const float t = static_cast<float>(get_parttime());
    d.set_transform(D3DTS_VIEW, identity_matrix.e);
    d.set_transform(D3DTS_PROJECTION, identity_matrix.e);
    d.set_transform(D3DTS_WORLD, identity_matrix.e);
    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_ONE);
    d.set_render_state(D3DRS_ZENABLE, D3DZB_FALSE);
    if (t - start < 300) {
        vorlane::material* m = s.materials.at(material);
        m->colour.a = static_cast<float>(std::cos((t - start) * 3.14159 / 2 / 300));
        set_material(*m);
        draw_quad(first_vertex);
    }
    d.set_render_state(D3DRS_ZENABLE, D3DZB_TRUE);
}

}  // namespace vorlane
