#include "effects/text_sprite_effect.h"

#include "clock/show_clock.h"
#include "effects/effect_common.h"
#include "engine/engine.h"
#include "engine/font.h"
#include "runtime/log.h"
#include "scene/frame.h"
#include "scene/scene.h"

#include <algorithm>

namespace vorlane {

text_sprite_effect::text_sprite_effect(scene& s, const char* text, const track& x_track_,
                                       const track& brightness_track_, font& f)
    : brightness_track(brightness_track_), x_track(x_track_)
{
    first_vertex = append_quad(s, quad_uv::flipped);

    const effect_pictures p = new_effect_pictures(text_sprite_width, text_sprite_height);
    std::fill_n(p.colour, text_sprite_width * text_sprite_height * 3, 0);
    // The wrap height is the picture's own: text running past the bottom
    // comes back at the top instead of writing past the picture.
    f.set_target(p.colour, 3, 0xFFFFFF, text_sprite_width, text_sprite_height);
    f.draw_string(text, 5, 5);
    // Opaque wherever ink fell, transparent elsewhere.
    for (int i = 0; i < text_sprite_width * text_sprite_height; ++i)
        if (p.colour[3 * i] != 0)
            p.alpha[i] = 0;
    texture = make_effect_texture();

    material = add_effect_material(s, 1, 1.0f, 2, texture);
    s.add_effect(this);
}

void text_sprite_effect::post_render(scene& s)
{
    device& d = *pd3dDev;
    d.set_transform(D3DTS_PROJECTION, identity_matrix.e);
    d.set_transform(D3DTS_VIEW, identity_matrix.e);

    const float x = track_value(x_track, static_cast<float>(get_parttime()));
    matrix world = identity_matrix;
    world(0, 0) = 9.0f;
    world(1, 1) = 2.25f;
    world(3, 0) = 7.38f + x;
    d.set_transform(D3DTS_WORLD, world.e);

    const float b = track_value(brightness_track, static_cast<float>(get_parttime()));
    log("%f", b);

    vorlane::material* m = s.materials.at(material);
    m->colour.r = m->colour.g = m->colour.b = b;
    set_material(*m);
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    d.set_texture_stage_state(0, D3DTSS_COLORARG2, D3DTA_TEXTURE);
    d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    draw_quad(first_vertex);
}

}  // namespace vorlane
