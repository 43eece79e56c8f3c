// The glowing texts of the metaball part, made once at start-up: every
// entry of text_lines as white text in a soft halo, and the motion of the
// scrolling code lines.
#pragma once

#include "data/text_lines.h"
#include "scene/track.h"

namespace vorlane {

inline constexpr int code_line_count = text_line_count - first_code_line;
inline constexpr int text_texture_width = 1024;
inline constexpr int text_texture_height = 128;

extern int text_tex[text_line_count];  // texture numbers, by text_lines entry
// Where code line n is shown (ms of part time; the lines scroll up in
// blocks from 20 s on and wrap every 50 s).
extern track line_x_track[code_line_count];
extern track line_y_track[code_line_count];

// Renders the texts with the fonts of init_fonts, which must have run.
void make_text_textures();

// The halo around the ink of a text_texture_width x text_texture_height
// colour picture (3 bytes per pixel, ink where the first byte is not 0),
// written as an alpha map (255 transparent): every ink pixel spreads
// 5632 / (dx^2 + dy^2 + 10) over the 10 x 10 pixels from (-5, -5) to
// (4, 4) around it; the sums saturate at opaque, and what falls outside
// the picture is dropped.
void glow_map(const unsigned char* colour, unsigned char* alpha);

}  // namespace vorlane
