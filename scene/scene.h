// Everything one frame draws: mesh objects and their meshes, materials,
// lights, the camera, one shared vertex and index buffer, and the effects
// that draw before and after the meshes.
#pragma once

#include "engine/dyn_array.h"
#include "engine/engine.h"
#include "engine/index_buffer.h"
#include "engine/matrix.h"
#include "engine/vertex_buffer.h"
#include "scene/anim_transform.h"
#include "scene/effect.h"
#include "scene/frame.h"
#include "scene/light.h"
#include "scene/material.h"
#include "scene/mesh.h"
#include "scene/object.h"
#include "scene/track.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace vorlane {

struct scene {
    dyn_array<object> objects;
    int no_objects = 0;
    dyn_array<material> materials;  // by material number
    int no_materials = 0;
    dyn_array<mesh*> draw_list;  // every mesh of every object, in drawing order
    int no_meshes = 0;
    dyn_array<light> lights;  // light i is device light i
    int no_lights = 0;
    dyn_array<effect*> effects;  // in registration order; not owned
    int no_effects = 0;
    // The parts and effects built for this scene, drawn or not: they go
    // with it.
    std::vector<std::unique_ptr<effect>> built;
    vertex_buffer vb;
    int no_vertices = 0;
    index_buffer ib;
    int no_indices = 0;
    matrix view;
    matrix projection;
    float fov = 0;  // last value of fov_track
    anim_transform cam_anim;
    int camera_parent = -1;  // the object the camera hangs from, -1 for none
    track fov_track;
    bool depth_sort = true;  // sort draw_list every frame
    std::uint32_t clear_colour = 0;  // A8R8G8B8
    std::uint32_t ambient = frame_ambient;  // A8R8G8B8, the ambient light frames start with
    int first_frame = 0;  // animation frames, from scene files
    int last_frame = 0;
    float frames_per_second = 0;

    // The buffers are made on the engine's device with the given usage.
    scene(engine& e, std::uint32_t usage);

    // Appends e to the effects; it is then called every frame.
    void add_effect(effect* e);
    // Builds a T(*this, a...), which registers itself, and keeps it until
    // the scene goes.
    template <class T, class... arguments>
    T* make(arguments&&... a)
    {
        built.push_back(std::make_unique<T>(*this, std::forward<arguments>(a)...));
        return static_cast<T*>(built.back().get());
    }
    // The next object, given n meshes in their default state.
    object* add_object(int n);
    // Lists every mesh of objects 0 to no_objects - 1, object by object.
    void build_draw_list();
    // Gives each listed mesh its depth, the largest z of its bounding box
    // under view x world (at least -1), and sorts the list by blend, then
    // farthest first. Equal entries swap places.
    void sort_draw_list();
};

}  // namespace vorlane
