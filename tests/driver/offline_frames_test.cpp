// The offline loop taken one video frame at a time, as the browser takes
// it: the real show on the virtual sound device.

#include "clock/show_clock.h"
#include "driver/offline_frames.h"
#include "driver/show.h"
#include "driver/timeline.h"
#include "music/ring_player.h"
#include "platform/wave_out_virtual.h"
#include "tests/engine/test_engine.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vorlane {
namespace {

// Notes what the stepper hands it; fails the first taken frame if asked.
class noting_sink : public frame_sink {
public:
    std::vector<bool> wanted;
    std::vector<std::size_t> taken_sizes;
    bool fail = false;

    bool before_frame(bool w) override
    {
        wanted.push_back(w);
        return true;
    }
    bool take_frame(std::vector<std::uint32_t> pixels) override
    {
        taken_sizes.push_back(pixels.size());
        return !fail;
    }
};

TEST(frame_stepper_test, steps_are_frames_of_the_span_handed_on_from_its_start)
{
    test_engine();
    auto output = std::make_unique<wave_out_virtual>();
    wave_out_virtual& device = *output;
    sound_use_output(std::move(output));
    start_show_after_engine(false);

    // 80 to 200 ms at 25 fps: frames 0 to 4, the sink's from frame 2 on.
    frame_span span;
    span.from_ms = 80;
    span.to_ms = 200;
    frame_stepper frames(device, span);
    noting_sink sink;
    std::vector<frame_step> steps;
    for (int i = 0; i < 7; ++i)
        steps.push_back(frames.step(sink));
    EXPECT_EQ(steps, (std::vector<frame_step>{frame_step::drawn, frame_step::drawn, frame_step::drawn,
                                              frame_step::drawn, frame_step::drawn, frame_step::ended,
                                              frame_step::ended}));
    EXPECT_EQ(sink.wanted, (std::vector<bool>{false, false, true, true, true}));
    const std::size_t picture = std::size_t(pd3dDev->width) * std::size_t(pd3dDev->height);
    EXPECT_EQ(sink.taken_sizes, (std::vector<std::size_t>{picture, picture, picture}));
    EXPECT_EQ(frames.drawn, 5u);
    EXPECT_DOUBLE_EQ(frames.song_ms(), 200.0);
    EXPECT_EQ(device.frames_played(), 5u * 1764u);

    // A sink that cannot take a frame ends the loop as failed.
    frame_stepper more(device, frame_span{});
    noting_sink failing;
    failing.fail = true;
    EXPECT_EQ(more.step(failing), frame_step::failed);
    EXPECT_EQ(failing.taken_sizes.size(), 1u);

    end_timeline();
    song_free(the_song);
    sound_close();
    the_song = nullptr;
}

}  // namespace
}  // namespace vorlane
