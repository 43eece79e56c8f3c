// vorlane-scene: plays a LightWave scene and its objects on the engine, in
// a window or captured frame by frame into PNG files.

#include "clock/show_clock.h"
#include "engine/engine.h"
#include "platform/environment.h"
#include "platform/png_writer.h"
#include "platform/window.h"
#include "runtime/fatal.h"
#include "scene/frame.h"
#include "scene/lwo_loader.h"
#include "scene/lws_loader.h"
#include "scene/scene.h"
#include "scene/scene_anim_effect.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace vorlane {
namespace {

constexpr int exit_bad_arguments = 2;
constexpr int width = 640;  // the projection's aspect is 4:3
constexpr int height = 480;
// Scene times are int milliseconds: frames beyond this are not played.
constexpr double max_scene_ms = 1e9;
// A capture stops after this much scene time, whatever the scene's range.
constexpr double max_capture_ms = 600 * 1000.0;

const char* const usage_text =
    "usage: vorlane-scene FILE.lws [--capture OUT [--fps N]]\n"
    "       vorlane-scene --help\n";

int usage()
{
    std::fputs(usage_text, stderr);
    return exit_bad_arguments;
}

// The scene time the animation reads, in ms.
int scene_ms = 0;

int scene_clock()
{
    return scene_ms;
}

// Without lights of its own a scene is lit from above the viewer's left
// shoulder, white. Lights of the scene without a range light the whole
// scene without falling off, as they do in LightWave.
void light_scene(scene& s)
{
    for (int i = 0; i < s.no_lights; ++i) {
        light* l = s.lights.at(i);
        if (l->range == 0) {
            l->range = 1000;
            l->attenuation[0] = 1;
        }
    }
    if (s.no_lights > 0)
        return;
    light* l = s.lights.at(s.no_lights++);
    l->type = 3;
    l->colour = {1, 1, 1, 1};
    l->ambient_share = 0;
    const float placement[9] = {0, 0, 0, 0.5f, 0.6f, 0, 1, 1, 1};  // yaw, pitch in radians
    for (int k = 0; k < 9; ++k) {
        const track_key key{placement[k], 0};
        l->anim.tracks[k].assign({&key, 1}, 1, 0, end_wrap, 1);
    }
}

struct player {
    scene s{myengine, 0};
    lwo_loader objects;
    lws_loader loader;
    scene_anim_effect anim;

    void load(const std::string& file)
    {
        objects.folder = std::filesystem::path(file).parent_path().string();
        loader.object_loader = &objects;
        s.add_effect(&anim);
        anim.first_object = s.no_objects;
        loader.load(file, s);
        anim.end_object = s.no_objects;
        light_scene(s);
        // A rate the animation cannot run at plays at 30.
        if (!(s.frames_per_second >= 1 && s.frames_per_second <= 1000))
            s.frames_per_second = 30;
        const double limit = max_scene_ms * s.frames_per_second / 1000;
        s.first_frame = static_cast<int>(std::clamp<double>(s.first_frame, -limit, limit));
        s.last_frame = static_cast<int>(std::clamp<double>(s.last_frame, s.first_frame, limit));
        time_func = scene_clock;
    }

    double frame_ms(double frame) const { return frame * 1000 / s.frames_per_second; }

    // A frame loads the lights before its effects run: the animation
    // places them first, so they light this frame where they are in it.
    void draw()
    {
        anim.pre_render(s);
        render(s);
    }
};

bool capture(player& p, const std::string& out, int fps)
{
    std::error_code error;
    std::filesystem::create_directories(out, error);
    const double first = p.frame_ms(p.s.first_frame);
    double length = p.frame_ms(p.s.last_frame) - first;
    if (length > max_capture_ms) {
        std::fprintf(stderr, "vorlane-scene: capturing the first %.0f seconds of %.0f\n", max_capture_ms / 1000,
                     length / 1000);
        length = max_capture_ms;
    }
    const long long frames = static_cast<long long>(std::floor(length * fps / 1000 + 1e-6)) + 1;
    device& d = *myengine.pd3dDev;
    for (long long k = 0; k < frames; ++k) {
        scene_ms = static_cast<int>(std::lround(first + k * 1000.0 / fps));
        p.draw();
        const std::vector<std::uint32_t> pixels = d.read_surface(d.get_back_buffer());
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%06lld.png", k);
        if (!write_png((out + name).c_str(), d.width, d.height, pixels.data())) {
            std::fprintf(stderr, "Cannot write %s%s\n", out.c_str(), name);
            return false;
        }
    }
    return true;
}

// Loops from the first to the last frame until Escape.
void play(player& p)
{
    const double first = p.frame_ms(p.s.first_frame);
    const double length = p.frame_ms(p.s.last_frame) - first;
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        for (window_message m = peek_message(); m != window_message::none; m = peek_message())
            if (m == window_message::quit)
                return;
        const double elapsed =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        scene_ms = static_cast<int>(first + (length > 0 ? std::fmod(elapsed, length) : 0));
        p.draw();
    }
}

int run(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(usage_text, stdout);
        return 0;
    }
    if (argc < 2)
        return usage();
    const std::string file = argv[1];
    std::string out;
    int fps = 0;
    for (int i = 2; i < argc; i += 2) {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            return usage();
        if (option == "--capture") {
            out = argv[i + 1];
        } else if (option == "--fps") {
            char* stop = nullptr;
            const long v = std::strtol(argv[i + 1], &stop, 10);
            if (*stop || v < 1 || v > 1000)
                return usage();
            fps = static_cast<int>(v);
        } else {
            return usage();
        }
    }
    if (fps && out.empty())
        return usage();

    install_out_of_memory_handler();
    set_environment_default("SDL_VIDEODRIVER", out.empty() ? "x11,wayland,KMSDRM" : "offscreen");
    myengine.init(width, height, true);
    pd3dDev = myengine.pd3dDev;
    player p;
    p.load(file);
    if (out.empty()) {
        play(p);
        return 0;
    }
    return capture(p, out, fps ? fps : static_cast<int>(std::lround(p.s.frames_per_second))) ? 0 : 1;
}

}  // namespace
}  // namespace vorlane

int main(int argc, char** argv)
{
    const int code = vorlane::run(argc, argv);
    // The renderer's threads end with the device and the display, before
    // the process does.
    vorlane::myengine.shutdown();
    vorlane::close_platform();
    return code;
}
