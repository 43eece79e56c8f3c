// The show's seven bitmap fonts, rasterised once at start-up.
#pragma once

#include "engine/font.h"

namespace vorlane {

extern font part1_fnt1;  // Courier New 16, bold, advance 8: the noise characters
extern font part1_fnt2;  // Courier New 64, bold, advance 32: title and series labels
extern font part1_fnt3;  // Arial Black 118, bold: the "444"
extern font part1_fnt4;  // Arial Black 64, bold: the word labels
extern font part3_fnt;   // Times 128, bold
extern font part4_fnt1;  // Arial Black 118, bold
extern font part4_fnt2;  // Courier New 40, bold, advance 20

// Rasterises all seven, in the order above.
void init_fonts();

}  // namespace vorlane
