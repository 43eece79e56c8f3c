#include "parts/part5.h"

#include "clock/show_clock.h"
#include "data/flash_times.h"
#include "data/scene_images.h"
#include "effects/flash_effect.h"
#include "engine/engine.h"
#include "runtime/log.h"
#include "runtime/rand.h"
#include "scene/frame.h"
#include "scene/scene.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vorlane {

int flash_cursor = 0;

namespace {

constexpr int part5_length = 29666;  // ms
constexpr float animation_rate = 30;  // frames per second

// The animation clock stands still for one turn of the camera.
constexpr int orbit_start = 18250;  // ms of part time
constexpr int orbit_length = 5000;

constexpr float wall = 100;
constexpr float cube_scale = 0.5f;  // the cube's corners are at +-1
constexpr float group_radius = 50;

// Animation frames: objects 1 and 2 lead a cube each until the first; the
// other cubes are drawn from the second on.
constexpr float leaders_until = 329;
constexpr float cloud_from = 100;

// Faces, then edges, in the scene's shared index buffer.
constexpr int edge_start = 40;
constexpr int cube_vertices = 8;

// Animation frames between which the edges glow black.
constexpr float dark_edges_from = 530;
constexpr float dark_edges_until = 630;

constexpr std::uint32_t white_ambient = 0xFFFFFFFF;

struct corner {
    float x, y, z, u, v;
};

constexpr corner cube_corners[cube_vertices] = {
    {-1, -1, 1, -1, -1}, {1, -1, 1, -1, 1}, {1, -1, -1, -1, 1}, {-1, -1, -1, -1, -1},
    {-1, 1, 1, 1, -1},   {1, 1, 1, 1, 1},   {1, 1, -1, 1, 1},   {-1, 1, -1, 1, -1},
};

// Under flat shading each triangle takes the light of its first vertex;
// these normals, on vertices 0 to 5, are the true normals of the faces
// that start there. Vertices 6 and 7 start no triangle and get none.
constexpr float cube_normals[6][3] = {{-1, 0, 0}, {0, -1, 0}, {1, 0, 0},
                                      {0, 0, -1}, {0, 0, 1},  {0, 1, 0}};

constexpr std::uint16_t cube_faces[36] = {1, 0, 3, 1, 3, 2, 5, 6, 7, 5, 7, 4, 3, 7, 6, 3, 6, 2,
                                          4, 1, 5, 4, 0, 1, 2, 6, 5, 2, 5, 1, 0, 4, 7, 0, 7, 3};
constexpr std::uint16_t cube_edges[24] = {0, 1, 1, 2, 2, 3, 3, 0, 0, 4, 1, 5,
                                          2, 6, 3, 7, 4, 5, 5, 6, 6, 7, 7, 4};

constexpr track_key fade_keys[] = {{1, 0},     {1, 280}, {0.5f, 310}, {0.5f, 400},
                                   {0, 520},   {1, 521}, {1, 1000}};
constexpr track_key edge_keys[] = {{0, 0},   {0, 200}, {1, 400}, {1, 530},
                                   {1, 545}, {1, 630}, {0, 631}, {0, 1000}};

// Four re-seeding steps, each throwing two runs of particles out again
// around a group centre once the animation passes its frame.
struct reseed_step {
    float frame;
    struct {
        int group, first, last;
    } runs[2];
};

constexpr reseed_step reseed_steps[4] = {
    {610, {{1, 1000, 1500}, {2, 1500, 2000}}},
    {660, {{3, 333, 666}, {4, 666, 1000}}},
    {680, {{5, 1000, 1250}, {6, 1500, 1750}}},
    {700, {{7, 333, 444}, {7, 666, 777}}},
};

float& component(vector& v, int axis)
{
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

float component(const vector& v, int axis)
{
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

// Part time (ms) of an animation frame at the scene's rate.
float frame_time(float frame, const scene& s)
{
    return frame / s.frames_per_second * 1000;
}

void write_cube(scene& s)
{
    s.vb.lock();
    for (int k = 0; k < cube_vertices; ++k) {
        fvf_vertex* v = s.vb.vertex(k);
        v->x = cube_corners[k].x;
        v->y = cube_corners[k].y;
        v->z = cube_corners[k].z;
        v->u = cube_corners[k].u;
        v->v = cube_corners[k].v;
        if (k < 6) {
            v->nx = cube_normals[k][0];
            v->ny = cube_normals[k][1];
            v->nz = cube_normals[k][2];
        }
    }
    s.vb.unlock();
    s.ib.lock();
    for (int k = 0; k < 36; ++k)
        *s.ib.index(k) = cube_faces[k];
    for (int k = 0; k < 24; ++k)
        *s.ib.index(edge_start + k) = cube_edges[k];
    s.ib.unlock();
}

void write_lights(scene& s)
{
    s.no_lights = 2;
    light* sun = s.lights.at(0);
    sun->type = D3DLIGHT_DIRECTIONAL;
    sun->colour = {0.5f, 0.5f, 0.5f, 1};
    // Kept as the show has it: the animation overwrites this from the second frame on.
    sun->direction.set(1, 1, 0, 0);
    // A strong blue glow close around object 3, gone beyond 8 units.
    light* glow = s.lights.at(1);
    glow->type = D3DLIGHT_POINT;
    glow->colour = {0, 0, 10, 0};
    glow->position.set(-6, -3, -25, 0);
    glow->range = 8;
    glow->attenuation[0] = 1;
    glow->attenuation[1] = -2;
    glow->attenuation[2] = 1;
}

}  // namespace

int part5_clock()
{
    const int t = get_parttime();
    if (t <= orbit_start)
        return t;
    if (t <= orbit_start + orbit_length)
        return orbit_start;
    return t - orbit_length;
}

void particle::turn(const vector& offset, float t)
{
    if (next_turn > t)
        return;
    const float d = (offset.x * offset.x + offset.y * offset.y + offset.z * offset.z) /
                    (group_radius * group_radius);
    const int k = static_cast<int>((1 - d) * 1000);
    const float sign = rand() % 1000 > k ? -1.0f : 1.0f;
    const int axis = (rand() >> 8) % 3;
    vel = vector{};
    const float speed = std::min(d * d, 1.0f);
    const float along = component(offset, axis);
    component(vel, axis) = along == 0 ? sign * speed : sign * along / std::fabs(along) * speed;
    next_turn = t + 1000 + static_cast<float>(rand() % 100);
    last_move = t;
}

void particle::move(float t)
{
    const float step = (t - last_move) * 0.05f;
    pos.x += vel.x * step;
    pos.y += vel.y * step;
    pos.z += vel.z * step;
    // Each axis outside the box reverses the whole velocity, so a cube
    // outside on two axes at once keeps going until its next turn.
    for (int axis = 0; axis < 3; ++axis) {
        const float c = component(pos, axis);
        if (c < -wall || c > wall) {
            vel.x = -vel.x;
            vel.y = -vel.y;
            vel.z = -vel.z;
        }
    }
    last_move = t;
}

part5::part5(scene& s)
{
    time_func = part5_clock;
    part_length = part5_length;
    s.add_effect(this);

    s.no_vertices = 10;
    s.no_materials = 2;
    // Kept as the show has it: material 2 still holds part 4's word texture, so the flash shows it glowing.
    flash = s.make<flash_effect>();

    device& d = *pd3dDev;
    d.set_render_state(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
    d.set_render_state(D3DRS_ALPHABLENDENABLE, 0);
    d.set_render_state(D3DRS_ZENABLE, D3DZB_TRUE);
    d.set_render_state(D3DRS_CLIPPING, 1);

    write_cube(s);
    material* edges = s.materials.at(1);
    edges->colour.r = edges->colour.g = edges->colour.b = 1;
    edges->no_layers = 0;
    write_lights(s);

    const float t0 = static_cast<float>(get_parttime());

    // The objects of the animation only carry positions: the frame draws
    // no meshes for them.
    s.no_objects = 0;
    animation.load(s, part5_image, part5_image_length);
    for (int i = 1; i <= 2; ++i)
        for (track& tr : s.objects.at(i)->anim.tracks)
            tr.spline = 0;
    s.fov_track.keys[0].value = 3.2f;
    s.frames_per_second = animation_rate;
    s.no_objects = 0;

    for (int c = 0; c < 5; ++c) {
        const track* placement = s.objects.at(c + 4)->anim.tracks;
        centres[c].set(placement[0].keys[0].value, placement[1].keys[0].value,
                       placement[2].keys[0].value, 0);
    }

    spawn(0, 0, particle_count, t0);
    spawn_stage = 0;
    fade_track.assign(fade_keys, 20, 1000, end_wrap, 0);
    edge_track.assign(edge_keys, 20, 1000, end_wrap, 0);
}

void part5::spawn(int group, int first, int last, float base_time)
{
    for (int n = first; n < last; ++n) {
        int x, y, z;
        for (;;) {
            x = rand() % 100 - 50;
            y = rand() % 100 - 50;
            z = rand() % 100 - 50;
            const double r2 = group_radius * group_radius;
            const double q = std::pow(1 - (x * x + y * y + z * z) / r2, 5);
            if (rand() % 100 <= q * 100 - 10)
                break;
        }
        particle& p = particles[n];
        p.pos.x = static_cast<float>(x) + centres[group].x;
        p.pos.y = static_cast<float>(y) + centres[group].y;
        p.pos.z = static_cast<float>(z) + centres[group].z;
        p.vel = vector{};
        p.next_turn = static_cast<float>(rand() % 400) + base_time;
        p.group = group;
    }
}

void part5::reseed(float f, float t5)
{
    if (spawn_stage >= 4 || !(f > reseed_steps[spawn_stage].frame))
        return;
    for (const auto& run : reseed_steps[spawn_stage].runs)
        spawn(run.group, run.first, run.last, t5);
    ++spawn_stage;
}

void part5::post_render(scene& s)
{
    device& d = *pd3dDev;
    d.set_transform(D3DTS_VIEW, s.view.e);
    d.set_transform(D3DTS_PROJECTION, s.projection.e);
    d.set_render_state(D3DRS_SHADEMODE, D3DSHADE_FLAT);

    const float t5 = static_cast<float>(part5_clock());
    const float f = t5 * animation_rate / 1000;
    for (int i = 0; i < 3; ++i)
        if (t5 < frame_time(leaders_until, s) || i == 2)
            particles[particle_count - 1 - i].pos = s.objects.at(i + 1)->world.row(3);
    // Kept as the show has it: the frame's lights are already set, so the glow lags one frame.
    s.lights.at(1)->position = s.objects.at(3)->world.row(3);

    reseed(f, t5);

    // The flash effect times its fade in part time while the flash times
    // are on this part's clock: it starts at the part time it fires, so
    // the flash during the camera's turn shows too.
    if (flash_cursor < flash_time_count && flash_times[flash_cursor] < t5) {
        flash->start = static_cast<float>(get_parttime());
        ++flash_cursor;
    }

    const float a = track_value(fade_track, f);
    const float e = track_value(edge_track, f);
    material& faces = *s.materials.at(0);
    if (a == 1.0f) {
        faces.blend = 0;
    } else {
        faces.blend = 1;
        faces.colour.a = a;
    }
    s.materials.at(1)->blend = e == 1.0f ? 0 : 1;
    log("ltrans - %f", e);

    // One turn about the vertical axis through the origin, on part time
    // while the animation stands still.
    const float tp = static_cast<float>(get_parttime());
    if (tp > orbit_start && tp < orbit_start + orbit_length) {
        matrix camera = s.view;
        camera.rigid_inverse();
        matrix turn = identity_matrix;
        turn.rotate_ypr((tp - orbit_start) * 6.28318f / orbit_length, 0, 0);
        s.view.multiply(camera, turn);
        s.view.rigid_inverse();
        d.set_transform(D3DTS_VIEW, s.view.e);
    }

    draw_particles(s, f, t5, e);
}

void part5::draw_particles(scene& s, float f, float t5, float e)
{
    device& d = *pd3dDev;
    material& faces = *s.materials.at(0);
    material& edges = *s.materials.at(1);
    const bool dark_edges = f > dark_edges_from && f < dark_edges_until;
    const float cloud_time = frame_time(cloud_from, s);
    matrix m = identity_matrix;
    m(0, 0) = m(1, 1) = m(2, 2) = cube_scale;

    for (int n = 0; n < particle_count; ++n) {
        particle& p = particles[n];
        m.set_row(3, vector{p.pos.x, p.pos.y, p.pos.z, 1});
        d.set_transform(D3DTS_WORLD, m.e);

        vector offset;
        offset.difference(p.pos, centres[p.group]);
        faces.colour.r = -offset.z / group_radius / 4 + 0.3f;
        faces.colour.g = offset.y / group_radius / 4 + 0.15f;
        faces.colour.b = offset.x / group_radius / 4 + 0.35f;
        edges.colour = faces.colour;
        if (dark_edges)
            edges.colour.r = edges.colour.g = edges.colour.b = 0;
        edges.colour.a = e;
        set_material(faces);

        if (t5 > cloud_time || n >= particle_count - 2)
            d.draw_indexed_primitive(D3DPT_TRIANGLELIST, 0, cube_vertices, 0, 12);
        if (e != 0) {
            // The edges glow in their own colour, unshaded by the sun.
            set_material(edges);
            d.light_enable(0, false);
            d.set_render_state(D3DRS_AMBIENT, white_ambient);
            d.draw_indexed_primitive(D3DPT_LINELIST, 0, cube_vertices, edge_start, 12);
            d.set_render_state(D3DRS_AMBIENT, frame_ambient);
            d.light_enable(0, true);
        }

        p.turn(offset, t5);
        p.move(t5);
    }
}

}  // namespace vorlane
