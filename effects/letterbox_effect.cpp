#include "effects/letterbox_effect.h"

#include "clock/show_clock.h"
#include "data/letterbox_map.h"
#include "effects/effect_common.h"
#include "engine/engine.h"
#include "scene/frame.h"
#include "scene/scene.h"

#include <algorithm>

namespace vorlane {

namespace {

constexpr track_key offset_keys[] = {
    {0.32f, 0},     {0.27f, 3500},  {0.09f, 4000},  {0.03f, 4800},
    {0.03f, 13500}, {0.05f, 15000}, {0.1f, 17000},  {0.42f, 20000},
};

}  // namespace

letterbox_effect::letterbox_effect(scene& s)
{
    first_vertex = append_quad(s, quad_uv::band);

    const effect_pictures p = new_effect_pictures(letterbox_width, letterbox_height);
    std::copy(letterbox_map.begin(), letterbox_map.end(), p.alpha);
    std::fill_n(p.colour, letterbox_width * letterbox_height * 3, 0);
    texture = make_effect_texture();

    material = add_effect_material(s, 10, 1.0f, 1, texture);

    // Room for 20 keys, eight written: the last segment's end tangent is
    // taken against the unwritten key 8 at (0, 0), which shapes the final
    // rise towards 0.42.
    offset_track.assign(offset_keys, 20, 20000, end_wrap, 1);
    s.add_effect(this);
}

void letterbox_effect::post_render(scene& s)
{
    device& d = *pd3dDev;
    const float h = track_value(offset_track, static_cast<float>(get_parttime()));
    set_material(*s.materials.at(material));
    d.set_transform(D3DTS_PROJECTION, identity_matrix.e);

    matrix view = identity_matrix;
    view(1, 1) = 0.09f;
    view(3, 1) = 0.91f + h;
    d.set_transform(D3DTS_VIEW, view.e);
    d.set_transform(D3DTS_WORLD, identity_matrix.e);
    draw_quad(first_vertex);

    // The bottom bar is the top one turned by half a turn.
    view(0, 0) = -1;
    view(1, 1) = -0.09f;
    view(3, 1) = -0.91f - h;
    d.set_transform(D3DTS_VIEW, view.e);
    draw_quad(first_vertex);
}

}  // namespace vorlane
