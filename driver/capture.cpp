#include "driver/capture.h"

#include "clock/show_clock.h"
#include "driver/frame_writer.h"
#include "driver/show.h"
#include "driver/show_frame.h"
#include "driver/timeline.h"
#include "music/ring_player.h"
#include "platform/child_process.h"
#include "platform/png_writer.h"
#include "platform/scratch_folder.h"
#include "platform/wave_out_virtual.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace vorlane {

bool is_video_name(const std::string& name)
{
    if (name.size() <= 4)
        return false;
    std::string ending = name.substr(name.size() - 4);
    for (char& c : ending)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ending == ".mp4";
}

namespace {

// Where the frames go: numbered PNG files in a folder, or raw frames into
// an encoder whose video is joined with the WAV file at the end.
class capture_sink : public frame_sink {
public:
    wave_out_virtual* device = nullptr;
    std::string name;                     // what the user asked for: a folder or a video
    std::string folder;                   // PNG frames and audio.wav; for a video, a scratch folder
    pipe_to_program* encoder = nullptr;  // null for PNG frames
    int width = 0;                        // of the frames written
    int height = 0;
    present_rect picture;                 // where the show's picture lies in them
    int taken = 0;                        // frames handed to the writer
    int write_error = 0;                  // errno of the failed write, on the writer's thread
    bool recording = false;
    frame_writer writer{[this](int number, std::vector<std::uint32_t>& pixels) { return write(number, pixels); }};

    std::string audio_path() const { return folder + "/audio.wav"; }
    std::string silent_video_path() const { return folder + "/video.mp4"; }

    bool before_frame(bool wanted) override
    {
        if (!wanted || recording)
            return true;
        recording = device->record_to(audio_path().c_str());
        if (!recording)
            std::fprintf(stderr, "\nvorlane: cannot write %s\n", audio_path().c_str());
        return recording;
    }

    bool take_frame(std::vector<std::uint32_t> pixels) override
    {
        ++taken;
        return writer.push(std::move(pixels));
    }

    // Once the last frame is taken: false, with the message, when one of
    // them could not be written. The frames before it are whole; it and
    // every later one are not there.
    bool finish()
    {
        if (writer.finish())
            return true;
        std::fprintf(stderr, "vorlane: cannot write frame %d of %s (%s)", writer.failed, name.c_str(),
                     write_error ? std::strerror(write_error) : "bad frame");
        if (!encoder)
            std::fprintf(stderr, "; the %d frames before it are written", writer.failed);
        std::fputs("\n", stderr);
        return false;
    }

private:
    // On the writer's thread.
    bool write(int number, std::vector<std::uint32_t>& pixels)
    {
        if (picture.width != width || picture.height != height)
            pixels = frame_with_bars(pixels, picture, width, height);
        if (pixels.size() != std::size_t(width) * std::size_t(height))
            return false;
        bool written;
        if (encoder) {
            written = encoder->write(pixels.data(), pixels.size() * sizeof(std::uint32_t));
        } else {
            char file[32];
            std::snprintf(file, sizeof file, "/frame_%06d.png", number);
            written = write_png((folder + file).c_str(), width, height, pixels.data());
        }
        if (!written)
            write_error = errno;
        return written;
    }
};

std::vector<std::string> encoder_command(int width, int height, int fps, const std::string& video)
{
    // Frames arrive as A8R8G8B8 words, which are B, G, R, A bytes in
    // memory on the little-endian machines we build for.
    return {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-f", "rawvideo", "-pixel_format", "bgra",
            "-video_size", std::to_string(width) + "x" + std::to_string(height), "-framerate", std::to_string(fps),
            "-i", "-", "-c:v", "libx264", "-preset", "veryfast", "-crf", "18", "-pix_fmt", "yuv420p", video};
}

std::vector<std::string> join_command(const std::string& video, const std::string& audio, const std::string& out)
{
    return {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-i", video, "-i", audio,
            "-map", "0:v", "-map", "1:a", "-c:v", "copy", "-c:a", "aac", "-b:a", "192k", out};
}

void show_progress(const char* label, double song_ms, double done, double wall_s, int rendered)
{
    int left = -1;
    if (done > 0.001 && done <= 1)
        left = static_cast<int>(wall_s * (1 - done) / done + 0.5);
    char eta[32] = "?";
    if (left >= 0)
        std::snprintf(eta, sizeof eta, "%d:%02d", left / 60, left % 60);
    std::fprintf(stderr, "\r%s %8.2f s  part %d  %6.1f fps  %s left   ", label, song_ms / 1000, cur_part,
                 wall_s > 0 ? rendered / wall_s : 0.0, eta);
    std::fflush(stderr);
}

}  // namespace

