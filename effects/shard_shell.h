// The geometry both shard spheres share: 200 small outward-facing
// triangles scattered over a shell of radius 0.8 to 0.998, drawn as four
// differently turning and scaled layers.
#pragma once

namespace vorlane {

struct scene;

inline constexpr int shard_count = 200;
inline constexpr int shard_vertex_count = 3 * shard_count;

// Appends the 600 vertex positions to the scene's vertex buffer, drawing
// 12 random numbers per shard. Returns the first vertex.
int append_shard_shell(scene& s);

// Draws the four layers with the scene's view (set by the caller, scaled
// further by each layer and left that way) at part time t (ms); the first
// layer scales the view by first_factor.
void draw_shard_layers(scene& s, int first_vertex, float t, float first_factor);

}  // namespace vorlane
