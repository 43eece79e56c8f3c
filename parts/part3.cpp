#include "parts/part3.h"

#include "clock/show_clock.h"
#include "data/letter_text.h"
#include "effects/effect_common.h"
#include "effects/flash_effect.h"
#include "effects/vbars_effect.h"
#include "engine/engine.h"
#include "engine/trig_tables.h"
#include "parts/fonts.h"
#include "runtime/fatal.h"
#include "runtime/rand.h"
#include "scene/frame.h"
#include "scene/scene.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace vorlane {

int letter_cursor = 0;

namespace {

constexpr int part3_length = 27420;  // ms
constexpr int feedback_size = 512;

// The cylinder: rings of points, vertex 10 + 15 i + j for ring i, column j.
constexpr int rings = 10;
constexpr int columns = 15;
constexpr int first_cylinder_vertex = 10;
constexpr int cylinder_vertices = rings * columns;
constexpr int cylinder_lines = (rings - 1) * columns * 2 + columns;

// Vertices 0-3 are the full-screen quad (a triangle strip), 4-6 the arrow
// head (a triangle).
constexpr int quad_vertex = 0;
constexpr int arrow_vertex = 4;
constexpr fvf_vertex fixed_vertices[7] = {
    {-1, 1, 1, 0, 0, 0, 0, 0},   {1, 1, 1, 0, 0, 0, 1, 0},    {-1, -1, 1, 0, 0, 0, 0, 1},
    {1, -1, 1, 0, 0, 0, 1, 1},   {-1, 1.5f, 1, 0, 0, 0, 1, 0}, {-3, 0, 1, 0, 0, 0, 0, 0},
    {-1, -1.5f, 1, 0, 0, 0, 1, 1},
};

// Materials: the cylinder's over-bright white, the black veil (also the
// small cylinders) and the blur taps.
constexpr int white_material = 0;
constexpr int veil_material = 1;
constexpr int tap_material = 3;
constexpr float veil_alpha = 0.15f;

constexpr std::uint32_t part3_clear_colour = 0x000099CC;

struct blur_tap {
    float dx, dy;  // view shift in clip units
    float alpha;   // 1 / (tap number): the taps end up equally weighted
};

// Not symmetric: their mean moves the image 0.2 texel left and 0.27 down.
// Pixel centres fall on texel corners when a quad maps a texture one to
// one, so every copy also moves half a texel right and down: the trails
// creep about 0.3 texel right and 0.77 down each frame.
constexpr blur_tap blur_taps[4] = {
    {0.003125f, 0, 1.0f},
    {-0.00625f, 0, 0.5f},
    {0, 0.0041666669f, 0.3333f},
    {0, -0.0083333338f, 0.25f},
};

// Distance at which the cylinder shrinks to nothing; the camera step is
// held to it rather than overflowing.
constexpr double out_of_sight = 1.0e6;

constexpr int letter_size = 128;
constexpr int letter_interval = 160;   // ms
constexpr int letter_pause = 6940;     // ms after the text's end

void draw_cylinder_lines()
{
    pd3dDev->draw_indexed_primitive(D3DPT_LINELIST, first_cylinder_vertex, cylinder_vertices, 0,
                                    cylinder_lines);
}

// A pulse of the given power over 700 ms from its start, 0 outside.
double pulse(int elapsed, int power)
{
    if (elapsed >= 700)
        return 0;
    return std::pow(std::sin(elapsed * 3.14159 / 700), power);
}

// The slide of the closing bars and panel: positive (off to the right)
// before 20000 ms, down to -2 at 26000 ms.
float slide(int t)
{
    return std::max((20000 - t) * 2 / 6000.0f, -2.0f);
}

}  // namespace

float camera_step(float tf)
{
    if (tf >= 1000)
        return 0;
    return static_cast<float>(std::min(std::pow((1000 - tf) * 0.002, 1000), out_of_sight));
}

device_texture* create_target_texture(device& d, int size)
{
    device_texture* t = d.create_texture(size, size, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                         D3DPOOL_DEFAULT);
    if (!t)
        fatal("Unable to create texture");
    return t;
}

