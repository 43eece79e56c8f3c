// The LightWave scene-file loader: scene text ("LWSC", versions 1 and 3)
// into a scene. The objects it names are loaded by an object loader; their
// motions, the camera's motion and its zoom factor become tracks, with
// pivots and parents, and in version 3 the lights.
#pragma once

#include "scene/scene_loader.h"

#include <string>

namespace vorlane {

struct anim_transform;
struct light;
struct object;
struct scene;
struct track;

class lws_loader : public scene_loader {
public:
    // Reads the named file and parses it. Fatal "Cannot open scene file -
    // <name>" when it cannot be read.
    void load(std::string_view name, scene& s) override;
    // Carriage returns count as line ends. Objects are appended from
    // no_objects on; then the draw list is rebuilt and "no subobjs - <n>"
    // logged. Fatal "Invalid scene file" for text that is not a scene or
    // that promises more than it holds, "I'm not able to handle this scene
    // file version" for versions other than 1 and 3, "Loading null
    // object?" for a version-3 null object given as a file.
    void parse(std::string_view text, scene& s) override;

    // Called as load(file name, scene) for each object; must append one
    // object to the scene.
    scene_loader* object_loader = nullptr;
    const char* cursor = nullptr;  // read position in the text
    int line_int[3] = {};          // the current line's first three numbers
    float line_float[3] = {};
    char keyword[1000] = {};       // the current line's first word
    char rest[1000] = {};          // the line behind that word and its blanks
    int first_object = 0;          // file object numbers count from here
    anim_transform* target = nullptr;  // where the next motion goes; null discards it
    object* current_object = nullptr;  // what pivot and parent lines refer to
    light* current_light = nullptr;    // what light lines refer to

private:
    void read_line();
    void next_line();
    int lines_left() const;
    int read_count(int lines_per_key);
    bool read_frames(scene& s);
    void load_object(const std::string& name, scene& s);
    void parse_version_1(scene& s);
    void parse_version_3(scene& s);
    void read_motion_1(anim_transform& a);
    void read_motion_3(anim_transform& a);
    void read_envelope(track& t);
    void read_zoom_1(track& t);
    void zoom_value(track& t);
    void read_pivot();

    std::string text;      // the normalised text, a zero byte behind it
    const char* end = nullptr;  // the zero byte
    int line = 0;          // lines stepped over so far
    int lines = 0;         // lines in the text
};

}  // namespace vorlane
