// Where the show's 4:3 picture goes in an output frame of any size.

#include "driver/show_frame.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

struct fit_case {
    int width, height;           // the frame asked for
    int x, y, picture_w, picture_h;  // the picture in it, y from the bottom
};

TEST(fit_show_test, wide_and_tall_frames_get_the_largest_centred_4_by_3_picture)
{
    const fit_case cases[] = {
        {1920, 1080, 240, 0, 1440, 1080},  // a video site's frame: bars left and right
        {1280, 720, 160, 0, 960, 720},
        {2560, 1080, 560, 0, 1440, 1080},
        {1366, 768, 171, 0, 1024, 768},
        {480, 640, 0, 140, 480, 360},  // tall: bars above and below
        {480, 641, 0, 140, 480, 360},  // the odd row goes to the top bar
        {1280, 1025, 0, 32, 1280, 960},
        {2560, 2048, 0, 64, 2560, 1920},  // 5:4, but not the show's own size
    };
    for (const fit_case& c : cases) {
        const present_rect r = fit_show(c.width, c.height);
        EXPECT_EQ(r.x, c.x) << c.width << "x" << c.height;
        EXPECT_EQ(r.y, c.y) << c.width << "x" << c.height;
        EXPECT_EQ(r.width, c.picture_w) << c.width << "x" << c.height;
        EXPECT_EQ(r.height, c.picture_h) << c.width << "x" << c.height;
    }
}

TEST(fit_show_test, four_by_three_frames_and_1280_by_1024_are_filled)
{
    // 641 x 481 is 4:3 to the nearest pixel: no one-pixel bar.
    for (const auto& [w, h] : {std::pair{640, 480}, {800, 600}, {1024, 768}, {1600, 1200}, {64, 48}, {641, 481},
                               {1280, 1024}}) {
        const present_rect r = fit_show(w, h);
        EXPECT_EQ(r.x, 0) << w << "x" << h;
        EXPECT_EQ(r.y, 0) << w << "x" << h;
        EXPECT_EQ(r.width, w) << w << "x" << h;
        EXPECT_EQ(r.height, h) << w << "x" << h;
    }
}

}  // namespace
}  // namespace vorlane
