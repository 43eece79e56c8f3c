#include "effects/bar.h"

#include "effects/effect_common.h"
#include "engine/engine.h"
#include "scene/frame.h"
#include "scene/scene.h"

namespace vorlane {

void draw_bars(scene& s, int material, int first_vertex, bar (&bars)[bar_count], int axis, float t,
               float (*next_position)())
{
    device& d = *pd3dDev;
    d.set_transform(D3DTS_VIEW, identity_matrix.e);
    d.set_transform(D3DTS_PROJECTION, identity_matrix.e);
    set_material(*s.materials.at(material));

    // destination x source alpha: the bar multiplies what is under it.
    d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_SRCALPHA);

    for (bar& b : bars) {
        matrix world = identity_matrix;
        world(axis, axis) = b.size;
        world(3, axis) = b.position(t, next_position);
        d.set_transform(D3DTS_WORLD, world.e);
        draw_quad(first_vertex);
    }
}

}  // namespace vorlane
