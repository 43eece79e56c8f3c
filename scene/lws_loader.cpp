#include "scene/lws_loader.h"

#include "engine/whole_file.h"
#include "runtime/fatal.h"
#include "runtime/log.h"
#include "scene/scene.h"

#include <algorithm>
#include <climits>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace vorlane {

namespace {

// Degrees to radians as version-1 files have always been read: this
// single-precision factor, not pi / 180.
constexpr float degree = 0.017453279f;
// Version-3 key times are seconds; tracks count frames at 30 per second
// whatever the scene's own rate.
constexpr float frames_per_second_3 = 30.0f;
// Colours written as 0..255 (version 2 and some later writers) are
// brought to 0..1.
constexpr float byte_colour = 255.0f;
// LightWave's ambient intensity when a scene gives its colour only.
constexpr float default_ambient_intensity = 0.25f;
// Key shapes and behaviours as envelopes number them.
constexpr int shape_linear = 3;
constexpr int shape_stepped = 4;
constexpr int behaviour_constant = 1;
constexpr int behaviour_repeat = 2;
constexpr int behaviour_oscillate = 3;
constexpr int behaviour_offset_repeat = 4;
// Item kinds in the top four bits of an item number.
constexpr unsigned long long object_item = 1;
constexpr unsigned long long bone_item = 4;
// A number longer than this is not a number any scene writes.
constexpr int number_room = 64;

[[noreturn]] void invalid()
{
    fatal("Invalid scene file");
}

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

bool is_space(char c)
{
    return is_blank(c) || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The next number at or after p (across line ends, as scanf reads), never
// looking at end or beyond; p moves past what was read. False, with p
// unchanged, when no number is there.
template <class number, class convert>
bool scan(const char*& p, const char* end, number& out, convert to_number)
{
    const char* q = p;
    while (q < end && is_space(*q))
        ++q;
    char token[number_room];
    int n = 0;
    while (q + n < end && !is_space(q[n]) && n < number_room - 1) {
        token[n] = q[n];
        ++n;
    }
    token[n] = 0;
    char* stop = nullptr;
    const number value = to_number(token, &stop);
    if (stop == token)
        return false;
    out = value;
    p = q + (stop - token);
    return true;
}

bool scan_int(const char*& p, const char* end, int& out)
{
    return scan(p, end, out, [](const char* s, char** stop) {
        const long v = std::strtol(s, stop, 10);
        return static_cast<int>(v < INT_MIN ? INT_MIN : v > INT_MAX ? INT_MAX : v);
    });
}

bool scan_float(const char*& p, const char* end, float& out)
{
    return scan(p, end, out, [](const char* s, char** stop) { return std::strtof(s, stop); });
}

// The text with every carriage return made a line feed (one taken with
// the line feed behind it), cut at the first zero byte.
std::string normalised(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size() && text[i] != 0; ++i) {
        if (text[i] != '\r') {
            out += text[i];
            continue;
        }
        out += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
    }
    return out;
}

}  // namespace

void lws_loader::load(std::string_view name, scene& s)
{
    std::string bytes;
    if (!read_whole_file(std::string(name), bytes))
        fatal(("Cannot open scene file - " + std::string(name)).c_str());
    parse(bytes, s);
}

void lws_loader::next_line()
{
    while (cursor < end && *cursor != '\n')
        ++cursor;
    if (cursor < end) {
        ++cursor;
        ++line;
    }
}

int lws_loader::lines_left() const
{
    return lines - 1 - line;
}

void lws_loader::read_line()
{
    while (cursor < end && *cursor == '\n') {
        ++cursor;
        ++line;
    }
    const char* line_end = std::find(cursor, end, '\n');

    // The first word, cut to the keyword's room; its numbers are read from
    // this line only.
    const char* p = cursor;
    while (p < line_end && is_space(*p))
        ++p;
    std::size_t k = 0;
    while (p < line_end && !is_space(*p)) {
        if (k < sizeof keyword - 1)
            keyword[k++] = *p;
        ++p;
    }
    keyword[k] = 0;
    const char* numbers = p;
    for (int& v : line_int)
        if (!scan_int(numbers, line_end, v))
            break;
    numbers = p;
    for (float& v : line_float)
        if (!scan_float(numbers, line_end, v))
            break;

    // The rest is taken behind the word at the start of the line, blanks
    // skipped, and cut to its room.
    p = cursor;
    while (p < line_end && !is_space(*p))
        ++p;
    while (p < line_end && is_blank(*p))
        ++p;
    const std::size_t r = std::min<std::size_t>(line_end - p, sizeof rest - 1);
    std::memcpy(rest, p, r);
    rest[r] = 0;

    next_line();
}

