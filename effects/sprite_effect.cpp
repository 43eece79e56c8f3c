#include "effects/sprite_effect.h"

#include "clock/show_clock.h"
#include "effects/effect_common.h"
#include "engine/engine.h"
#include "scene/frame.h"
#include "scene/scene.h"

namespace vorlane {

sprite_effect::sprite_effect(scene& s, int texture_, const track& x_track_, const track& y_track_)
    : x_track(x_track_), y_track(y_track_)
{
    first_vertex = append_quad(s, quad_uv::flipped);
    texture = texture_;
    material = add_effect_material(s, 10, 1.0f, 1, texture);
    s.add_effect(this);
}

void sprite_effect::post_render(scene& s)
{
    device& d = *pd3dDev;
    const float t = static_cast<float>(get_parttime());
    d.set_transform(D3DTS_PROJECTION, identity_matrix.e);
    d.set_transform(D3DTS_VIEW, identity_matrix.e);

    matrix world = identity_matrix;
    world(0, 0) = 2.0f;
    world(1, 1) = 0.5f;
    world(3, 0) = track_value(x_track, t);
    world(3, 1) = track_value(y_track, t);
    d.set_transform(D3DTS_WORLD, world.e);

    set_material(*s.materials.at(material));
    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    d.set_render_state(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    draw_quad(first_vertex);
}

}  // namespace vorlane
