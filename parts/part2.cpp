#include "parts/part2.h"

#include "clock/show_clock.h"
#include "data/scene_images.h"
#include "effects/dark_shard_sphere_effect.h"
#include "effects/glow_effect.h"
#include "effects/hbars_effect.h"
#include "effects/shard_sphere_effect.h"
#include "engine/engine.h"
#include "engine/trig_tables.h"
#include "parts/label_quad.h"
#include "parts/part_frames.h"
#include "parts/part1.h"
#include "runtime/rand.h"
#include "scene/frame.h"
#include "scene/scene.h"

#include <algorithm>

namespace vorlane {

namespace {

constexpr int part2_length = 35000;  // ms
constexpr float part2_frames_per_second = 20.0f;
// Frame at which the tunnel takes the place of the noise layer.
constexpr float tunnel_frame = 300;

constexpr int label_objects = 13;  // objects 1 to 13, materials 1 to 13
constexpr int main_labels = 3;     // the title, the handle, the product word
constexpr int echo_rings = 100;
constexpr int tunnel_object = 14;
constexpr int tunnel_material = 20;
constexpr int first_line_vertex = 20;
constexpr int stripe_size = 64;

// The unit box around the origin; v runs from -10 to 10.5 along x, so the
// stripes repeat about 20 times down the tunnel.
constexpr fvf_vertex box_corners[8] = {
    {-1, -1, 1, 0, 0, 0, -1, -10}, {1, -1, 1, 0, 0, 0, -1, 10.5f},
    {1, -1, -1, 0, 0, 0, -1, 10.5f}, {-1, -1, -1, 0, 0, 0, -1, -10},
    {-1, 1, 1, 0, 0, 0, 1, -10},    {1, 1, 1, 0, 0, 0, 1, 10.5f},
    {1, 1, -1, 0, 0, 0, 1, 10.5f},  {-1, 1, -1, 0, 0, 0, 1, -10},
};
// Indices 6 to 35: five faces of the box (the one at x = -1 stays open,
// making it a tunnel along x), then 36 to 41: the full-width label quad.
constexpr std::uint16_t box_indices[36] = {
    5, 4, 7, 5, 7, 6, 9, 10, 11, 9, 11, 8, 7, 11, 10, 7, 10, 6,
    5, 9, 8, 5, 8, 4, 6, 10, 9, 6, 9, 5, 12, 13, 14, 12, 14, 15,
};
constexpr int first_box_index = 6;

// Rows of one colour: dark at top and bottom, a cosine ramp over eight
// rows, and a bright blue-green band in the middle.
void make_stripes(unsigned char* pixels)
{
    for (int y = 0; y < stripe_size; ++y) {
        const int k = y <= 32 ? y : 63 - y;
        int c = 0;
        if (k > 22)
            c = 255;
        else if (k >= 15)
            c = static_cast<int>(127 * (1 - cos_table[(k - 15) * 128 / 7]));
        for (int x = 0; x < stripe_size; ++x) {
            unsigned char* p = pixels + 3 * (y * stripe_size + x);
            p[0] = static_cast<unsigned char>(c * 204 / 255);
            p[1] = static_cast<unsigned char>(c * 153 / 255);
            p[2] = 0;
        }
    }
}

void show_meshes(object& o, bool visible)
{
    for (int k = 0; k < o.mesh_count; ++k)
        o.meshes[k].visible = visible;
}

}  // namespace

label_rgb label_colour(int n)
{
    if (n == 1)
        return {1, 1, 1};
    if (n == 2)
        return {0, 0.5f, 0};
    if (n == 3)
        return {0.5f, 0, 0};
    if (n <= 8)
        return {0, 0.25f, 0};
    return {0, 0, 0.25f};
}

part2::part2(scene& s)
{
    part_length = part2_length;

    // Part 1's quad, flattened to z = 0; a copy spanning the whole texture
    // width for the product word, whose letters run past five cells.
    s.vb.lock();
    fvf_vertex quad[4];
    for (int k = 0; k < 4; ++k) {
        fvf_vertex* v = s.vb.vertex(k);
        v->z = 0;
        quad[k] = *v;
    }
    for (int k = 0; k < 8; ++k)
        *s.vb.vertex(4 + k) = box_corners[k];
    quad[1].u = quad[2].u = 1;
    for (int k = 0; k < 4; ++k)
        *s.vb.vertex(12 + k) = quad[k];
    s.vb.unlock();

    s.ib.lock();
    for (int k = 0; k < 36; ++k)
        *s.ib.index(first_box_index + k) = box_indices[k];
    s.ib.unlock();

    // Every label material starts from part 1's title material in white.
    material* title = s.materials.at(4);
    title->colour.r = title->colour.g = title->colour.b = 1;
    const material base = *title;
    for (int n = 1; n <= label_objects; ++n) {
        material* m = s.materials.at(n);
        *m = base;
        m->layers[0].texture = label_tex[n];
        const label_rgb c = label_colour(n);
        m->colour.r = c.r;
        m->colour.g = c.g;
        m->colour.b = c.b;
    }
    s.materials.at(30)->no_layers = 0;

    mesh& word = s.objects.at(3)->meshes[0];
    word.min_index = 12;
    word.start_index = 36;
    for (int i = 1; i <= main_labels; ++i)
        show_meshes(*s.objects.at(i), true);

    s.no_objects = tunnel_object;
    mesh& tunnel = s.add_object(1)->meshes[0];
    tunnel.object = tunnel_object;
    tunnel.material = tunnel_material;
    tunnel.min_index = 4;
    tunnel.num_vertices = 8;
    tunnel.start_index = first_box_index;
    tunnel.prim_count = 10;

    en->clear_pictures();
    make_stripes(en->new_picture(stripe_size, stripe_size, 3));
    material* walls = s.materials.at(tunnel_material);
    layer* stripes = walls->add_layer();
    stripes->texture = en->create_texture(0);
    stripes->texgen = 0;
    stripes->alpha_from_texture = 0;
    // Far past 1: with no lights the frame's ambient alone lights it fully.
    walls->colour.r = walls->colour.g = walls->colour.b = 1000;
    walls->blend = 0;

    // The image animates objects 0 to 14, the labels and the tunnel among
    // them, and the camera.
    s.no_objects = 0;
    flight.load(s, part2_image, static_cast<std::size_t>(part2_image_length));

    s.build_draw_list();
    s.frames_per_second = part2_frames_per_second;
    s.add_effect(this);

    s.no_vertices = 50;
    s.no_materials = 21;
    s.make<hbars_effect>();
    for (int i = 0; i < shard_sphere_count; ++i)
        spheres[i] = s.make<shard_sphere_effect>(i);
    s.make<glow_effect>();
    s.make<dark_shard_sphere_effect>(0);

    s.no_lights = 0;
    show_meshes(*s.objects.at(tunnel_object), false);
    // The handle and the word jump into place between two keys; a spline
    // would swing them through the scene on the way.
    for (int i = 2; i <= 3; ++i)
        for (track& tr : s.objects.at(i)->anim.tracks)
            tr.spline = 0;

    // A second back, so the echoes start at their lowest brightness.
    cue_time = static_cast<float>(get_parttime() - 1000);
}

void part2::pre_render(scene& s)
{
    if (part_frames(s) <= tunnel_frame)
        return;
    show_meshes(*s.objects.at(0), false);
    show_meshes(*s.objects.at(tunnel_object), true);
    // Part 1's black fog goes; the effects switch it on again after
    // drawing, so this is repeated every frame.
    pd3dDev->set_render_state(D3DRS_FOGENABLE, 0);
}

void part2::post_render(scene& s)
{
    pd3dDev->set_render_state(D3DRS_CULLMODE, D3DCULL_NONE);
    const float t = static_cast<float>(get_parttime());
    if (get_cue() != -1) {
        cue_time = t;
        switch_spheres(cue_beat());
    }
    draw_echoes(s, t);
    draw_title_frame(s);
}

void part2::switch_spheres(int n)
{
    if (n < shard_sphere_count) {
        spheres[n]->enabled = 1;
    } else if (n >= 33) {
        // Off from the last sphere back to the first.
        const int i = 37 - n;
        if (i >= 0)
            spheres[i]->enabled = 0;
    } else {
        shard_sphere_effect* sphere = spheres[rand() % shard_sphere_count];
        sphere->enabled = sphere->enabled ? 0 : 1;
    }
}

float part2::echo_brightness(float t) const
{
    return std::max(0.04f - (t - cue_time) * 0.00003f, 0.025f);
}

void part2::draw_echoes(scene& s, float t)
{
    const float w = echo_brightness(t);
    for (int r = 0; r < echo_rings; ++r) {
        const float a = 2 * (r == 0 ? 0.2f : w - 0.0005f * static_cast<float>(r));
        // The rings darken outwards; from the first without brightness on
        // they would add nothing (the lit colour stops at black), so they
        // are not drawn at all: about half of them between cues.
        if (a <= 0)
            break;
        const float size = 1 - 0.002f * static_cast<float>(r);
        const float offset = static_cast<float>(r) / 200;
        // Ring 0 is the labels themselves, only the three large ones.
        const int last = r == 0 ? main_labels : label_objects;
        for (int n = 1; n <= last; ++n) {
            matrix m = s.objects.at(n)->world;
            m(3, 2) -= offset;
            draw_label(s, m, size, a, n);
            m = s.objects.at(n)->world;
            m(3, 2) += offset;
            draw_label(s, m, size, a, n);
        }
    }
}

void part2::draw_title_frame(scene& s)
{
    // The title quad's corners, 10 % wider, and its origin, projected.
    s.vb.lock();
    float min_x = 10000, min_y = 10000, max_x = -10000, max_y = -10000;
    float origin_y = 0;
    const matrix& world = s.objects.at(1)->world;
    for (int r = 0; r < 5; ++r) {
        vector p{0, 0, 0, 1};
        if (r < 4) {
            const fvf_vertex& v = *s.vb.vertex(r);
            p = {v.x * 1.1f, v.y, v.z, 1};
        }
        p.transform(p, world);
        p.transform(p, s.view);
        p.transform(p, s.projection);
        // A point on or behind the camera plane has no place on the
        // screen (dividing by its w would give infinities or mirror it):
        // no frame then.
        if (p.w <= 0) {
            s.vb.unlock();
            return;
        }
        p.x /= p.w;
        p.y /= p.w;
        min_x = std::min(min_x, p.x);
        max_x = std::max(max_x, p.x);
        min_y = std::min(min_y, p.y);
        max_y = std::max(max_y, p.y);
        origin_y = p.y;
    }
    const vector rectangle[5] = {
        {min_x, min_y}, {min_x, max_y}, {max_x, max_y}, {max_x, min_y}, {min_x, min_y}};
    // The leader rises from the bottom of the screen at x = -0.8 to the
    // title's height and runs across to the nearer side of the rectangle;
    // a rectangle across x = -0.8 gets a plain rise to its bottom.
    constexpr float leader_x = -0.8f;
    vector leader[3] = {{leader_x, -1}, {leader_x, origin_y}, {}};
    if (max_x < leader_x) {
        leader[2] = {max_x, origin_y};
    } else if (min_x > leader_x) {
        leader[2] = {min_x, origin_y};
    } else {
        leader[1] = {leader_x, min_y};
        leader[2] = leader[1];
    }
    for (int k = 0; k < 5; ++k) {
        fvf_vertex* v = s.vb.vertex(first_line_vertex + k);
        v->x = rectangle[k].x;
        v->y = rectangle[k].y;
        v->z = 1;
    }
    for (int k = 0; k < 3; ++k) {
        fvf_vertex* v = s.vb.vertex(first_line_vertex + 5 + k);
        v->x = leader[k].x;
        v->y = leader[k].y;
        v->z = 1;
    }
    s.vb.unlock();

    device& d = *pd3dDev;
    set_material(*s.materials.at(1));
    d.set_render_state(D3DRS_LIGHTING, 0);
    d.set_transform(D3DTS_WORLD, identity_matrix.e);
    d.set_transform(D3DTS_VIEW, identity_matrix.e);
    d.set_transform(D3DTS_PROJECTION, identity_matrix.e);
    d.set_render_state(D3DRS_ALPHABLENDENABLE, 0);
    d.draw_primitive(D3DPT_LINESTRIP, first_line_vertex, 4);
    d.draw_primitive(D3DPT_LINESTRIP, first_line_vertex + 5, 2);
    d.set_render_state(D3DRS_LIGHTING, 1);
    d.set_render_state(D3DRS_ALPHABLENDENABLE, 1);
}

}  // namespace vorlane