// The key count at the cursor, refused when negative or when the
// lines that follow cannot hold that many keys.
int lws_loader::read_count(int lines_per_key)
{
    const char* p = cursor;
    int n = 0;
    if (!scan_int(p, end, n) || n < 0 || n > lines_left() / lines_per_key)
        invalid();
    return n;
}

void lws_loader::read_motion_1(anim_transform& a)
{
    next_line();  // the channel count: always nine
    const int n = read_count(2);
    for (track& t : a.tracks) {
        t.allocate(n);
        t.period = 0;
    }
    next_line();
    for (int i = 0; i < n; ++i) {
        // Nine values, then the frame: the first number of the next line,
        // behind which come the spline parameters.
        float k[10];
        const char* p = cursor;
        for (float& v : k)
            if (!scan_float(p, end, v))
                invalid();
        for (int j = 3; j < 6; ++j)
            k[j] *= degree;
        for (int j = 0; j < 9; ++j)
            a.tracks[j].keys[i] = track_key{k[j], k[9]};
        next_line();
        next_line();
    }
    if (n > 0)
        for (track& t : a.tracks)
            t.period = t.keys[n - 1].time;
}

// From version 4 on, the key shapes and the behaviour after the last key
// choose the track's interpolation and end; version 3 tracks are splines
// that wrap, whatever the file says.
void lws_loader::read_envelope(track& t, int version)
{
    next_line();  // "{ Envelope"
    const int n = read_count(1);
    t.allocate(n);
    t.period = 0;
    next_line();
    bool every_key_straight = n > 0;
    for (int i = 0; i < n; ++i) {
        // "Key value time shape ...": the word first, then the numbers.
        const char* p = cursor;
        while (p < end && is_space(*p))
            ++p;
        while (p < end && !is_space(*p))
            ++p;
        float value = 0;
        float seconds = 0;
        if (!scan_float(p, end, value) || !scan_float(p, end, seconds))
            invalid();
        int shape = 0;
        scan_int(p, std::find(p, end, '\n'), shape);
        every_key_straight = every_key_straight && (shape == shape_linear || shape == shape_stepped);
        t.keys[i] = track_key{value, seconds * frames_per_second_3};
        next_line();
    }
    if (n > 0)
        t.period = t.keys[n - 1].time;
    if (version <= 3) {
        next_line();  // the behaviours
    } else {
        read_line();  // "Behaviors pre post"
        t.spline = every_key_straight ? 0 : 1;
        const int post = std::strcmp(keyword, "Behaviors") == 0 ? line_int[1] : behaviour_constant;
        // Tracks wrap or hold: repeating kinds wrap, the others (reset,
        // constant, linear) hold the last key.
        const bool repeats =
            post == behaviour_repeat || post == behaviour_oscillate || post == behaviour_offset_repeat;
        t.end_mode = repeats ? end_wrap : end_hold;
    }
    next_line();  // "}"
}

void lws_loader::read_motion_3(anim_transform& a, int version)
{
    read_line();  // "NumChannels c"
    const int c = line_int[0];
    if (c < 0 || c > 9)
        invalid();
    for (int k = 0; k < c; ++k) {
        next_line();  // "Channel k"
        read_envelope(a.tracks[k], version);
    }
    for (int k = c; k < 9; ++k) {
        a.tracks[k].allocate(0);
        a.tracks[k].period = 0;
    }
}

