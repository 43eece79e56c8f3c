#include "effects/vbars_effect.h"

#include "clock/show_clock.h"
#include "effects/effect_common.h"
#include "scene/scene.h"

namespace vorlane {

namespace {

// x in [-0.9, -0.301]: the left part of the screen.
float random_x()
{
    return static_cast<float>((rand() % 600 - 300) / 1000.0 - 0.6);
}

constexpr track_key opacity_keys[] = {
    {1.0f, 0}, {1.0f, 3000}, {0.9f, 5000}, {0.9f, 14000}, {1.0f, 21000}, {1.0f, 30000},
};

}  // namespace

vbars_effect::vbars_effect(scene& s)
{
    first_vertex = append_quad(s, quad_uv::plain);
    material = add_effect_material(s, 1, 0.9f, 2);
    for (bar& b : bars)
        b.size = 0.03f;
    // Room for 20 keys, six written; the rest stay (0, 0).
    opacity_track.assign(opacity_keys, 20, 30000, end_wrap, 0);
    s.add_effect(this);
}

void vbars_effect::post_render(scene& s)
{
    const float t = static_cast<float>(get_parttime());
    s.materials.at(material)->colour.a = track_value(opacity_track, t);
    draw_bars(s, material, first_vertex, bars, 0, t, random_x);
}

}  // namespace vorlane
