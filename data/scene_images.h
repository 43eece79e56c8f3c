// The two scene animations of the show (camera and object paths of the
// second and fifth parts), embedded in the program.
#pragma once

namespace vorlane {

extern const unsigned char part2_image[3685];
extern const int part2_image_length;
extern const unsigned char part5_image[2110];
extern const int part5_image_length;

}  // namespace vorlane
