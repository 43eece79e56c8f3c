// One frame of a scene: the engine draws it, but it walks the scene model,
// so it lives with the scene and the engine stays free of it.
#pragma once

#include <cstdint>

namespace vorlane {

// The ambient light every frame starts with; effects that light themselves
// fully put it back when done.
inline constexpr std::uint32_t frame_ambient = 0xFF606060;

struct scene;
struct material;
struct light;

// Clears, draws and presents one frame of s, calling its effects before
// and after its meshes.
void render(scene& s);
// Loads l into device light index and enables it.
void set_light(int index, const light& l);
// Material colours, blending and the texture stages of m's layers.
void set_material(const material& m);
// The meshes of s in three passes: up to the first alpha-blended mesh
// without culling, the rest back faces first, then front faces.
void draw_meshes(scene& s);

}  // namespace vorlane
