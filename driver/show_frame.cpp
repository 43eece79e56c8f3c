#include "driver/show_frame.h"

namespace vorlane {

present_rect fit_show(int width, int height)
{
    if (width == 1280 && height == 1024) {
        present_rect whole;
        whole.width = width;
        whole.height = height;
        return whole;
    }
    // A 4 x 3 back buffer fitted into the frame is the largest 4:3 picture.
    return fit_back_buffer(width, height, 4, 3);
}

}  // namespace vorlane
