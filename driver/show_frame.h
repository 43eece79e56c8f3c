// The show's picture and the frame it goes out in. The show is drawn for
// 4:3, whatever size is asked for: its projections fix that aspect.
#pragma once

#include "platform/device.h"

namespace vorlane {

// Where the show's picture lies in an output frame of width x height, and
// so the size of the back buffer it is drawn into: the largest 4:3 picture
// that fits, centred, black bars on the other sides (y counted from the
// frame's bottom edge, as present counts it). A 4:3 frame, or one that
// rounds to 4:3, is filled; so is 1280 x 1024, the show's own slight
// stretch, which has always been drawn at its full size.
present_rect fit_show(int width, int height);

}  // namespace vorlane
