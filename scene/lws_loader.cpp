#include "scene/lws_loader.h"

#include "engine/whole_file.h"
#include "runtime/fatal.h"
#include "runtime/log.h"
#include "scene/scene.h"

#include <algorithm>
#include <climits>
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
// Chains of parents that each come later in the file than their child;
// no scene needs more, and the animation's recursion must fit the stack.
constexpr int max_later_parents = 4096;
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

void lws_loader::read_envelope(track& t)
{
    next_line();  // "{ Envelope"
    const int n = read_count(1);
    t.allocate(n);
    t.period = 0;
    next_line();
    for (int i = 0; i < n; ++i) {
        // "Key value time ...": the word first, then the two numbers.
        const char* p = cursor;
        while (p < end && is_space(*p))
            ++p;
        while (p < end && !is_space(*p))
            ++p;
        float value = 0;
        float seconds = 0;
        if (!scan_float(p, end, value) || !scan_float(p, end, seconds))
            invalid();
        t.keys[i] = track_key{value, seconds * frames_per_second_3};
        next_line();
    }
    if (n > 0)
        t.period = t.keys[n - 1].time;
    next_line();  // the behaviours
    next_line();  // "}"
}

void lws_loader::read_motion_3(anim_transform& a)
{
    read_line();  // "NumChannels c"
    const int c = line_int[0];
    if (c < 0 || c > 9)
        invalid();
    for (int k = 0; k < c; ++k) {
        next_line();  // "Channel k"
        read_envelope(a.tracks[k]);
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

void lws_loader::load_object(const std::string& name, scene& s)
{
    object_loader->load(name, s);
    current_object = s.objects.at(s.no_objects - 1);
    current_object->pivot = vector{};
    current_object->parent = -1;
    target = &current_object->anim;
}

void lws_loader::parse_version_1(scene& s)
{
    // Null objects are not created: what the file says about them lands
    // here and is dropped.
    object scratch;
    while (cursor < end) {
        read_line();
        if (read_frames(s))
            continue;
        const std::string_view w = keyword;
        if (w == "LoadObject" && std::strcmp(rest, "NullObject") != 0) {
            load_object(rest, s);
        } else if (w == "AddNullObject" || w == "LoadObject") {
            current_object = &scratch;
            target = nullptr;
        } else if (w == "ObjectMotion" || w == "LightMotion" || w == "CameraMotion") {
            if (target)
                read_motion_1(*target);
        } else if (w == "PivotPoint") {
            read_pivot();
        } else if (w == "ParentObject") {
            const long long parent = static_cast<long long>(first_object) + line_int[0] - 1;
            if (parent < -1 || parent > INT_MAX)
                invalid();
            if (current_object)
                current_object->parent = static_cast<int>(parent);
        } else if (w == "AddLight") {
            target = nullptr;  // version-1 lights are not made
        } else if (w == "ShowCamera") {
            target = &s.cam_anim;
        } else if (w == "ZoomFactor") {
            if (std::strcmp(rest, "(envelope)") == 0)
                read_zoom_1(s.fov_track);
            else
                zoom_value(s.fov_track);
        }
    }
    current_object = nullptr;
}

void lws_loader::parse_version_3(scene& s)
{
    while (cursor < end) {
        read_line();
        if (read_frames(s))
            continue;
        const std::string_view w = keyword;
        if (w == "LoadObjectLayer") {
            if (std::strcmp(rest, "NullObject") == 0)
                fatal("Loading null object?");
            // Behind the layer number and its blanks, the path; the object
            // is looked for by its bare file name.
            const char* p = rest;
            while (*p && !is_blank(*p))
                ++p;
            while (is_blank(*p))
                ++p;
            std::string_view name = p;
            const std::size_t slash = name.find_last_of("/\\");
            if (slash != std::string_view::npos)
                name.remove_prefix(slash + 1);
            if (name.empty())
                invalid();
            load_object(std::string(name), s);
        } else if (w == "AddNullObject") {
            current_object = s.add_object(0);
            current_object->pivot = vector{};
            current_object->parent = -1;
            target = &current_object->anim;
        } else if (w == "ObjectMotion" || w == "LightMotion" || w == "CameraMotion") {
            if (target)
                read_motion_3(*target);
        } else if (w == "PivotPosition") {
            read_pivot();
        } else if (w == "ParentItem") {
            // Item numbers carry the item kind in their top four bits.
            const unsigned long long item = std::strtoull(rest, nullptr, 16) & 0x0FFFFFFFu;
            if (current_object)
                current_object->parent = first_object + static_cast<int>(item);
        } else if (w == "AddLight") {
            current_light = s.lights.at(s.no_lights++);
            target = &current_light->anim;
        } else if (w == "ShowCamera") {
            target = &s.cam_anim;
        } else if (w == "ZoomFactor") {
            if (std::strcmp(rest, "(envelope)") == 0)
                read_envelope(s.fov_track);
            else
                zoom_value(s.fov_track);
        } else if (current_light) {
            if (w == "LightColor") {
                current_light->colour.r = line_float[0];
                current_light->colour.g = line_float[1];
                current_light->colour.b = line_float[2];
            } else if (w == "LgtIntensity") {
                current_light->colour.r *= line_float[0];
                current_light->colour.g *= line_float[0];
                current_light->colour.b *= line_float[0];
            } else if (w == "LightType") {
                static const int types[3] = {3, 1, 2};  // distant, point, spot
                if (line_int[0] >= 0 && line_int[0] <= 2)
                    current_light->type = types[line_int[0]];
            } else if (w == "FallOff") {
                current_light->falloff = line_float[0];
            } else if (w == "ConeAngle") {
                current_light->cone_angle = line_float[0];
            } else if (w == "EdgeAngle") {
                current_light->edge_angle = line_float[0];
            }
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

    if (text.compare(0, 4, "LWSC") != 0)
        invalid();
    next_line();
    int version = 0;
    const char* p = cursor;
    scan_int(p, end, version);
    first_object = s.no_objects;
    s.frames_per_second = 30.0f;

    if (version == 1)
        parse_version_1(s);
    else if (version == 3)
        parse_version_3(s);
    else
        fatal("I'm not able to handle this scene file version");

    // Parents may be named before they are loaded, so they are checked
    // once every object is in. The animation places objects in file order,
    // each after its parent, recursing into parents not yet placed: a
    // chain of parents that each come later in the file is as deep as that
    // recursion goes, and is held to a depth the stack takes.
    std::vector<int> later_parents(s.no_objects - first_object, 0);
    for (int i = s.no_objects - 1; i >= first_object; --i) {
        const int parent = s.objects.at(i)->parent;
        if (parent < -1 || parent >= s.no_objects)
            invalid();
        if (parent > i) {
            int& depth = later_parents[i - first_object];
            depth = later_parents[parent - first_object] + 1;
            if (depth > max_later_parents)
                invalid();
        }
    }

    s.build_draw_list();
    log("no subobjs - %d", s.no_meshes);
}

}  // namespace vorlane
