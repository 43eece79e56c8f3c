// The metaball cloud of the fourth part: three balls summed on a
// 10 x 10 x 10 grid, and one glowing point per grid cell where that field
// crosses 1.
#pragma once

#include "engine/dyn_array.h"
#include "engine/vector.h"

namespace vorlane {

inline constexpr int field_side = 10;  // grid points along each axis
inline constexpr int field_points = field_side * field_side * field_side;

// field[100i + 10j + k] = the sum over the balls of weight / distance from
// (i, j, k) to the ball's centre, with the balls placed by the motion
// parameter v. A centre on a grid point makes that point infinite.
void fill_field(float* field, float v);

// For each of the 9 x 9 x 9 cells, the crossings of 1 on the three edges
// from its corner (i, j, k) towards k + 1, j + 1 and i + 1, averaged into
// one point and one size (the size is largest halfway along an edge).
// Cells without a crossing give nothing. Returns the number of points
// written to pos and size; the entry right after them may be cleared, later
// ones keep what they held.
int find_surface(const float* field, dyn_array<vector>& pos, dyn_array<float>& size);

}  // namespace vorlane
