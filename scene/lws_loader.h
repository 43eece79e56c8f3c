// The LightWave scene-file loader: scene text ("LWSC", versions 1 to 5)
// into a scene. The objects it names are loaded by an object loader; their
// motions, the camera's motion and its zoom factor become tracks, with
// pivots and parents, and from version 2 on the lights and the ambient.
#pragma once

#include "platform/d3d_types.h"
#include "scene/scene_loader.h"

#include <string>
#include <vector>

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
    // logged. Fatal "Invalid scene file" for text that is not a scene,
    // that promises more than it holds or whose parents loop, "I'm not
    // able to handle this scene file version" for versions other than 1
    // to 5, "Loading null object?" for a null object given as a file.
    void parse(std::string_view text, scene& s) override;

    // Called as load_layer(path as written, layer, scene) for each object
    // (layer 0: the whole file); must append one object to the scene.
    scene_loader* object_loader = nullptr;
    const char* cursor = nullptr;  // read position in the text
    int line_int[3] = {};          // the current line's first three numbers
    float line_float[3] = {};
    char keyword[1000] = {};       // the current line's first word
    char rest[1000] = {};          // the line behind that word and its blanks
    int first_object = 0;          // file object numbers count from here
    anim_transform* target = nullptr;  // where the next motion goes; null discards it
    object* current_object = nullptr;  // what pivot lines refer to
    light* current_light = nullptr;    // what light lines refer to
    int* current_parent = nullptr;     // what parent lines set: of an object, a light or the camera

private:
    void read_line();
    void next_line();
    int lines_left() const;
    int read_count(int lines_per_key);
    bool read_frames(scene& s);
    bool read_common(int version);
    std::string object_path(int version) const;
    void load_object(const std::string& name, int layer, scene& s);
    void start_object(object* o);
    void add_null_object(scene& s);
    void add_light(scene& s);
    void show_camera(scene& s);
    d3d_color_value line_colour(int version) const;
    float value_or_envelope(int version);
    void parse_version_1(scene& s, int version);
    void parse_version_3(scene& s, int version);
    void check_parents(scene& s) const;
    void read_motion_1(anim_transform& a);
    void read_motion_3(anim_transform& a, int version);
    void read_envelope(track& t, int version);
    void read_zoom_1(track& t);
    void zoom_value(track& t);
    void read_pivot();

    std::string text;      // the normalised text, a zero byte behind it
    const char* end = nullptr;  // the zero byte
    int line = 0;          // lines stepped over so far
    int lines = 0;         // lines in the text
    std::vector<float> intensities;  // of the file's lights, applied once all is read
    bool has_ambient = false;        // the file gives an ambient colour or intensity
    d3d_color_value ambient_colour;
    float ambient_intensity = 0;
};

}  // namespace vorlane
