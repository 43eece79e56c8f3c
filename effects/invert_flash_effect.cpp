#include "effects/invert_flash_effect.h"

#include "clock/show_clock.h"
#include "effects/effect_common.h"
#include "engine/engine.h"
#include "scene/frame.h"
#include "scene/scene.h"

#include <cmath>

namespace vorlane {

invert_flash_effect::invert_flash_effect(scene& s)
{
    first_vertex = append_quad(s, quad_uv::plain);
    material = add_effect_material(s, 1, 0.8f, 2);
    start = -1000.0f;
    s.add_effect(this);
}

void invert_flash_effect::post_render(scene& s)
{
    const float t = static_cast<float>(get_parttime());
    if (t < 28500 || t - start > 500)
        return;
    device& d = *pd3dDev;
    d.set_transform(D3DTS_VIEW, identity_matrix.e);
    d.set_transform(D3DTS_PROJECTION, identity_matrix.e);
    d.set_transform(D3DTS_WORLD, identity_matrix.e);

    const float c = static_cast<float>(std::cos((t - start) * 3.14159 / 2 / 500));
    vorlane::material* m = s.materials.at(material);
    // Source minus picture while c is high, then the picture comes back
    // additively as c falls.
    if (c > 0.5f) {
        d.set_render_state(D3DRS_BLENDOP, D3DBLENDOP_SUBTRACT);
        m->colour.a = 2 * c - 1;
    } else {
        d.set_render_state(D3DRS_BLENDOP, D3DBLENDOP_ADD);
        m->colour.a = 1 - 2 * c;
    }
    const float level = static_cast<float>(1.2 * c);
    m->colour.r = m->colour.g = m->colour.b = level;
    set_material(*m);

    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_ONE);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_SRCALPHA);
    d.set_render_state(D3DRS_AMBIENT, 0xFFFFFFFF);
    draw_quad(first_vertex);
    d.set_render_state(D3DRS_AMBIENT, frame_ambient);
    d.set_render_state(D3DRS_BLENDOP, D3DBLENDOP_ADD);
}

}  // namespace vorlane
