#include "scene/scene_anim_effect.h"

#include "clock/show_clock.h"
#include "scene/scene.h"

namespace vorlane {

namespace {

// Parents first, so that a child's world is built on its parent's world of
// the same frame. An object is marked before its parent is visited, so a
// parent chain that loops back ends instead of recursing forever.
void update_object(scene& s, int i, float frame)
{
    if (i < 0 || i >= s.objects.capacity)
        return;
    object* o = s.objects.at(i);
    if (o->updated)
        return;
    o->updated = true;
    const int parent = o->parent;
    update_object(s, parent, frame);

    matrix pivot;
    pivot.set_row(3, vector{-o->pivot.x, -o->pivot.y, -o->pivot.z, 1});
    matrix animated;
    o->anim.evaluate(frame, animated);
    pivot.multiply_into(animated, o->world);
    if (parent >= 0 && parent < s.objects.capacity)
        o->world.multiply_into(s.objects.at(parent)->world, o->world);
}

}  // namespace

void scene_anim_effect::pre_render(scene& s)
{
    const float frame = static_cast<float>(time_func()) / 1000 * s.frames_per_second;

    s.cam_anim.evaluate(frame, s.view);
    s.view.rigid_inverse();  // the animation places the camera; the view is its inverse

    s.fov = track_value(s.fov_track, frame);
    s.projection.perspective(0.01f, 1000, s.fov);

    for (int i = first_object; i < end_object; ++i)
        s.objects.at(i)->updated = false;
    for (int i = first_object; i < end_object; ++i)
        update_object(s, i, frame);

    for (int i = 0; i < s.no_lights; ++i) {
        light* l = s.lights.at(i);
        matrix placed;
        l->anim.evaluate(frame, placed);
        l->position = placed.row(3);
        l->direction = placed.row(2);
    }
}

}  // namespace vorlane
