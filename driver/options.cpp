#include "driver/options.h"

#include "driver/capture.h"

#include <cstring>

namespace vorlane {

const char* const usage_text =
    "usage: vorlane [options]\n"
    "       vorlane --capture OUT [--fps N] [--from MS] [--to MS] [--resolution WxH] [--loop] [--log]\n"
    "       vorlane --bench [--resolution WxH] [--log]\n"
    "\n"
    "Without --resolution the show first opens its setup dialog: Up and Down or the mouse\n"
    "choose the resolution, Tab moves to the mode buttons (Normal or Loop), Enter starts\n"
    "the show, Escape or closing the dialog ends the program. There is no dialog in\n"
    "capture, in the benchmark or without a display.\n"
    "\n"
    "  --windowed          show in a window instead of full screen\n"
    "  --resolution WxH    size of the frame (default 640x480), without the dialog; the show\n"
    "                      is drawn at the largest 4:3 size that fits, between black bars\n"
    "                      (1280x1024 is drawn at its full size)\n"
    "  --loop              keep cycling through the show's parts after the song's end, the\n"
    "                      song wrapping to its restart position, until Escape\n"
    "  --no-sound          play silently, keeping the song's timing\n"
    "  --log               write the timeline log to vorlane.log in the working directory\n"
    "  --version           print the version and exit\n"
    "  --help              print this text and exit\n"
    "\n"
    "capture (offline, no display or sound card needed):\n"
    "  --capture OUT       a folder: frame_000000.png ... and audio.wav;\n"
    "                      a name ending in .mp4: a video, through the ffmpeg program\n"
    "                      (its width and height must be even)\n"
    "  --fps N             frames per second (default 25, at most 1000)\n"
    "  --from MS           write nothing before this many ms of sound (earlier frames are still rendered)\n"
    "  --to MS             stop after this many ms of sound (default: the end of the song)\n"
    "\n"
    "benchmark (offline, no display or sound card needed):\n"
    "  --bench             play the whole show offscreen and silent, as fast as it goes, at 60\n"
    "                      frames per second of song time, each frame read back as in capture;\n"
    "                      the table on stdout gives per part and for the whole show:\n"
    "                        frames, mean fps (frames / wall time),\n"
    "                        median, 99th percentile and slowest frame in ms,\n"
    "                        slowest 1 %: mean ms per frame of the slowest 1 % of frames,\n"
    "                        start: ms of the slowest frame that begins the part (a switch),\n"
    "                        main CPU: ms per frame of CPU time of the thread that runs the show\n"
    "                          (our code and the OpenGL driver's work on that thread),\n"
    "                        other CPU: ms per frame of CPU time of all other threads\n"
    "                          (the software renderer's rasteriser threads);\n"
    "                      then the song times of the five slowest frames,\n"
    "                      and the start-up time, from process start to the first frame\n";

namespace {

// A positive decimal of at most five digits, so the frame's byte size
// stays far from overflow; text is advanced past it.
bool parse_dimension(const char*& text, int& out)
{
    int value = 0;
    int digits = 0;
    while (*text >= '0' && *text <= '9') {
        if (++digits > 5)
            return false;
        value = value * 10 + (*text++ - '0');
    }
    if (digits == 0 || value == 0)
        return false;
    out = value;
    return true;
}

bool parse_resolution(const char* text, int& w, int& h)
{
    if (!parse_dimension(text, w) || (*text != 'x' && *text != 'X'))
        return false;
    ++text;
    return parse_dimension(text, h) && *text == '\0';
}

// A whole decimal from 0 to limit, nothing else.
bool parse_count(const char* text, int limit, int& out)
{
    long long value = 0;
    if (*text == '\0')
        return false;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9')
            return false;
        value = value * 10 + (*text - '0');
        if (value > limit)
            return false;
    }
    out = static_cast<int>(value);
    return true;
}

// Song times go up to a day: far beyond any song, far below overflow when
// multiplied by a frame rate.
constexpr int max_ms = 24 * 60 * 60 * 1000;
constexpr int max_fps = 1000;

}  // namespace

bool parse_options(int argc, char** argv, options& out, std::string& error)
{
    bool capture_only = false;  // an option that means nothing without --capture
    const char* capture_only_name = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool takes_value = std::strcmp(arg, "--resolution") == 0 || std::strcmp(arg, "--capture") == 0 ||
                                 std::strcmp(arg, "--fps") == 0 || std::strcmp(arg, "--from") == 0 ||
                                 std::strcmp(arg, "--to") == 0;
        if (takes_value && i + 1 == argc) {
            error = std::string("vorlane: ") + arg + " needs a value";
            return false;
        }
        if (std::strcmp(arg, "--log") == 0)
            out.log = true;
        else if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)
            out.help = true;
        else if (std::strcmp(arg, "--version") == 0)
            out.version = true;
        else if (std::strcmp(arg, "--windowed") == 0)
            out.windowed = true;
        else if (std::strcmp(arg, "--no-sound") == 0)
            out.no_sound = true;
        else if (std::strcmp(arg, "--bench") == 0)
            out.bench = true;
        else if (std::strcmp(arg, "--loop") == 0)
            out.loop = true;
        else if (std::strcmp(arg, "--resolution") == 0) {
            const char* size = argv[++i];
            if (!parse_resolution(size, out.resx, out.resy)) {
                error = std::string("vorlane: bad resolution '") + size + "' (expected WxH, such as 800x600)";
                return false;
            }
            out.resolution_given = true;
        } else if (std::strcmp(arg, "--capture") == 0) {
            out.capture = argv[++i];
            if (out.capture.empty()) {
                error = "vorlane: --capture needs a folder or a file name ending in .mp4";
                return false;
            }
        } else if (std::strcmp(arg, "--fps") == 0) {
            const char* value = argv[++i];
            if (!parse_count(value, max_fps, out.fps) || out.fps == 0) {
                error = std::string("vorlane: bad frame rate '") + value + "' (expected 1 to 1000)";
                return false;
            }
            capture_only = true;
            capture_only_name = arg;
        } else if (std::strcmp(arg, "--from") == 0 || std::strcmp(arg, "--to") == 0) {
            const char* value = argv[++i];
            if (!parse_count(value, max_ms, arg[2] == 'f' ? out.from : out.to)) {
                error = std::string("vorlane: bad time '") + value + "' for " + arg + " (expected milliseconds)";
                return false;
            }
            capture_only = true;
            capture_only_name = arg;
        } else {
            error = std::string("vorlane: unknown option '") + arg + "'";
            return false;
        }
    }
    if (out.bench && !out.capture.empty()) {
        error = "vorlane: --bench and --capture cannot be combined";
        return false;
    }
    // A looping show has no end of its own to stop at.
    if (out.loop && out.bench) {
        error = "vorlane: --bench and --loop cannot be combined";
        return false;
    }
    if (out.loop && !out.capture.empty() && out.to < 0) {
        error = "vorlane: --loop with --capture needs --to";
        return false;
    }
    if (capture_only && out.capture.empty()) {
        error = std::string("vorlane: ") + capture_only_name + " only applies with --capture";
        return false;
    }
    // The encoder stores colour at half the resolution across and down.
    if (is_video_name(out.capture) && (out.resx % 2 != 0 || out.resy % 2 != 0)) {
        error = "vorlane: a video needs an even width and height, not " + std::to_string(out.resx) + "x" +
                std::to_string(out.resy);
        return false;
    }
    if (out.to >= 0 && out.to <= out.from) {
        error = "vorlane: --to must come after --from";
        return false;
    }
    return true;
}

}  // namespace vorlane
