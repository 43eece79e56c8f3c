#include "scene/scene.h"

#include "runtime/fatal.h"

namespace vorlane {

scene::scene(engine& e, std::uint32_t usage)
    : vb(*e.pd3dDev, vertex_fvf, usage), ib(*e.pd3dDev, usage)
{
}

void scene::add_effect(effect* e)
{
    *effects.at(no_effects) = e;
    ++no_effects;
}

object* scene::add_object(int n)
{
    if (n < 0)
        fatal("Out of memory");
    object* o = objects.at(no_objects);
    o->mesh_count = n;
    o->meshes.reset(new mesh[n]);
    ++no_objects;
    return o;
}

void scene::build_draw_list()
{
    no_meshes = 0;
    for (int i = 0; i < no_objects; ++i) {
        object* o = objects.at(i);
        for (int k = 0; k < o->mesh_count; ++k)
            *draw_list.at(no_meshes++) = &o->meshes[k];
    }
}

namespace {

// Whether a is drawn after b: higher blend values last, and within one
// blend value nearer (smaller depth) after farther. Equal depths, and
// depths that do not compare, also count as "after", which makes the
// insertion sort below swap equal entries.
bool comes_after(scene& s, const mesh* a, const mesh* b)
{
    int blend_a = s.materials.at(a->material)->blend;
    int blend_b = s.materials.at(b->material)->blend;
    if (blend_a != blend_b)
        return blend_a > blend_b;
    return !(a->depth > b->depth);
}

}  // namespace

void scene::sort_draw_list()
{
    for (int i = 0; i < no_meshes; ++i) {
        mesh* m = *draw_list.at(i);
        matrix to_view;
        to_view.multiply(view, objects.at(m->object)->world);
        m->depth = -1.0f;
        for (int c = 0; c < 8; ++c) {
            m->view_bbox[c].transform(m->bbox[c], to_view);
            if (m->view_bbox[c].z > m->depth)
                m->depth = m->view_bbox[c].z;
        }
    }
    for (int i = 1; i < no_meshes; ++i) {
        mesh* key = *draw_list.at(i);
        int j = i - 1;
        while (j >= 0 && comes_after(*this, *draw_list.at(j), key)) {
            *draw_list.at(j + 1) = *draw_list.at(j);
            --j;
        }
        *draw_list.at(j + 1) = key;
    }
}

}  // namespace vorlane
