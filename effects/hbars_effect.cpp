#include "effects/hbars_effect.h"

#include "clock/show_clock.h"
#include "effects/effect_common.h"
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
    const float t = static_cast<float>(get_parttime());
    // The bars darken fully at first, then fade to 0.8 between 3 s and 8 s.
    float opacity = 0.8f;
    if (t < 3000)
        opacity = 1.0f;
    else if (t < 8000)
        opacity = static_cast<float>(1 - (t - 3000) * 0.2 / 5000);
    s.materials.at(material)->colour.a = opacity;
    draw_bars(s, material, first_vertex, bars, 1, t, random_height);
}

}  // namespace vorlane
