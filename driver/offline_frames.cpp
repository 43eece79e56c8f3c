#include "driver/offline_frames.h"

#include "driver/show.h"
#include "driver/show_frame.h"
#include "driver/timeline.h"
#include "engine/engine.h"
#include "music/mixer.h"
#include "music/ring_player.h"
#include "platform/environment.h"
#include "platform/wave_out_virtual.h"

#include <algorithm>
#include <memory>

namespace vorlane {

namespace {

constexpr int offline_rate = 44100;

}  // namespace

std::uint32_t frame_pacer::next()
{
    const std::uint64_t start = paced * rate / fps;
    ++paced;
    return static_cast<std::uint32_t>(paced * rate / fps - start);
}

void play_frames(wave_out_virtual& device, std::uint32_t frames)
{
    while (frames > 0) {
        const auto into_block = static_cast<std::uint32_t>(device.frames_played() % std::uint64_t(block_samples));
        const std::uint32_t n = std::min(frames, std::uint32_t(block_samples) - into_block);
        device.advance(n);
        output_poll();
        frames -= n;
    }
}

wave_out_virtual& start_offline_show(int resx, int resy)
{
    set_environment_default("SDL_VIDEODRIVER", "offscreen");
    auto output = std::make_unique<wave_out_virtual>();
    wave_out_virtual& device = *output;
    sound_use_output(std::move(output));
    const present_rect picture = fit_show(resx, resy);
    start_show(picture.width, picture.height, true, 0, false);
    return device;
}

frame_stepper::frame_stepper(wave_out_virtual& d, const frame_span& s) : device(d), span(s)
{
    pacer.rate = offline_rate;
    pacer.fps = std::uint64_t(span.fps);
}

frame_step frame_stepper::step(frame_sink& sink)
{
    // Video frame k covers sound from k / fps seconds on.
    const std::uint64_t k = drawn;
    if (span.to_ms >= 0 && k * 1000 >= std::uint64_t(span.to_ms) * pacer.fps)
        return frame_step::ended;
    const bool wanted = k * 1000 >= std::uint64_t(span.from_ms) * pacer.fps;
    if (!sink.before_frame(wanted))
        return frame_step::failed;
    play_frames(device, pacer.next());
    pass_result r;
    do
        r = main_loop_pass();
    while (r == pass_result::message);
    if (r == pass_result::ended)
        return frame_step::ended;
    ++drawn;
    if (wanted && !sink.take_frame(pd3dDev->read_surface(pd3dDev->get_back_buffer())))
        return frame_step::failed;
    return frame_step::drawn;
}

double frame_stepper::song_ms() const
{
    return double(drawn) * 1000.0 / double(pacer.fps);
}

}  // namespace vorlane
