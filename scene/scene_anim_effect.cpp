#include "scene/scene_anim_effect.h"

#include "clock/show_clock.h"
#include "scene/scene.h"

#include <vector>

namespace vorlane {

namespace {

bool is_object(const scene& s, int i)
{
    return i >= 0 && i < s.objects.capacity;
}

// The local transform about the pivot, then the parent's world of the
// same frame.
void place(scene& s, int i, float frame)
{
    object* o = s.objects.at(i);
    matrix pivot;
    pivot.set_row(3, vector{-o->pivot.x, -o->pivot.y, -o->pivot.z, 1});
    matrix animated;
    o->anim.evaluate(frame, animated);
    pivot.multiply_into(animated, o->world);
    if (is_object(s, o->parent))
        o->world.multiply_into(s.objects.at(o->parent)->world, o->world);
}

// Parents first. The chain of parents not yet placed is listed and then
// placed from its top, so a chain as long as the scene takes no stack; an
// object is marked when listed, so a chain that loops back ends.
void update_object(scene& s, int i, float frame, std::vector<int>& chain)
{
    chain.clear();
    for (int k = i; is_object(s, k) && !s.objects.at(k)->updated; k = s.objects.at(k)->parent) {
        s.objects.at(k)->updated = true;
        chain.push_back(k);
    }
    for (auto k = chain.rbegin(); k != chain.rend(); ++k)
        place(s, *k, frame);
}

// An animated item that may hang from an object: its placement of this
// frame.
void place_item(scene& s, anim_transform& a, int parent, float frame, matrix& out)
{
    a.evaluate(frame, out);
    if (is_object(s, parent))
        out.multiply_into(s.objects.at(parent)->world, out);
}

}  // namespace

void scene_anim_effect::pre_render(scene& s)
{
    const float frame = static_cast<float>(time_func()) / 1000 * s.frames_per_second;

    for (int i = first_object; i < end_object; ++i)
        s.objects.at(i)->updated = false;
    std::vector<int> chain;
    for (int i = first_object; i < end_object; ++i)
        update_object(s, i, frame, chain);

    place_item(s, s.cam_anim, s.camera_parent, frame, s.view);
    s.view.rigid_inverse();  // the animation places the camera; the view is its inverse

    s.fov = track_value(s.fov_track, frame);
    s.projection.perspective(0.01f, 1000, s.fov);

    for (int i = 0; i < s.no_lights; ++i) {
        light* l = s.lights.at(i);
        matrix placed;
        place_item(s, l->anim, l->parent, frame, placed);
        l->position = placed.row(3);
        l->direction = placed.row(2);
    }
}

}  // namespace vorlane
