#include "effects/glow_effect.h"

#include "clock/show_clock.h"
#include "effects/effect_common.h"
#include "engine/engine.h"
#include "scene/frame.h"
#include "scene/scene.h"
#include "scene/track.h"

#include <cmath>

namespace vorlane {

namespace {

// Brightness by distance from the centre: full to 90 pixels, falling
// linearly to nothing at 100.
constexpr track_key falloff_keys[] = {{255, 0}, {255, 90}, {0, 100}, {0, 256}};

}  // namespace

glow_effect::glow_effect(scene& s)
{
    first_vertex = append_quad(s, quad_uv::upright);

    track falloff;
    falloff.assign(falloff_keys, 10, 100000, end_wrap, 0);

    const effect_pictures p = new_effect_pictures(glow_size, glow_size);
    for (int y = 0; y < glow_size; ++y)
        for (int x = 0; x < glow_size; ++x) {
            const int dx = x - 128;
            const int dy = y - 128;
            const float r = static_cast<float>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
            const auto value = static_cast<unsigned char>(static_cast<int>(track_value(falloff, r)));
            unsigned char* pixel = p.colour + 3 * (y * glow_size + x);
            pixel[0] = pixel[1] = pixel[2] = value;
        }
    texture = make_effect_texture();

    // The layer takes its alpha from the diffuse colour: the disc's shape
    // is in its colours alone, and the additive blend does the rest.
    material = add_effect_material(s, 10, 1.0f, 2, texture, 0);
    s.add_effect(this);
}

void glow_effect::post_render(scene& s)
{
    device& d = *pd3dDev;
    const float t = static_cast<float>(get_parttime());
    s.projection.perspective(0.1f, 1000, 2.0f);
    d.set_transform(D3DTS_PROJECTION, s.projection.e);

    s.view = sliding_camera(t, 3);
    s.view(0, 0) = 1.5f;
    s.view(1, 1) = 1.5f;
    d.set_transform(D3DTS_VIEW, s.view.e);
    d.set_transform(D3DTS_WORLD, identity_matrix.e);

    set_material(*s.materials.at(material));
    d.set_render_state(D3DRS_FOGENABLE, 0);
    draw_quad(first_vertex);
    d.set_render_state(D3DRS_FOGENABLE, 1);
}

}  // namespace vorlane