part3::~part3()
{
    if (!pd3dDev)
        return;  // shut down: the device has freed everything
    for (device_texture* t : feedback_tex)
        pd3dDev->destroy(t);
}

part3::part3(scene& s)
{
    static constexpr track_key zoom_keys[] = {
        {0.001f, 0}, {0.001f, 600}, {0.1f, 2000}, {0.9f, 4000}, {0.9f, 100000},
    };
    zoom_track.assign(zoom_keys, 5, 100000, end_wrap, 1);

    part_length = part3_length;
    s.no_vertices = first_cylinder_vertex + cylinder_vertices;
    s.no_materials = 5;
    s.add_effect(this);
    flash = s.make<flash_effect>();
    s.make<vbars_effect>();
    s.no_objects = 0;

    s.vb.lock();
    for (int k = 0; k < 7; ++k)
        *s.vb.vertex(k) = fixed_vertices[k];
    s.vb.unlock();
    // Each point: a line to the next point on its ring and one to the point
    // below; the last ring only closes itself.
    s.ib.lock();
    int n = 0;
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < columns; ++j) {
            const int b = first_cylinder_vertex + columns * i;
            *s.ib.index(n++) = static_cast<std::uint16_t>(b + j);
            *s.ib.index(n++) = static_cast<std::uint16_t>(b + (j + 1) % columns);
            if (i + 1 < rings) {
                *s.ib.index(n++) = static_cast<std::uint16_t>(b + j);
                *s.ib.index(n++) = static_cast<std::uint16_t>(b + j + columns);
            }
        }
    s.ib.unlock();

    en->clear_pictures();
    std::memset(en->new_picture(1, 1, 3), 0, 3);
    black_tex = en->create_texture(0);

    material& white = *s.materials.at(white_material);
    white.colour = {10, 10, 10, 1};
    white.blend = 1;
    material& veil = *s.materials.at(veil_material);
    veil.colour = {0, 0, 0, veil_alpha};
    veil.blend = 1;
    material& tap = *s.materials.at(tap_material);
    tap.colour.a = 0.5f;
    tap.blend = 1;
    s.clear_colour = part3_clear_colour;

    device& d = *pd3dDev;
    for (int k = 0; k < 2; ++k) {
        feedback_tex[k] = create_target_texture(d, feedback_size);
        feedback_surf[k] = feedback_tex[k]->get_surface_level(0);
    }
    saved_target = d.get_render_target();
    saved_depth = d.get_depth_stencil_surface();

    d.set_render_state(D3DRS_ZENABLE, D3DZB_FALSE);
    d.set_render_state(D3DRS_CLIPPING, 0);
    // The arrow heads wind the other way round from the quads: both faces
    // are drawn, whatever the parts before left set.
    d.set_render_state(D3DRS_CULLMODE, D3DCULL_NONE);
    d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);

    en->clear_pictures();
    letter_bitmap = en->new_picture(letter_size, letter_size, 1);
    letter_tex = en->create_alpha_texture(0);
    part3_fnt.set_target(letter_bitmap, 1, 0, letter_size, letter_size);

    // Both images start black: at its edges the back one keeps what the
    // first blur tap leaves uncovered.
    for (device_surface* target : feedback_surf) {
        d.set_render_target(target, nullptr);
        d.clear(D3DCLEAR_TARGET, 0, 1.0f, 0);
    }
    d.set_render_target(saved_target, saved_depth);
}

void part3::pre_render(scene& s)
{
    const int t = get_parttime();
    draw_screen_layer(s, t);
    draw_trail_layer(s, t);
    std::swap(front, back);

    device& d = *pd3dDev;
    d.set_render_target(saved_target, saved_depth);
    set_material(*s.materials.at(veil_material));
    draw_small_cylinders(t);
}

