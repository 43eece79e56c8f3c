// The real show in loop mode, round after round on the virtual sound
// device: what a round builds goes when the next replaces it, so the
// engine's textures and the device's resources come back to the same
// counts at the start of every round.

#include "clock/show_clock.h"
#include "driver/capture.h"
#include "driver/show.h"
#include "driver/timeline.h"
#include "engine/engine.h"
#include "music/ring_player.h"
#include "platform/gl_backend.h"
#include "platform/wave_out_virtual.h"
#include "tests/engine/test_engine.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vorlane {
namespace {

struct resources {
    int engine_textures = 0;
    int engine_texture_slots = 0;
    std::size_t textures = 0;
    std::size_t vertex_buffers = 0;
    std::size_t index_buffers = 0;
    std::size_t framebuffers = 0;

    bool operator==(const resources&) const = default;
};

void PrintTo(const resources& r, std::ostream* out)
{
    *out << "engine " << r.engine_textures << "/" << r.engine_texture_slots << ", device textures " << r.textures
         << ", vertex buffers " << r.vertex_buffers << ", index buffers " << r.index_buffers << ", framebuffers "
         << r.framebuffers;
}

resources count()
{
    const gl_backend& gl = *pd3dDev->gl;
    return {myengine.no_textures, myengine.textures.capacity, gl.textures.size(), gl.vertex_buffers.size(),
            gl.index_buffers.size(), gl.framebuffers.size()};
}

// Counts the resources whenever a new round's part 1 is being drawn.
class round_counter : public frame_sink {
public:
    std::vector<resources> at_round_start;
    int last_part = 1;

    bool before_frame(bool) override { return true; }
    bool take_frame(std::vector<std::uint32_t>) override
    {
        if (last_part == 5 && cur_part == 1)
            at_round_start.push_back(count());
        last_part = cur_part;
        return true;
    }
};

TEST(loop_memory_test, every_round_starts_with_the_resources_of_the_one_before)
{
    test_engine();
    auto output = std::make_unique<wave_out_virtual>();
    wave_out_virtual& device = *output;
    sound_use_output(std::move(output));
    loop_mode = true;
    start_show_after_engine(false);

    // One frame a second across four rounds of about 173 s of song.
    round_counter counter;
    frame_span span;
    span.fps = 1;
    span.to_ms = 4 * 181000;
    ASSERT_TRUE(run_frames(device, span, counter, "rounds"));

    ASSERT_GE(counter.at_round_start.size(), 3u);
    for (std::size_t i = 1; i < counter.at_round_start.size(); ++i)
        EXPECT_EQ(counter.at_round_start[i], counter.at_round_start[0]) << "round " << i + 2;

    // Closing frees the last scene's too: only the show's own textures stay.
    end_timeline();
    EXPECT_LT(myengine.no_textures, counter.at_round_start[0].engine_textures);
    EXPECT_LT(pd3dDev->gl->vertex_buffers.size(), counter.at_round_start[0].vertex_buffers);
    song_free(the_song);
    sound_close();
    the_song = nullptr;
    loop_mode = false;
}

}  // namespace
}  // namespace vorlane
