// What the loader fuzz targets do with each input, shared with the test
// that replays their corpora: hand the bytes to one loader, and for a
// scene file play its animation at a few times. A loader's fatal error
// comes back as its message instead of ending the process.
#pragma once

#include "clock/show_clock.h"
#include "engine/picture.h"
#include "engine/tga.h"
#include "platform/environment.h"
#include "scene/csf_loader.h"
#include "scene/lwo_loader.h"
#include "scene/lws_loader.h"
#include "scene/scene.h"
#include "scene/scene_anim_effect.h"
#include "tests/engine/test_engine.h"
#include "tests/fuzz/fatal_trap.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

namespace vorlane::test {

enum class loader_input { lws, lwo, csf, tga };

// Every object a scene names is an object of one mesh without geometry:
// object files have their own target, and uploading a grown vertex buffer
// for each would make the scene target slow.
struct mesh_objects : scene_loader {
    void load(std::string_view, scene& s) override { s.add_object(1); }
};

inline int fuzz_time_ms = 0;

inline int fuzz_clock()
{
    return fuzz_time_ms;
}

// One scene for the whole process, emptied before each input: scenes are
// never freed, and their buffers are device buffers.
inline scene& fuzz_scene()
{
    static scene* s = [] {
        set_environment_default("SDL_VIDEODRIVER", "offscreen");
        return new scene(test_engine(), 0);
    }();
    s->no_objects = s->no_materials = s->no_meshes = s->no_lights = 0;
    s->no_vertices = s->no_indices = s->no_effects = 0;
    return *s;
}

inline void play_scene(scene& s)
{
    scene_anim_effect anim;
    anim.end_object = s.no_objects;
    time_func = fuzz_clock;
    // Within a few seconds: wrapping a time far past a track's period
    // takes as many steps as the periods it holds.
    for (int ms : {0, 1000, -1000, 5000}) {
        fuzz_time_ms = ms;
        anim.pre_render(s);
    }
}

// The empty string when the input loaded, else the loader's message.
inline std::string load_input(loader_input kind, const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    scene& s = fuzz_scene();
    return fatal_message_of([&] {
        switch (kind) {
        case loader_input::lws: {
            mesh_objects objects;
            lws_loader loader;
            loader.object_loader = &objects;
            loader.parse(bytes, s);
            play_scene(s);
            break;
        }
        case loader_input::lwo: {
            lwo_loader loader;
            loader.name = "input";
            loader.parse(bytes, s);
            break;
        }
        case loader_input::csf: {
            csf_loader loader;
            static_cast<scene_loader&>(loader).load(bytes, s);
            play_scene(s);
            break;
        }
        case loader_input::tga: {
            // The reader takes a file name.
            static const std::string path = (std::filesystem::temp_directory_path() /
                                             ("vorlane_tga_input_" + std::to_string(::getpid()) + ".tga"))
                                                .string();
            std::FILE* f = std::fopen(path.c_str(), "wb");
            if (!f)
                return;
            std::fwrite(data, 1, size, f);
            std::fclose(f);
            picture out;
            read_tga(path.c_str(), out);
            break;
        }
        }
    });
}

}  // namespace vorlane::test
