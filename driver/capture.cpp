#include "driver/capture.h"

#include "clock/show_clock.h"
#include "driver/show.h"
#include "driver/timeline.h"
#include "engine/engine.h"
#include "music/mixer.h"
#include "music/ring_player.h"
#include "music/song.h"
#include "platform/png_writer.h"
#include "platform/wave_out_virtual.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vorlane {

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

namespace {

constexpr int capture_rate = 44100;

bool is_video_name(const std::string& name)
{
    return name.size() > 4 && name.compare(name.size() - 4, 4, ".mp4") == 0;
}

bool program_installed(const char* name)
{
    const char* path = std::getenv("PATH");
    if (!path)
        return false;
    std::string dirs = path;
    std::size_t begin = 0;
    while (begin <= dirs.size()) {
        std::size_t end = dirs.find(':', begin);
        if (end == std::string::npos)
            end = dirs.size();
        std::string dir = dirs.substr(begin, end - begin);
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        struct stat st = {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return true;
        begin = end + 1;
    }
    return false;
}

// One argument for sh, whatever characters the name holds.
std::string shell_quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

// True when the command ran and exited with 0.
bool succeeded(int status)
{
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Where the frames go: numbered PNG files in a folder, or raw frames into
// an ffmpeg encoder whose video is joined with the WAV file at the end.
struct frame_sink {
    std::string folder;   // PNG frames and audio.wav; for a video, a scratch folder
    std::string video;    // the .mp4 asked for; empty for PNG frames
    std::FILE* encoder = nullptr;
    int width = 0;
    int height = 0;
    int fps = 0;
    int written = 0;

    std::string audio_path() const { return folder + "/audio.wav"; }
    std::string silent_video_path() const { return folder + "/video.mp4"; }

    bool open()
    {
        if (video.empty())
            return true;
        // Frames arrive as A8R8G8B8 words, which are B, G, R, A bytes in
        // memory on the little-endian machines we build for.
        std::string command = "ffmpeg -hide_banner -loglevel error -y -f rawvideo -pixel_format bgra -video_size " +
                              std::to_string(width) + "x" + std::to_string(height) + " -framerate " +
                              std::to_string(fps) +
                              " -i - -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p " +
                              shell_quote(silent_video_path());
        encoder = ::popen(command.c_str(), "w");
        return encoder != nullptr;
    }

    bool write(const std::vector<std::uint32_t>& pixels)
    {
        if (pixels.size() != std::size_t(width) * std::size_t(height))
            return false;
        if (encoder) {
            ++written;
            return std::fwrite(pixels.data(), sizeof(std::uint32_t), pixels.size(), encoder) == pixels.size();
        }
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%06d.png", written++);
        return write_png((folder + name).c_str(), width, height, pixels.data());
    }

    // Finishes the video: the encoder's output joined with the sound.
    bool finish()
    {
        if (video.empty())
            return true;
        bool ok = succeeded(::pclose(encoder));
        encoder = nullptr;
        if (ok && written > 0) {
            std::string command = "ffmpeg -hide_banner -loglevel error -y -i " + shell_quote(silent_video_path()) +
                                  " -i " + shell_quote(audio_path()) +
                                  " -map 0:v -map 1:a -c:v copy -c:a aac -b:a 192k " + shell_quote(video);
            ok = succeeded(std::system(command.c_str()));
        }
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
        return ok;
    }
};

// Song rows from the start to the order and row being heard, against all
// rows of the song: the show ends when the song wraps, after its last row.
double song_fraction()
{
    const song* s = the_song;
    long total = 0;
    long heard = 0;
    const int order = song_get_order(the_song);
    for (int i = 0; i < s->song_length; ++i) {
        const int rows = s->patterns[s->orders[i]].rows;
        if (i < order)
            heard += rows;
        total += rows;
    }
    heard += song_get_row(the_song);
    return total > 0 ? double(heard) / double(total) : 0.0;
}

void show_progress(double song_ms, double done, double wall_s, int rendered)
{
    int left = -1;
    if (done > 0.001 && done <= 1)
        left = static_cast<int>(wall_s * (1 - done) / done + 0.5);
    char eta[32] = "?";
    if (left >= 0)
        std::snprintf(eta, sizeof eta, "%d:%02d", left / 60, left % 60);
    std::fprintf(stderr, "\rcapture %8.2f s  part %d  %6.1f fps  %s left   ", song_ms / 1000, cur_part,
                 wall_s > 0 ? rendered / wall_s : 0.0, eta);
    std::fflush(stderr);
}

}  // namespace

int run_capture(const options& o)
{
    frame_sink sink;
    sink.width = o.resx;
    sink.height = o.resy;
    sink.fps = o.fps;
    if (is_video_name(o.capture)) {
        if (!program_installed("ffmpeg")) {
            std::fprintf(stderr,
                         "vorlane: writing %s needs the ffmpeg program, which is not installed "
                         "(on Debian: apt-get install ffmpeg); or capture into a folder instead\n",
                         o.capture.c_str());
            return 1;
        }
        std::string scratch = (std::filesystem::temp_directory_path() / "vorlane-capture-XXXXXX").string();
        if (!::mkdtemp(scratch.data())) {
            std::fprintf(stderr, "vorlane: cannot make a scratch folder in %s\n",
                         std::filesystem::temp_directory_path().c_str());
            return 1;
        }
        sink.folder = scratch;
        sink.video = o.capture;
    } else {
        sink.folder = o.capture;
        std::error_code error;
        std::filesystem::create_directories(sink.folder, error);
        if (error || !std::filesystem::is_directory(sink.folder)) {
            std::fprintf(stderr, "vorlane: cannot make the folder %s\n", sink.folder.c_str());
            return 1;
        }
    }

    // Capture needs no display: render offscreen unless the user chose a
    // video driver.
    ::setenv("SDL_VIDEODRIVER", "offscreen", 0);
    // An encoder that gives up must not kill us mid-write: the write fails
    // and is reported instead.
    std::signal(SIGPIPE, SIG_IGN);

    auto output = std::make_unique<wave_out_virtual>();
    wave_out_virtual* device = output.get();
    sound_use_output(std::move(output));
    // Nothing plays by itself: the song clock stands still between frames,
    // however long start-up takes.
    start_show(o.resx, o.resy, true, false);

    if (!sink.open()) {
        std::fprintf(stderr, "vorlane: cannot start ffmpeg\n");
        return 1;
    }

    frame_pacer pacer;
    pacer.rate = capture_rate;
    pacer.fps = std::uint64_t(o.fps);
    bool recording = false;
    bool failed = false;
    const auto wall_start = std::chrono::steady_clock::now();
    auto last_progress = wall_start;
    for (std::uint64_t k = 0;; ++k) {
        // Video frame k covers sound from k / fps seconds on.
        if (o.to >= 0 && k * 1000 >= std::uint64_t(o.to) * pacer.fps)
            break;
        const bool wanted = k * 1000 >= std::uint64_t(o.from) * pacer.fps;
        if (wanted && !recording) {
            if (!device->record_to(sink.audio_path().c_str())) {
                std::fprintf(stderr, "\nvorlane: cannot write %s\n", sink.audio_path().c_str());
                failed = true;
                break;
            }
            recording = true;
        }
        play_frames(*device, pacer.next());
        pass_result r;
        do
            r = main_loop_pass();
        while (r == pass_result::message);
        if (r == pass_result::ended)
            break;
        if (wanted && !sink.write(pd3dDev->read_surface(pd3dDev->get_back_buffer()))) {
            std::fprintf(stderr, "\nvorlane: cannot write frame %d of %s\n", sink.written - 1, o.capture.c_str());
            failed = true;
            break;
        }

        const auto now = std::chrono::steady_clock::now();
        if (now - last_progress >= std::chrono::milliseconds(500)) {
            last_progress = now;
            const double wall_s = std::chrono::duration<double>(now - wall_start).count();
            const double song_ms = double(k + 1) * 1000.0 / double(pacer.fps);
            const double done = o.to >= 0 ? song_ms / o.to : song_fraction();
            show_progress(song_ms, done, wall_s, int(k + 1));

        }
    }
    std::fputs("\n", stderr);

    if (recording && !device->wav.close()) {
        std::fprintf(stderr, "vorlane: cannot write %s\n", sink.audio_path().c_str());
        failed = true;
    }
    close_show();
    if (!sink.finish()) {
        std::fprintf(stderr, "vorlane: ffmpeg could not make %s\n", o.capture.c_str());
        failed = true;
    }
    if (failed)
        return 1;
    std::fprintf(stderr, "vorlane: %d frames written to %s\n", sink.written, o.capture.c_str());
    return 0;
}

}  // namespace vorlane
