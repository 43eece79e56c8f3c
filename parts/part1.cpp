#include "parts/part1.h"

#include "clock/show_clock.h"
#include "data/label_texts.h"
#include "effects/letterbox_effect.h"
#include "effects/text_sprite_effect.h"
#include "engine/engine.h"
#include "engine/trig_tables.h"
#include "parts/fonts.h"
#include "parts/label_quad.h"
#include "parts/part_frames.h"
#include "runtime/fatal.h"
#include "runtime/log.h"
#include "runtime/rand.h"
#include "scene/frame.h"
#include "scene/scene.h"

#include <cstring>

namespace vorlane {

device_state_block* state_block = nullptr;
int label_tex[label_count] = {};

namespace {

constexpr int part1_length = 19500;  // ms
constexpr float part1_frames_per_second = 20.0f;

// Frame at which the four layers give way to the single scrolling layer.
constexpr float switch_frame = 285;
// Frames at which the title appears and at which its echoes begin.
constexpr float title_frame = 361;
constexpr float echo_frame = 365.75f;
constexpr int echo_copies = 200;
constexpr int title_material = 4;

// Keys of the part's own curves, in frames; the keys before 0 carry the
// lead-in of a restart, which begins at -5500 ms (frame -110).
constexpr track_key scale_keys[] = {{700, -120}, {500, -80}, {300, -60}, {100, -40},
                                    {10, -20}, {2, -4}, {1, 0}, {1, 28.5f},
                                    {0.32f, 57}, {0.32f, 66.5f}, {0.32f, 1000}};
constexpr track_key interval_keys[] = {{2, -10000}, {2, 0}, {2, 57}, {0.1f, 142.5f}, {0.1f, 1000}};
constexpr track_key tilt_keys[] = {{0, 0}, {0, 285}, {0.49f, 313.5f}, {0.49f, 332.5f}};
constexpr track_key speed_keys[] = {{0.02f, 0}, {0.02f, 294.5f}, {-0.04f, 313.5f},
                                    {-0.09f, 332.5f}, {-0.09f, 346.75f}, {0, 351.5f},
                                    {0, 356.25f}, {0, 1000}};
constexpr track_key echo_keys[] = {{0, 365.75f}, {0.3f, 373.35f}, {0.2f, 380}, {0.03f, 384.75f},
                                   {0.03f, 950}};
constexpr track_key growth_keys[] = {{0.002f, 365.75f}, {0.002f, 370.5f}, {-0.002f, 375.25f},
                                     {-0.002f, 1000}};

}  // namespace

part1::part1(scene& s)
{
    if (!pd3dDev->apply_state_block(state_block))
        fatal("kupa2");
    part_length = part1_length;

    make_labels();

    // One quad; its u range 0 to 0.625 is exactly five 32-pixel characters
    // of the 256-pixel title picture.
    static const fvf_vertex corners[4] = {
        {-1, -1, 1, 0, 0, 0, 0, 0},
        {1, -1, 1, 0, 0, 0, 0.625f, 0},
        {1, 1, 1, 0, 0, 0, 0.625f, 1},
        {-1, 1, 1, 0, 0, 0, 0, 1},
    };
    static const std::uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    s.vb.lock();
    s.ib.lock();
    for (int k = 0; k < 4; ++k) {
        fvf_vertex* v = s.vb.vertex(k);
        v->x = corners[k].x;
        v->y = corners[k].y;
        v->z = corners[k].z;
        v->u = corners[k].u;
        v->v = corners[k].v;
    }
    for (int k = 0; k < 6; ++k)
        *s.ib.index(k) = indices[k];
    s.vb.unlock();
    s.ib.unlock();

    // Four layers of the same quad, each with its own material.
    for (int i = 0; i < 4; ++i) {
        mesh& m = s.add_object(1)->meshes[0];
        m.min_index = 0;
        m.num_vertices = 4;
        m.start_index = 0;
        m.prim_count = 2;
        m.material = i;
        m.object = i;
    }

    // perspective() leaves [3][3] alone: cleared, clip w is the camera z
    // itself rather than z + 1 as on the other parts' projections.
    s.projection(3, 3) = 0;
    s.projection.perspective(0.1f, 1000, 1.5f);
    s.view = identity_matrix;
    s.view(3, 2) = -0.3f;

    // Materials 0-3 show the noise, material 4 the title; their texture
    // coordinates come from camera-space position, except the title's.
    for (int m = 0; m < 5; ++m) {
        material* mat = s.materials.at(m);
        layer* l = mat->add_layer();
        l->texture = label_tex[m / 4];
        l->alpha_from_texture = 1;
        l->texgen = 1;
        mat->blend = 2;
        mat->colour.r = mat->colour.g = mat->colour.b = 10;
    }
    s.materials.at(4)->layers[0].texgen = 0;

    s.no_objects = 4;
    s.build_draw_list();
    s.depth_sort = false;
    s.frames_per_second = part1_frames_per_second;
    s.no_lights = 1;
    light* l = s.lights.at(0);
    l->type = D3DLIGHT_POINT;
    l->position.set(0, 0, 0, 1);
    l->colour = {1, 1, 1, 1};

    scale_track.assign(scale_keys, std::size(scale_keys), 1000, end_wrap, 1);
    interval_track.assign(interval_keys, std::size(interval_keys), 1000, end_wrap, 1);
    tilt_track.assign(tilt_keys, std::size(tilt_keys), 332.5f, end_hold, 1);
    speed_track.assign(speed_keys, std::size(speed_keys), 1000, end_wrap, 1);
    echo_track.assign(echo_keys, std::size(echo_keys), 1000, end_wrap, 1);
    growth_track.assign(growth_keys, std::size(growth_keys), 1000, end_wrap, 1);

    // Ten frames back, so that the first frame updates the zoom.
    last_time = part_frames(s) - 10;
    phase = 0;
    s.add_effect(this);

    // The effects append their geometry and materials behind the part's.
    s.no_vertices = 4;
    s.no_materials = 5;

    track x_track;
    x_track.allocate(1);
    x_track.keys[0] = {0, 0};
    track brightness_track;
    static const track_key brightness_keys[] = {{0, 0},      {0, 500},     {0.8f, 1000},
                                                {0.8f, 13000}, {0, 15500}, {0, 20000}};
    brightness_track.assign(brightness_keys, 20, 20000, end_wrap, 0);
    s.make<text_sprite_effect>("444", x_track, brightness_track, part1_fnt3);
    s.make<letterbox_effect>();
}

void part1::make_labels()
{
    en->clear_pictures();

    // 16 rows of 32 random characters, each row drawn twice, shifted; the
    // font wraps them around the picture's edges.
    unsigned char* noise = en->new_picture(256, 256, 1);
    part1_fnt1.set_target(noise, 1, 160, 256, 256);
    for (int r = 0; r < 16; ++r) {
        char row[33] = {};
        for (int k = 0; k < 32; ++k)
            row[k] = static_cast<char>(rand() % 92 + 32);
        part1_fnt1.draw_string(row, 0, 16 * r);
        part1_fnt1.draw_string(row, 4, 16 * r + 72);
    }
    label_tex[0] = en->create_alpha_texture(0);

    // The labels share picture 1, refilled for each. The wrap height is
    // the picture's own 64 rows, so no glyph can land past it.
    constexpr int label_width = 256;
    constexpr int label_height = 64;
    unsigned char* label = en->new_picture(label_width, label_height, 1);
    auto make = [&](font& f, const char* text) {
        std::memset(label, 255, label_width * label_height);
        f.set_target(label, 1, 0, label_width, label_height);
        f.draw_string(text, 0, 0);
        return en->create_alpha_texture(1);
    };
    label_tex[1] = make(part1_fnt2, title_text);
    label_tex[2] = make(part1_fnt4, handle_text);
    label_tex[3] = make(part1_fnt4, product_text);
    for (int n = 0; n < 5; ++n) {
        char text[6];
        std::memcpy(text, green_series_text, sizeof text);
        text[4] = static_cast<char>(text[4] + n);
        label_tex[4 + n] = make(part1_fnt2, text);
    }
    for (int n = 0; n < 5; ++n) {
        char text[6];
        std::memcpy(text, blue_series_text, sizeof text);
        text[4] = static_cast<char>(text[4] + n);
        label_tex[9 + n] = make(part1_fnt2, text);
    }
}

void part1::pre_render(scene& s)
{
    const float d = part_frames(s);
    if (phase != 1 && d <= switch_frame) {
        zoom_update(s, d);
        return;
    }
    if (phase != 1) {
        // One layer remains, ten times larger, under black fog.
        s.objects.at(0)->world.scale_rows(10, 10, 1);
        phase = 1;
        scroll_x = 0;
        scroll_y = d / 50;
        last_time = d;
        device& dev = *pd3dDev;
        dev.set_render_state(D3DRS_FOGENABLE, 1);
        dev.set_render_state(D3DRS_FOGCOLOR, 0);
        dev.set_render_state(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
        dev.set_render_state(D3DRS_FOGSTART, float_bits(6.0f));
        dev.set_render_state(D3DRS_FOGEND, float_bits(10.0f));
        for (int i = 1; i < 4; ++i) {
            object* o = s.objects.at(i);
            for (int k = 0; k < o->mesh_count; ++k)
                o->meshes[k].visible = false;
        }
    }
    scroll_update(s, d);
}

void part1::zoom_update(scene& s, float d)
{
    // Early on the interval is two frames, so the layers move in steps.
    if (last_time + track_value(interval_track, d) > d)
        return;
    last_time = d;
    const float scale = track_value(scale_track, d);
    log("scale - %f", scale);

    for (int i = 0; i < 4; ++i) {
        // Each layer turns 70/256 of a turn further, about a point a
        // quarter turn further round a circle of radius 0.4.
        const float a = static_cast<float>(sin_table[64 * i] * 0.4);
        const float b = static_cast<float>(cos_table[64 * i] * 0.4);

        matrix& tm = s.materials.at(i)->layers[0].tex_matrix;
        tm = identity_matrix;
        tm.translate(a, b, 0);
        tm.rotate_indexed(0, 0, 70 * i);
        tm.translate(-a, -b, 0);
        tm.move(i == 0 ? 0 : d / 70, d / 50, 0);
        tm.scale_rows(scale, -scale, 0);

        matrix& world = s.objects.at(i)->world;
        world = identity_matrix;
        world.move(a, b, 0);
        world.rotate_indexed(0, 0, 70 * i);
        world.move(-a, -b, 0);
        // Layers 1 to 3 slide away upwards from frames 190, 209 and 228.
        const float slide_start = static_cast<float>(190 + 19 * (i - 1));
        if (i > 0 && d > slide_start)
            world.translate(0, static_cast<float>((d - slide_start) / 50 / 0.32), 0);
        world.scale_rows(2, 2, 1);
    }
}

void part1::scroll_update(scene& s, float d)
{
    matrix& tm = s.materials.at(0)->layers[0].tex_matrix;
    tm = identity_matrix;
    tm.move(scroll_x, scroll_y, 0);
    tm.scale_rows(0.32f, -0.32f, 0);

    scroll_y += (d - last_time) * track_value(speed_track, d);
    last_time = d;

    s.view = identity_matrix;
    s.view(3, 2) = -0.3f;
    s.view.rotate_ypr(0, track_value(tilt_track, d), 0);
}

void part1::post_render(scene& s)
{
    const float d = part_frames(s);
    if (d < title_frame)
        return;
    pd3dDev->set_render_state(D3DRS_CULLMODE, D3DCULL_NONE);
    matrix m = identity_matrix;
    m(3, 1) = 0.3f;

    if (d < echo_frame) {
        m(0, 0) = m(1, 1) = 0.125f;
        draw_label(s, m, 1.0f, (d - title_frame) / 10, title_material);
        return;
    }
    // Copies nearer the camera by 0.005 each, growing (later shrinking)
    // and darkening; the first one always at full brightness.
    for (int r = 0; r < echo_copies; ++r) {
        const float e = track_value(echo_track, d);
        const float w = r == 0 ? 1.0f : static_cast<float>(e - 0.001 * r);
        const float g = track_value(growth_track, d);
        m(0, 0) = m(1, 1) = 0.125f;
        m(3, 2) = -static_cast<float>(r) / 200;
        draw_label(s, m, static_cast<float>(r) * g + 1, w / 10, title_material);
    }
}

}  // namespace vorlane
