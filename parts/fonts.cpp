#include "parts/fonts.h"

namespace vorlane {

font part1_fnt1;
font part1_fnt2;
font part1_fnt3;
font part1_fnt4;
font part3_fnt;
font part4_fnt1;
font part4_fnt2;

void init_fonts()
{
    part1_fnt1.init("Courier New", 16, font_bold, 8);
    part1_fnt2.init("Courier New", 64, font_bold, 32);
    part1_fnt3.init("Arial Black", 118, font_bold);
    part1_fnt4.init("Arial Black", 64, font_bold);
    part3_fnt.init("Times", 128, font_bold);
    part4_fnt1.init("Arial Black", 118, font_bold);
    part4_fnt2.init("Courier New", 40, font_bold, 20);
}

}  // namespace vorlane