void lws_loader::read_zoom_1(track& t)
{
    next_line();  // the channel count
    const int n = read_count(2);
    t.allocate(n);
    t.period = 0;
    next_line();
    for (int i = 0; i < n; ++i) {
        // The value, then the frame from the line behind it.
        const char* p = cursor;
        float value = 0;
        float frame = 0;
        if (!scan_float(p, end, value) || !scan_float(p, end, frame))
            invalid();
        t.keys[i] = track_key{value, frame};
        next_line();
        next_line();
    }
    if (n > 0)
        t.period = t.keys[n - 1].time;
}

// The frame range and rate, which both versions give alike.
bool lws_loader::read_frames(scene& s)
{
    const std::string_view w = keyword;
    if (w == "FirstFrame")
        s.first_frame = line_int[0];
    else if (w == "LastFrame")
        s.last_frame = line_int[0];
    else if (w == "FramesPerSecond")
        s.frames_per_second = line_float[0];
    else
        return false;
    return true;
}

// A zoom factor without an envelope: one key for the whole animation.
void lws_loader::zoom_value(track& t)
{
    t.allocate(1);
    t.keys[0] = track_key{line_float[0], 0};
}

void lws_loader::read_pivot()
{
    if (current_object)
        current_object->pivot = vector{line_float[0], line_float[1], line_float[2], 1.0f};
}

// The path behind the line's leading numbers: the layer number, and from
// version 4 on the item number.
std::string lws_loader::object_path(int version) const
{
    const char* p = rest;
    const auto skip_word = [&p] {
        while (*p && !is_blank(*p))
            ++p;
        while (is_blank(*p))
            ++p;
    };
    skip_word();
    if (version >= 4) {
        const char* id = p;
        while (std::isxdigit(static_cast<unsigned char>(*id)))
            ++id;
        if (id > p && is_blank(*id))
            skip_word();
    }
    const std::string path = p;
    if (path.empty() || path.back() == '/' || path.back() == '\\')
        invalid();
    return path;
}

void lws_loader::load_object(const std::string& name, int layer, scene& s)
{
    if (!object_loader)
        fatal("No object loader for the scene's objects");
    const int before = s.no_objects;
    object_loader->load_layer(name, layer, s);
    if (s.no_objects != before + 1)
        invalid();
    start_object(s.objects.at(s.no_objects - 1));
}

// An object of the file: what pivot and parent lines refer to from here,
// and where its motion goes.
void lws_loader::start_object(object* o)
{
    current_object = o;
    current_parent = &o->parent;
    target = &o->anim;
}

void lws_loader::add_null_object(scene& s)
{
    object* o = s.add_object(0);
    o->pivot = vector{};
    o->parent = -1;
    start_object(o);
}

void lws_loader::add_light(scene& s)
{
    current_light = s.lights.at(s.no_lights++);
    // LightWave's new light: a white distant light at full intensity.
    current_light->type = 3;
    current_light->colour = {1, 1, 1, 1};
    current_light->ambient_share = 0;
    current_light->parent = -1;
    intensities.push_back(1.0f);
    current_object = nullptr;
    current_parent = &current_light->parent;
    target = &current_light->anim;
}

void lws_loader::show_camera(scene& s)
{
    current_object = nullptr;
    current_parent = &s.camera_parent;
    target = &s.cam_anim;
}

// Scene colours are 0..1, or 0..255 where the version writes them so or
// any of the three is beyond 1.
d3d_color_value lws_loader::line_colour(int version) const
{
    d3d_color_value c{line_float[0], line_float[1], line_float[2], 1};
    if (version <= 2 || c.r > 1 || c.g > 1 || c.b > 1) {
        c.r /= byte_colour;
        c.g /= byte_colour;
        c.b /= byte_colour;
    }
    return c;
}

// A value given plainly or as an envelope, taken at its start.
float lws_loader::value_or_envelope(int version)
{
    if (std::strcmp(rest, "(envelope)") != 0)
        return line_float[0];
    track t;
    read_envelope(t, version);
    return track_value(t, 0);
}