void part3::draw_screen_layer(scene& s, int t)
{
    device& d = *pd3dDev;
    const float tf = static_cast<float>(t);
    d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, s.clear_colour, 1.0f, 0);
    d.set_transform(D3DTS_PROJECTION, identity_matrix.e);
    d.set_transform(D3DTS_VIEW, identity_matrix.e);

    // The trail image, subtracted from the clear colour; it only moves
    // once the slide turns negative.
    const float x = slide(t);
    matrix m = identity_matrix;
    m(3, 0) = std::min(x, 0.0f);
    d.set_transform(D3DTS_WORLD, m.e);
    d.set_texture(0, feedback_tex[front]);
    d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
    d.set_render_state(D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT);
    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_ONE);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_ONE);
    draw_quad(quad_vertex);

    // Five bars ending at x + 1, each 0.2 high with an arrow head, their
    // length breathing; then the black panel from x + 1 to the right.
    d.set_texture(0, *en->textures.at(black_tex));
    d.set_render_state(D3DRS_ALPHABLENDENABLE, 0);
    for (int i = 0; i < 5; ++i) {
        const int k = static_cast<int>(tf * 0.2 + 20 * i) & 255;
        const float length = sin_table[k] * 0.1f + 0.4f;
        m(0, 0) = length / 5;
        m(1, 1) = 0.1f;
        m(3, 0) = x + 1 - length / 5;
        m(3, 1) = static_cast<float>(2 * i + 1) / 5 - 1;
        d.set_transform(D3DTS_WORLD, m.e);
        draw_quad(quad_vertex);
        d.draw_primitive(D3DPT_TRIANGLELIST, arrow_vertex, 1);
    }
    m = identity_matrix;
    m(3, 0) = x + 2;
    d.set_transform(D3DTS_WORLD, m.e);
    draw_quad(quad_vertex);

    d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
    d.set_transform(D3DTS_WORLD, identity_matrix.e);
    d.set_render_state(D3DRS_BLENDOP, D3DBLENDOP_ADD);
}

void part3::blur(scene& s)
{
    device& d = *pd3dDev;
    material& tap = *s.materials.at(tap_material);
    matrix m = identity_matrix;
    for (const blur_tap& each : blur_taps) {
        m(3, 0) = each.dx;
        m(3, 1) = each.dy;
        d.set_transform(D3DTS_VIEW, m.e);
        tap.colour.a = each.alpha;
        set_material(tap);
        d.set_texture(0, feedback_tex[front]);
        draw_quad(quad_vertex);
    }
}

void part3::draw_trail_layer(scene& s, int t)
{
    device& d = *pd3dDev;
    const float tf = static_cast<float>(t);
    d.set_render_target(feedback_surf[back], nullptr);
    d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    blur(s);

    // The veil darkens the trails a little each frame; from 6200 ms it
    // wipes them (its alpha above 1) and lets them come back by 7200 ms.
    material& veil = *s.materials.at(veil_material);
    if (tf > 6200)
        veil.colour.a = tf > 7200 ? veil_alpha : 1.15f - (tf - 6200) * 0.001f;
    set_material(veil);
    draw_quad(quad_vertex);

    draw_cylinder(s, t);
    if (t > next_letter_time)
        add_letter();
}

void part3::draw_cylinder(scene& s, int t)
{
    device& d = *pd3dDev;
    const float tf = static_cast<float>(t);
    const double px = pulse(t - pulse_x_start, 5) * 2 + 1;
    const double py = pulse(t - pulse_y_start, 3) + 1;

    const float v = track_value(zoom_track, tf);
    matrix m = identity_matrix;
    m(3, 2) = 2 * v + 0.1f + camera_step(tf);
    d.set_transform(D3DTS_VIEW, m.e);
    m.perspective(0.1f, 1000, v);
    d.set_transform(D3DTS_PROJECTION, m.e);

    take_cue(get_cue(), t);
    const float a = spin_angle(t);

    s.vb.lock();
    m = identity_matrix;
    m.rotate_ypr(0, a, a);
    for (int i = 0; i < rings; ++i) {
        const float y = static_cast<float>(i) / 10 * 3 - 1.5f;
        const int k2 = static_cast<int>(y * 150.0 + t * 0.15) & 255;
        const int k3 = static_cast<int>(40 * i + 100.0 * a) & 255;
        for (int j = 0; j < columns; ++j) {
            const float sj = sin_table[256 * j / columns];
            const float cj = cos_table[256 * j / columns];
            const int k1 = static_cast<int>(768 * j / columns + t * 0.3) & 255;
            const float r = (sin_table[k1] + sin_table[k2]) * 0.2f + 1;
            vector p;
            p.transform({r * sj, y + 0.1f * sin_table[k3], r * cj, 1}, m);

            // The sideways pulse stretches x and squeezes the rest, the
            // more the farther out; the vertical pulse likewise in y.
            p.x = static_cast<float>(p.x * px);
            double g = (static_cast<double>(p.x) * p.x - 1) * (px - 1) * 0.07 + 1;
            p.y = static_cast<float>(p.y * g);
            p.z = static_cast<float>(p.z * g);
            p.y = static_cast<float>(p.y * py);
            g = (static_cast<double>(p.y) * p.y - 1) * (py - 1) * 0.5 + 1;
            p.x = static_cast<float>(p.x * g);
            p.z = static_cast<float>(p.z * g);

            fvf_vertex* vertex = s.vb.vertex(first_cylinder_vertex + columns * i + j);
            vertex->x = p.x;
            vertex->y = p.y;
            vertex->z = p.z;
        }
    }
    s.vb.unlock();

    material& white = *s.materials.at(white_material);
    white.colour.a = 1.0f;
    set_material(white);
    d.set_texture(0, nullptr);
    d.set_transform(D3DTS_WORLD, identity_matrix.e);
    draw_cylinder_lines();
}

