#include "scene/csf_loader.h"

#include "runtime/fatal.h"
#include "scene/scene.h"

#include <cstring>

namespace vorlane {

namespace {
constexpr std::size_t key_bytes = 40;
}

std::uint8_t csf_loader::read_byte()
{
    if (end - cursor < 1)
        fatal("Invalid CSF file");
    return *cursor++;
}

std::int32_t csf_loader::read_int()
{
    if (end - cursor < 4)
        fatal("Invalid CSF file");
    const std::uint32_t v = static_cast<std::uint32_t>(cursor[0]) | static_cast<std::uint32_t>(cursor[1]) << 8 |
                            static_cast<std::uint32_t>(cursor[2]) << 16 | static_cast<std::uint32_t>(cursor[3]) << 24;
    cursor += 4;
    return static_cast<std::int32_t>(v);
}

float csf_loader::read_float()
{
    const std::uint32_t bits = static_cast<std::uint32_t>(read_int());
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

void csf_loader::read_tracks(anim_transform& a)
{
    const std::int32_t n = read_int();
    // Refuse before allocating: the count must fit in what is left.
    if (n < 0 || static_cast<std::size_t>(end - cursor) / key_bytes < static_cast<std::size_t>(n))
        fatal("Invalid CSF file");
    for (track& tr : a.tracks)
        tr.allocate(n);
    for (int i = 0; i < n; ++i) {
        const float time = static_cast<float>(read_int());
        for (track& tr : a.tracks)
            tr.keys[i] = track_key{read_float(), time};
    }
    // Each record loops with its own length.
    if (n > 0)
        for (track& tr : a.tracks)
            tr.period = tr.keys[n - 1].time;
}

void csf_loader::load(const std::uint8_t* data, std::size_t size, scene& s)
{
    cursor = data;
    end = data + size;
    s.frames_per_second = 30.0f;

    if (size < 4 || std::memcmp(data, "CSF!", 4) != 0)
        fatal("Invalid CSF file");
    cursor += 4;

    for (;;) {
        switch (read_byte()) {
        case 0:
            return;
        case 'o': {
            object* o = s.objects.at(s.no_objects++);
            o->pivot = vector{};
            o->parent = -1;
            read_tracks(o->anim);
            break;
        }
        case 'c':
            // The field of view is not animated by the format: 1.5 throughout.
            s.fov_track.allocate(1);
            s.fov_track.keys[0] = track_key{1.5f, 0};
            read_tracks(s.cam_anim);
            break;
        default:
            fatal("Invalid CSF file [2]");
        }
    }
}

void csf_loader::load(std::string_view image, scene& s)
{
    load(reinterpret_cast<const std::uint8_t*>(image.data()), image.size(), s);
}

void csf_scene::load(scene& s, const std::uint8_t* data, std::size_t size)
{
    s.add_effect(&anim);
    anim.first_object = s.no_objects;
    loader.load(data, size, s);
    anim.end_object = s.no_objects;
    s.frames_per_second = 30.0f;
}

}  // namespace vorlane
