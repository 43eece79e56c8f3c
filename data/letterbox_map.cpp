#include "data/letterbox_map.h"

namespace vorlane {

namespace {

// First column that is 255 in each of the tab's rows 11 ... 27.
constexpr int tab_edge[17] = {289, 290, 290, 291, 291, 292, 293, 293, 294,
                              294, 295, 295, 296, 297, 297, 298, 298};

constexpr std::array<unsigned char, letterbox_width * letterbox_height> make_letterbox_map()
{
    std::array<unsigned char, letterbox_width * letterbox_height> map{};
    for (int y = 0; y < letterbox_height; ++y) {
        for (int x = 0; x < letterbox_width; ++x) {
            bool open = y <= 10 || (y <= 27 && x >= tab_edge[y - 11]);
            map[y * letterbox_width + x] = open ? 255 : 0;
        }
    }
    return map;
}

}  // namespace

constexpr std::array<unsigned char, letterbox_width * letterbox_height> letterbox_map =
    make_letterbox_map();

}  // namespace vorlane