void part3::take_cue(int value, int t)
{
    // A running pulse is mirrored, so that it carries on from the same
    // height instead of jumping back to its start.
    auto restart = [t](int& start) {
        const int e = t - start;
        start = e > 700 ? t : t - (700 - e);
    };
    switch (value) {
    case 0:
        spin_base += (t - spin_time) * spin_dir;
        spin_time = t;
        spin_dir = -spin_dir;
        break;
    case 1:
        restart(pulse_x_start);
        break;
    case 2:
        restart(pulse_y_start);
        break;
    case 3:
        arrows_start = t;
        break;
    case 4:
        flash->start = static_cast<float>(t);
        break;
    default:
        break;
    }
}

float part3::spin_angle(int t) const
{
    return static_cast<float>(((t - spin_time) * spin_dir + spin_base) * 0.003);
}

void part3::add_letter()
{
    device& d = *pd3dDev;
    next_letter_time += letter_interval;
    std::memset(letter_bitmap, 255, letter_size * letter_size);
    // The text's terminating zero shows as an empty letter, then a pause.
    const char letter[2] = {letter_text[letter_cursor], 0};
    if (letter[0] != 0) {
        ++letter_cursor;
    } else {
        letter_cursor = 0;
        next_letter_time += letter_pause;
    }
    part3_fnt.draw_string(letter, 10, 0);
    en->add_alpha_map(letter_tex, 0);
    d.set_texture(0, *en->textures.at(letter_tex));

    d.set_render_state(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    d.set_render_state(D3DRS_DESTBLEND, D3DBLEND_ONE);
    d.set_texture_stage_state(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    matrix m = identity_matrix;
    m(3, 0) = static_cast<float>(rand() % 200 - 100) / 50;
    m(3, 1) = static_cast<float>(rand() % 200 - 100) / 50;
    d.set_transform(D3DTS_VIEW, m.e);
    draw_quad(quad_vertex);
}

void part3::draw_small_cylinders(int t)
{
    device& d = *pd3dDev;
    matrix m = identity_matrix;
    m.perspective(0.1f, 1000, 2.0f);
    d.set_transform(D3DTS_PROJECTION, m.e);
    m = identity_matrix;
    m(3, 2) = 4.5f;
    d.set_transform(D3DTS_VIEW, m.e);

    // After cue 3, one after another along the top, 160 ms apart, each
    // for 500 ms.
    for (int i = 0; i < 4; ++i) {
        const int start = arrows_start + 160 * i;
        if (t < start || t > start + 500)
            continue;
        m = identity_matrix;
        m(0, 0) = m(1, 1) = m(2, 2) = 0.25f;
        m(3, 0) = 1.8f * static_cast<float>(i) - 3;
        m(3, 1) = 2;
        m.rotate_ypr(0.3f * static_cast<float>(i), 0, 0.5f * static_cast<float>(i));
        d.set_transform(D3DTS_WORLD, m.e);
        draw_cylinder_lines();
    }
}

}  // namespace vorlane