// Lines that both versions 1 and 2 and versions 3 to 5 write alike;
// false for others.
bool lws_loader::read_common(int version)
{
    const std::string_view w = keyword;
    if (w == "AmbientColor") {
        ambient_colour = line_colour(version);
        has_ambient = true;
    } else if (w == "AmbientIntensity" || w == "AmbIntensity") {
        ambient_intensity = value_or_envelope(version);
        has_ambient = true;
    } else if (!current_light) {
        return false;
    } else if (w == "LightColor") {
        const d3d_color_value c = line_colour(version);
        current_light->colour.r = c.r;
        current_light->colour.g = c.g;
        current_light->colour.b = c.b;
    } else if (w == "LgtIntensity" || w == "LightIntensity") {
        intensities.back() = value_or_envelope(version);
    } else if (w == "LightType") {
        // Distant, point, spot; linear and area lights light as points.
        static const int types[3] = {3, 1, 2};
        if (line_int[0] >= 0)
            current_light->type = line_int[0] <= 2 ? types[line_int[0]] : 1;
    } else if (w == "FallOff") {
        current_light->falloff = line_float[0];
    } else if (w == "ConeAngle") {
        current_light->cone_angle = line_float[0];
    } else if (w == "EdgeAngle") {
        current_light->edge_angle = line_float[0];
    } else {
        return false;
    }
    return true;
}

// Versions 1 and 2: motions of nine values a key. Version 1 makes neither
// null objects nor lights; version 2 makes both.
void lws_loader::parse_version_1(scene& s, int version)
{
    // What a version-1 file says about its null objects and lights lands
    // here and is dropped.
    object scratch;
    while (cursor < end) {
        read_line();
        if (read_frames(s) || (version == 2 && read_common(version)))
            continue;
        const std::string_view w = keyword;
        const bool null_object = w == "AddNullObject" || (w == "LoadObject" && std::strcmp(rest, "NullObject") == 0);
        if (null_object && version == 2) {
            add_null_object(s);
        } else if (null_object) {
            start_object(&scratch);
            target = nullptr;
        } else if (w == "LoadObject") {
            load_object(rest, 0, s);
        } else if (w == "ObjectMotion" || w == "LightMotion" || w == "CameraMotion") {
            if (target)
                read_motion_1(*target);
        } else if (w == "PivotPoint") {
            read_pivot();
        } else if (w == "ParentObject") {
            const long long parent = static_cast<long long>(first_object) + line_int[0] - 1;
            if (parent < -1 || parent > INT_MAX)
                invalid();
            if (current_parent)
                *current_parent = static_cast<int>(parent);
        } else if (w == "AddLight" && version == 2) {
            add_light(s);
        } else if (w == "AddLight") {
            start_object(&scratch);
            target = nullptr;
        } else if (w == "ShowCamera") {
            show_camera(s);
        } else if (w == "ZoomFactor") {
            if (std::strcmp(rest, "(envelope)") == 0)
                read_zoom_1(s.fov_track);
            else
                zoom_value(s.fov_track);
        }
    }
    current_object = nullptr;
}

