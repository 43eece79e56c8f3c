#include "parts/part4.h"

#include "clock/show_clock.h"
#include "data/camera_angles.h"
#include "effects/invert_flash_effect.h"
#include "effects/sprite_effect.h"
#include "effects/text_sprite_effect.h"
#include "engine/engine.h"
#include "engine/trig_tables.h"
#include "parts/fonts.h"
#include "parts/text_textures.h"
#include "scene/scene.h"

#include <algorithm>
#include <cmath>

namespace vorlane {

namespace {

constexpr int part4_length = 55840;  // ms
constexpr int glow_sprite_size = 256;       // pixels

// The motion parameter stays 0 until 11 s, then speeds up. The four zero
// keys at the end are part of the curve: the segment from 20 s to 50 s
// takes its end tangent from the first of them.
constexpr track_key motion_keys[] = {{0, 0},         {0, 11000},      {0.002f, 12000},
                                     {0.026f, 14000}, {0.2f, 20000},   {2.0f, 50000}};
constexpr int motion_key_room = 10;
constexpr track_key zoom_keys[] = {{1.5f, 0},     {1.5f, 20000}, {0.5f, 23000},
                                   {0.5f, 27800}, {0.3f, 28000}, {0.7f, 28500}};
// In local time of the second half.
constexpr track_key spread_keys[] = {{1, 0},      {1, 7500},    {1.6f, 13000}, {6, 16000},
                                     {10, 18500}, {100, 23500}, {1000, 30000}};

// When each word is in the middle of the screen (ms of part time).
constexpr float word_times[first_code_line] = {31800, 32900, 34100, 35200, 36400,
                                               37500, 38700, 39800, 41000};

constexpr track_key number_x_keys[] = {{2.5f, 0}, {2.5f, 46000}, {-2.5f, 55000}, {-2.5f, 60000}};
constexpr track_key number_brightness_keys[] = {{0.7f, 0}};

void write_quad(scene& s)
{
    struct corner {
        float x, y, u, v;
    };
    static constexpr corner corners[4] = {{-1, 1, 0, 0}, {1, 1, 1, 0}, {-1, -1, 0, 1}, {1, -1, 1, 1}};
    s.vb.lock();
    for (int k = 0; k < 4; ++k) {
        fvf_vertex* v = s.vb.vertex(k);
        v->x = corners[k].x;
        v->y = corners[k].y;
        v->z = 1;
        v->u = corners[k].u;
        v->v = corners[k].v;
    }
    s.vb.unlock();
    // The effects made below append their own quads behind this one.
    s.no_vertices = 4;
}

// White, with an alpha map that is transparent within radius 42 and
// opaque from 125 out: under the part's blending a white disc with a soft
// edge.
int make_glow_texture()
{
    en->clear_pictures();
    unsigned char* p = en->new_picture(glow_sprite_size, glow_sprite_size, 1);
    for (int y = -glow_sprite_size / 2; y < glow_sprite_size / 2; ++y)
        for (int x = -glow_sprite_size / 2; x < glow_sprite_size / 2; ++x) {
            const double d = std::sqrt(static_cast<double>(x * x + y * y));
            double v = (127 - d) * 3;
            if (v > 255)
                v = 255;
            if (v < 5)
                v = 0;
            p[(y + glow_sprite_size / 2) * glow_sprite_size + x + glow_sprite_size / 2] = static_cast<unsigned char>(v);
        }
    return en->create_alpha_texture(0);
}

void make_words(scene& s)
{
    for (int k = 0; k < first_code_line; ++k) {
        const float t = word_times[k];
        const track_key x_keys[] = {{5, 0}, {5, t - 900}, {0.38f, t}, {-1.5f, t + 600}, {-3.6f, 50000}};
        track x;
        x.assign(x_keys, 5, 50000, end_wrap, 1);
        const track_key y_keys[] = {{static_cast<float>(0.6 * std::sin(2.4 * k)), 0}};
        track y;
        y.assign(y_keys, 1, 50000, end_wrap, 0);
        s.make<sprite_effect>(text_tex[k], x, y);
    }
}

}  // namespace

part4::part4(scene& s)
{
    part_length = part4_length;
    s.clear_colour = 0;
    write_quad(s);
    glow_tex = make_glow_texture();

    s.add_effect(this);
    flash = s.make<invert_flash_effect>();
    make_words(s);
    for (int n = 0; n < code_line_count; ++n)
        s.make<sprite_effect>(text_tex[first_code_line + n], line_x_track[n], line_y_track[n]);
    track number_x;
    number_x.assign(number_x_keys, 4, 60000, end_wrap, 0);
    track number_brightness;
    number_brightness.assign(number_brightness_keys, 1, 0, end_wrap, 0);
    s.make<text_sprite_effect>("444", number_x, number_brightness, part1_fnt3);

    device& d = *pd3dDev;
    d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d.set_render_state(D3DRS_FOGENABLE, 0);
    d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
    d.set_render_state(D3DRS_BLENDOP, D3DBLENDOP_ADD);

    motion_track.assign(motion_keys, motion_key_room, 100000, end_wrap, 1);
    zoom_track.assign(zoom_keys, 6, 100000, end_wrap, 1);
    spread_track.assign(spread_keys, 7, 100000, end_wrap, 0);

    s.view(3, 0) = 0;
    s.view(3, 1) = -0.5f;
    s.view(3, 2) = 7;
    d.set_transform(D3DTS_VIEW, s.view.e);
    s.projection.perspective(0.1f, 1000, 2.0f);
}

void part4::pre_render(scene& s)
{
    const int t = get_parttime();
    const auto tf = static_cast<float>(t);
    device& d = *pd3dDev;
    d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    // Each sprite covers what is behind it with white where its alpha is
    // low: source x (1 - alpha) + destination x alpha.
    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_INVSRCALPHA);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_SRCALPHA);

    if (tf >= second_half_start) {
        if (first_half != 0) {
            switch_halves();
            first_half = 0;
        }
        draw_spirals(s, tf - second_half_start);
        return;
    }

    first_half_cue(s, get_cue(), tf);
    s.projection.perspective(0.1f, 1000, track_value(zoom_track, tf));
    d.set_transform(D3DTS_PROJECTION, s.projection.e);
    d.set_texture(0, *myengine.textures.at(glow_tex));
    fill_field(field, track_value(motion_track, tf));
    sprite_count = find_surface(field, blob_pos, blob_size);
    draw_cloud(s, tf);
}

