// Where the device puts a point for OpenGL, worked out on the CPU for the
// hand-written programs that draw the same pictures: through world, view
// and projection (row-major, points are row vectors), then z from 0..w to
// -w..w, y flipped and moved half a pixel so that pixel centres sit on
// integer coordinates.
#pragma once

namespace vorlane {

inline void gl_clip_position(const float (&point)[4], const float* world, const float* view,
                             const float* projection, int width, int height, float (&out)[4])
{
    float a[4] = {}, b[4] = {}, clip[4] = {};
    for (int j = 0; j < 4; ++j)
        for (int k = 0; k < 4; ++k)
            a[j] += point[k] * world[4 * k + j];
    for (int j = 0; j < 4; ++j)
        for (int k = 0; k < 4; ++k)
            b[j] += a[k] * view[4 * k + j];
    for (int j = 0; j < 4; ++j)
        for (int k = 0; k < 4; ++k)
            clip[j] += b[k] * projection[4 * k + j];
    out[0] = clip[0] + clip[3] / static_cast<float>(width);
    out[1] = clip[3] / static_cast<float>(height) - clip[1];
    out[2] = 2 * clip[2] - clip[3];
    out[3] = clip[3];
}

}  // namespace vorlane
