#include "effects/hbars_effect.h"

#include "clock/show_clock.h"
#include "effects/effect_common.h"
#include "engine/engine.h"
#include "scene/frame.h"
#include "scene/scene.h"

namespace vorlane {

namespace {

float random_height()
{
    return static_cast<float>((rand() % 2000 - 1000) / 1000.0);
}

}  // namespace

hbars_effect::hbars_effect(scene& s)
{
    first_vertex = append_quad(s, quad_uv::plain);
    material = add_effect_material(s, 1, 0.8f, 2);
    for (bar& b : bars)
        b.size = 0.05f;
    s.add_effect(this);
}

void hbars_effect::post_render(scene& s)
{
    device& d = *pd3dDev;
    const float t = static_cast<float>(get_parttime());
    d.set_transform(D3DTS_VIEW, identity_matrix.e);
    d.set_transform(D3DTS_PROJECTION, identity_matrix.e);

    // The bars darken fully at first, then fade to 0.8 between 3 s and 8 s.
    float opacity = 0.8f;
    if (t < 3000)
        opacity = 1.0f;
    else if (t < 8000)
        opacity = static_cast<float>(1 - (t - 3000) * 0.2 / 5000);
    vorlane::material* m = s.materials.at(material);
    m->colour.a = opacity;
    set_material(*m);

    // destination x source alpha: the bar multiplies what is under it.
    d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_SRCALPHA);

    for (bar& b : bars) {
        const float y = b.position(t, random_height);
        matrix world = identity_matrix;
        world(1, 1) = b.size;
        world(3, 1) = y;
        d.set_transform(D3DTS_WORLD, world.e);
        draw_quad(first_vertex);
    }
}

}  // namespace vorlane