// Versions 3 to 5: motions of one envelope a channel; from version 4 on
// items are numbered and the camera is added like the other items.
void lws_loader::parse_version_3(scene& s, int version)
{
    bool camera_added = false;
    while (cursor < end) {
        read_line();
        if (read_frames(s) || read_common(version))
            continue;
        const std::string_view w = keyword;
        if (w == "LoadObjectLayer") {
            if (std::strcmp(rest, "NullObject") == 0)
                fatal("Loading null object?");
            load_object(object_path(version), line_int[0], s);
        } else if (w == "AddNullObject") {
            add_null_object(s);
        } else if (w == "ObjectMotion" || w == "LightMotion" || w == "CameraMotion") {
            if (target)
                read_motion_3(*target, version);
        } else if (w == "PivotPosition") {
            read_pivot();
        } else if (w == "ParentItem") {
            // Item numbers carry the item kind in their top four bits;
            // only objects are parents here.
            const unsigned long long item = std::strtoull(rest, nullptr, 16);
            const unsigned long long kind = item >> 28;
            if (kind > bone_item)
                invalid();
            if (current_parent)
                *current_parent = kind <= object_item ? first_object + static_cast<int>(item & 0x0FFFFFFFu) : -1;
        } else if (w == "AddLight") {
            add_light(s);
        } else if (w == "AddCamera") {
            // The first camera is the scene's; the motions of others are dropped.
            if (!camera_added)
                show_camera(s);
            else
                current_parent = nullptr, current_object = nullptr, target = nullptr;
            camera_added = true;
        } else if (w == "ShowCamera") {
            if (version <= 3)
                show_camera(s);
        } else if (w == "ZoomFactor") {
            if (std::strcmp(rest, "(envelope)") == 0)
                read_envelope(s.fov_track, version);
            else
                zoom_value(s.fov_track);
        }
    }
    // Key times are in thirtieths of a second whatever the file's rate, so
    // the frame range and the rate are given in those units too.
    if (s.frames_per_second > 0 && s.frames_per_second != frames_per_second_3) {
        const float to_30 = frames_per_second_3 / s.frames_per_second;
        s.first_frame = static_cast<int>(std::lround(std::clamp(s.first_frame * to_30, -1e9f, 1e9f)));
        s.last_frame = static_cast<int>(std::lround(std::clamp(s.last_frame * to_30, -1e9f, 1e9f)));
        s.frames_per_second = frames_per_second_3;
    }
}

// Every parent, of objects, lights and the camera, is an object of the
// scene, and no chain of object parents loops. Parents may be named
// before they are loaded, so this waits until every item is in.
void lws_loader::check_parents(scene& s) const
{
    const auto valid = [&s](int parent) { return parent >= -1 && parent < s.no_objects; };
    for (int i = 0; i < s.no_lights; ++i)
        if (!valid(s.lights.at(i)->parent))
            invalid();
    if (!valid(s.camera_parent))
        invalid();
    // 0 not looked at, 1 on the chain being walked, 2 known to end.
    std::vector<char> state(s.no_objects - first_object, 0);
    std::vector<int> chain;
    for (int i = first_object; i < s.no_objects; ++i) {
        chain.clear();
        int k = i;
        while (k >= first_object && state[k - first_object] == 0) {
            state[k - first_object] = 1;
            chain.push_back(k);
            k = s.objects.at(k)->parent;
            if (!valid(k))
                invalid();
        }
        if (k >= first_object && state[k - first_object] == 1)
            invalid();
        for (int c : chain)
            state[c - first_object] = 2;
    }
}

void lws_loader::parse(std::string_view source, scene& s)
{
    text = normalised(source);
    cursor = text.data();
    end = text.data() + text.size();
    line = 0;
    lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    target = nullptr;
    current_object = nullptr;
    current_light = nullptr;
    current_parent = nullptr;
    intensities.clear();
    has_ambient = false;
    ambient_colour = {1, 1, 1, 1};
    ambient_intensity = default_ambient_intensity;

    if (text.compare(0, 4, "LWSC") != 0)
        invalid();
    next_line();
    int version = 0;
    const char* p = cursor;
    scan_int(p, end, version);
    first_object = s.no_objects;
    const int first_light = s.no_lights;
    s.frames_per_second = 30.0f;

    if (version == 1 || version == 2)
        parse_version_1(s, version);
    else if (version >= 3 && version <= 5)
        parse_version_3(s, version);
    else
        fatal("I'm not able to handle this scene file version");
    check_parents(s);

    // A light's intensity scales its colour, whichever line came first.
    for (std::size_t i = 0; i < intensities.size(); ++i) {
        d3d_color_value& c = s.lights.at(first_light + static_cast<int>(i))->colour;
        c.r *= intensities[i];
        c.g *= intensities[i];
        c.b *= intensities[i];
    }
    if (has_ambient) {
        const auto byte = [this](float c) {
            return static_cast<std::uint32_t>(std::lround(std::clamp(c * ambient_intensity, 0.0f, 1.0f) * 255));
        };
        s.ambient = 0xFF000000u | byte(ambient_colour.r) << 16 | byte(ambient_colour.g) << 8 | byte(ambient_colour.b);
    }

    s.build_draw_list();
    log("no subobjs - %d", s.no_meshes);
}

}  // namespace vorlane
