// The label quad of the first two parts: object 1's mesh, one textured
// rectangle that every label (the title, the words, the series) is drawn
// with, again and again, as a copy with its own world and brightness.
#pragma once

#include "engine/matrix.h"

namespace vorlane {

struct scene;

// Draws the quad with world m, the x, y and z of its rows 0 and 1 scaled by
// size, in material number mat with its colour times 3 x brightness for
// this one draw (the material keeps its colour).
void draw_label(scene& s, matrix m, float size, float brightness, int mat);

}  // namespace vorlane
