// The second half of the fourth part: the cloud morphs into a bright
// spiral that rises and wraps, bulged by a ring that sweeps upwards, with a
// dark spiral subtracted from the picture, under a circling camera.

#include "clock/show_clock.h"
#include "effects/invert_flash_effect.h"
#include "engine/engine.h"
#include "parts/part4.h"
#include "scene/scene.h"

#include <algorithm>
#include <cmath>

namespace vorlane {

namespace {

constexpr float morph_time = 500;  // ms
constexpr float boost_length = 500;  // ms of faster spin and rise after a cue 1
constexpr float shake_length = 500;
constexpr float zoom_pulse_length = 700;

// Heights in the show stay below a few thousand; far beyond that one fmod
// replaces the steps, so the wrap ends for any finite height.
constexpr float wrap_top = 40;
constexpr float wrap_step = 85;
constexpr float stepped_limit = wrap_top + 1000 * wrap_step;

}  // namespace

void part4::switch_halves()
{
    pulse_time = shake_time = spin_last = boost_time = zoom_pulse_time = -1000;
    sprite_count = spiral_sprites;

    // The first half's final slide and roll, baked into its points. Entries
    // it never wrote are (0, 0, 0, 0) and take part all the same.
    matrix m = identity_matrix;
    m.rotate_ypr(0, 0, cloud_roll(second_half_start));
    const float slide = cloud_slide(second_half_start);
    for (int p = 0; p < spiral_sprites; ++p) {
        vector q = *blob_pos.at(p);
        q.x += slide;
        blob_pos.at(p)->transform(q, m);

        const float height = 0.3f * static_cast<float>(p) - 15;
        const double r1 = (std::sin(43 * p + 0.4) + 1.2) * 3;
        spiral_pos.at(p)->set(static_cast<float>(std::sin(57 * p) * r1), height,
                              static_cast<float>(std::cos(57 * p) * r1), 1);
        *spiral_size.at(p) = static_cast<float>(r1 + 2);
        const double r2 = (std::sin(47 * p + 0.4) + 1) * 3;
        swirl_pos.at(p)->set(static_cast<float>(std::sin(51 * p) * r2), height,
                             static_cast<float>(std::cos(51 * p) * r2), 1);
    }
}

void part4::second_half_cue(int cue, float u)
{
    switch (cue) {
    case 0:
        flash->start = static_cast<float>(get_parttime());  // the flash counts part time
        break;
    case 1:
        spin_last = u;
        boost_time = u;
        break;
    case 2:
        zoom_pulse_time = u;
        break;
    case 3:
        shake_time = u;
        break;
    case 4:
        spin += 0.4f;
        break;
    case 5:
        pulse_time = u;
        break;
    default:
        break;
    }
}

float part4::aim_camera(scene& s, float u)
{
    // After a cue 1, a full turn per 500 ms, advanced by the time since the
    // last frame so that it starts without a jump.
    if (u - boost_time < boost_length) {
        spin += (u - spin_last) * 2 * 3.14159f / 500;
        spin_last = u;
    }
    const double tilt = 1.3f;
    vector eye{static_cast<float>(std::sin(spin) * std::sin(tilt)), static_cast<float>(std::cos(tilt)),
               static_cast<float>(std::cos(spin) * std::sin(tilt)), 1};
    float ts = track_value(spread_track, u);
    const float since_zoom = u - zoom_pulse_time;
    if (since_zoom <= zoom_pulse_length) {
        // The camera dives in to 2 units and back out to 12, while the
        // spiral widens to twice its spread and back.
        const double e = since_zoom * 3.14159 / zoom_pulse_length;
        eye.scale(static_cast<float>(std::cos(e) * std::cos(e) * 10 + 2));
        ts = static_cast<float>((std::sin(e) + 1) * ts);
    } else {
        eye.scale(12);
    }
    s.view = look_at(eye);
    const float since_shake = u - shake_time;
    if (since_shake < shake_length)
        s.view.move(static_cast<float>(2 * std::sin(since_shake * 5)), 0,
                    static_cast<float>(std::sin(since_shake * 57)));
    // The device takes both matrices when the next frame begins.
    s.projection.perspective(0.1f, 1000, 1.0f);
    return ts;
}

vector part4::bright_point(int n, float u, float k, float ts, float ring, const matrix& r)
{
    const vector& to = *spiral_pos.at(n);
    const vector& from = *blob_pos.at(n);
    const vector mixed{to.x * k + from.x * (1 - k), to.y * k + from.y * (1 - k),
                       to.z * k + from.z * (1 - k), to.w};
    vector p;
    p.transform(mixed, r);

    // Each sprite rises at its own speed; once the spread passes 10 the
    // divisor (ts - 9)^1000 stops the rise dead.
    const float speed = u - boost_time < boost_length ? 0.0115f : 0.0015f;
    const double rise = static_cast<double>(u) * *spiral_size.at(n) * speed;
    p.y += static_cast<float>(ts >= 10 ? rise / std::pow(static_cast<double>(ts) - 9, 1000) : rise);
    p.y = wrap_height(p.y);

    // The ring bulges the spiral by up to half its radius.
    const float off = p.y - ring;
    if (off > -10 && off < 10) {
        const auto f = static_cast<float>(std::cos(off / 20 * 3.14159) * 0.5 + 1);
        p.x *= f;
        p.z *= f;
    }
    p.x *= ts;
    p.z *= ts;
    return p;
}

void part4::draw_spirals(scene& s, float u)
{
    const float k = std::min(u / morph_time, 1.0f);
    second_half_cue(get_cue(), u);
    const float ring = (u - pulse_time) * 0.06f - 15;
    matrix r = identity_matrix;
    r.rotate_ypr(k * 2 * 3.14159f, 0, 0);
    const float ts = aim_camera(s, u);

    device& d = *pd3dDev;
    d.set_texture(0, *myengine.textures.at(glow_tex));
    d.set_render_state(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_INVSRCALPHA);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_SRCALPHA);
    for (int n = 0; n < sprite_count; ++n) {
        const vector p = bright_point(n, u, k, ts, ring, r);
        draw_sprite(p.x, p.y, p.z, p.w, 1, s.view);
    }

    // The dark spiral takes its glow away from the picture.
    d.set_render_state(D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT);
    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_INVSRCALPHA);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_ONE);
    for (int n = 0; n < swirl_sprites; ++n) {
        vector q = *swirl_pos.at(n);
        q.y += ring;
        const auto f = static_cast<float>(std::sin(q.y) * 0.5 + 1);
        q.x *= f;
        q.z *= f;
        draw_sprite(q.x, q.y, q.z, q.w, 1, s.view);
    }
}

float wrap_height(float y)
{
    if (y > stepped_limit)
        y = wrap_top + std::fmod(y - wrap_top, wrap_step);
    while (y > wrap_top)
        y -= wrap_step;
    return y;
}

}  // namespace vorlane