std::vector<std::uint32_t> frame_with_bars(const std::vector<std::uint32_t>& pixels, const present_rect& picture,
                                           int width, int height)
{
    if (pixels.size() != std::size_t(picture.width) * std::size_t(picture.height))
        return {};
    std::vector<std::uint32_t> frame(std::size_t(width) * std::size_t(height), 0xff000000);
    // The frame's rows run from the top; picture.y counts from the bottom.
    const int top = height - picture.y - picture.height;
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(pixels.begin() + std::ptrdiff_t(y) * picture.width, picture.width,
                    frame.begin() + std::ptrdiff_t(top + y) * width + picture.x);
    return frame;
}

bool run_frames(wave_out_virtual& device, const frame_span& span, frame_sink& sink, const char* label)
{
    frame_stepper frames(device, span);
    const auto wall_start = std::chrono::steady_clock::now();
    auto last_progress = wall_start;
    frame_step step;
    while ((step = frames.step(sink)) == frame_step::drawn) {
        const auto now = std::chrono::steady_clock::now();
        if (now - last_progress >= std::chrono::milliseconds(500)) {
            last_progress = now;
            const double wall_s = std::chrono::duration<double>(now - wall_start).count();
            const double song_ms = frames.song_ms();
            const double done = span.to_ms >= 0 ? song_ms / span.to_ms : song_progress(the_song);
            show_progress(label, song_ms, done, wall_s, int(frames.drawn));
        }
    }
    std::fputs("\n", stderr);
    return step != frame_step::failed;
}

int run_capture(const options& o)
{
    const bool video = is_video_name(o.capture);
    scratch_folder scratch;
    pipe_to_program encoder;
    capture_sink sink;
    sink.name = o.capture;
    sink.width = o.resx;
    sink.height = o.resy;
    sink.picture = fit_show(o.resx, o.resy);
    if (video) {
        if (!program_on_path("ffmpeg")) {
            std::fprintf(stderr,
                         "vorlane: writing %s needs the ffmpeg program, which is not installed "
                         "(on Debian: apt-get install ffmpeg); or capture into a folder instead\n",
                         o.capture.c_str());
            return capture_failed;
        }
        if (!scratch.make("vorlane-capture-")) {
            std::fprintf(stderr, "vorlane: cannot make a scratch folder in the temporary folder ($TMPDIR or /tmp)\n");
            return capture_failed;
        }
        sink.folder = scratch.path;
        if (!encoder.start(encoder_command(o.resx, o.resy, o.fps, sink.silent_video_path()))) {
            std::fprintf(stderr, "vorlane: cannot start ffmpeg\n");
            return capture_failed;
        }
        sink.encoder = &encoder;
    } else {
        sink.folder = o.capture;
        std::error_code error;
        std::filesystem::create_directories(sink.folder, error);
        if (error || !std::filesystem::is_directory(sink.folder)) {
            std::fprintf(stderr, "vorlane: cannot make the folder %s\n", sink.folder.c_str());
            return capture_failed;
        }
    }

    sink.device = &start_offline_show(o.resx, o.resy);
    frame_span span;
    span.fps = o.fps;
    span.from_ms = o.from;
    span.to_ms = o.to;
    bool failed = !run_frames(*sink.device, span, sink, "capture");
    failed = !sink.finish() || failed;

    if (sink.recording && !sink.device->wav.close()) {
        std::fprintf(stderr, "vorlane: cannot write %s; it is removed\n", sink.audio_path().c_str());
        std::error_code ignored;
        std::filesystem::remove(sink.audio_path(), ignored);
        failed = true;
    }
    close_show();
    // A video that lacks frames or sound is not made at all.
    if (video && !failed) {
        bool made = encoder.finish();
        if (made && sink.taken > 0) {
            made = run_program(join_command(sink.silent_video_path(), sink.audio_path(), o.capture));
            if (!made) {
                // ffmpeg leaves what it wrote before it failed, which no player reads.
                std::error_code ignored;
                std::filesystem::remove(o.capture, ignored);
            }
        }
        if (!made) {
            std::fprintf(stderr, "vorlane: ffmpeg could not make %s from its %d frames; no video is left\n",
                         o.capture.c_str(), sink.taken);
            failed = true;
        }
    }
    if (failed)
        return capture_failed;
    std::fprintf(stderr, "vorlane: %d frames written to %s\n", sink.taken, o.capture.c_str());
    return 0;
}

}  // namespace vorlane
