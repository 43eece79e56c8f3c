// What the scene-file tests share: the hand-written scenes in lightwave/,
// an object loader that only records the names it is asked for, and a
// scene to parse into.
#pragma once

#include "scene/lws_loader.h"
#include "scene/scene.h"
#include "scene/scene_loader.h"
#include "tests/engine/test_engine.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vorlane::test {

inline std::string lightwave_file(const char* name)
{
    std::ifstream in(std::string(VORLANE_SOURCE_DIR) + "/tests/scene/lightwave/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Appends an object of one mesh per name, as an object file would.
struct named_objects : scene_loader {
    std::vector<std::string> names;
    void load(std::string_view name, scene& s) override
    {
        names.emplace_back(name);
        s.add_object(1);
    }
};

struct lws_fixture {
    scene s{test_engine(), 0};
    named_objects objects;
    lws_loader loader;

    // first_object objects already in the scene before the file.
    explicit lws_fixture(int first_object = 0)
    {
        for (int i = 0; i < first_object; ++i)
            s.add_object(0);
        loader.object_loader = &objects;
    }
    void parse(const std::string& text) { loader.parse(text, s); }
};

}  // namespace vorlane::test