void part4::first_half_cue(scene& s, int cue, float tf)
{
    if (cue == 0) {
        pulse_time = tf;
        return;
    }
    // The table has one view per cut; any cut beyond it keeps the last.
    if (cue != 2 || camera_cursor >= camera_angle_count)
        return;
    const camera_angle& c = camera_angles[camera_cursor++];
    const float r = 10 * sin_table[c.a];
    const vector eye{10 * cos_table[c.a], r * sin_table[c.b], r * cos_table[c.b], 1};
    s.view = look_at(eye);
    pd3dDev->set_transform(D3DTS_VIEW, s.view.e);
}

float part4::swell(float tf) const
{
    const float since = tf - pulse_time;
    if (since > 300)
        return 1;
    const float fade = std::clamp(1 - (tf - 11000) / 5000, 0.0f, 1.0f);
    return static_cast<float>(std::pow(0.5, since * 0.01) * (3 * fade + 2) + 1);
}

void part4::draw_cloud(scene& s, float tf)
{
    matrix m = identity_matrix;
    m.rotate_ypr(0, 0, cloud_roll(tf));
    const float slide = cloud_slide(tf);
    const float grow = swell(tf);
    for (int n = 0; n < sprite_count; ++n) {
        vector p = *blob_pos.at(n);
        p.x += slide;
        vector q;
        q.transform(p, m);
        draw_sprite(q.x, q.y, q.z, q.w, *blob_size.at(n) * grow, s.view);
    }
}

float cloud_slide(float tf)
{
    return static_cast<float>(32 - std::min(tf, 9500.0f) * 0.0027);
}

float cloud_roll(float tf)
{
    return std::clamp(tf - 10000, 0.0f, 500.0f) * 0.019f;
}

void draw_sprite(float x, float y, float z, float w, float size, const matrix& view)
{
    matrix m = view;
    m.rigid_inverse();
    m.set_row(3, vector{x, y, z, w});
    m.scale_rows(size, size, 1);
    device& d = *pd3dDev;
    d.set_transform(D3DTS_WORLD, m.e);
    d.draw_primitive(D3DPT_TRIANGLESTRIP, 0, 2);
}

matrix look_at(const vector& eye)
{
    vector z;
    z.difference(zero_vector, eye);
    z.normalize();
    const vector up{0, 1, 0, 0};
    vector x;
    x.cross(up, z);
    x.normalize();
    vector y;
    y.cross(z, x);
    matrix m = identity_matrix;
    m.set_row(0, x);
    m.set_row(1, y);
    m.set_row(2, z);
    m.set_row(3, vector{eye.x, eye.y, eye.z, 1});
    m.rigid_inverse();
    return m;
}

}  // namespace vorlane
