#include "platform/texel_bounds.h"

#include <algorithm>

namespace vorlane {

texel_rect texels_other_than(const std::uint8_t* texels, int width, int height, std::uint8_t alpha)
{
    texel_rect r{width, height, 0, 0};
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = texels + static_cast<std::size_t>(y) * width * 4;
        int first = 0;
        while (first < width && row[4 * first + 3] == alpha)
            ++first;
        if (first == width)
            continue;
        int end = width;
        while (row[4 * (end - 1) + 3] == alpha)
            --end;
        r.x0 = std::min(r.x0, first);
        r.x1 = std::max(r.x1, end);
        r.y0 = std::min(r.y0, y);
        r.y1 = y + 1;
    }
    return r.empty() ? texel_rect{} : r;
}

}  // namespace vorlane
