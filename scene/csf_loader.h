// The compact scene-animation format: no geometry, only key-framed
// placements for a run of scene objects and for the camera.
//
//   "CSF!", then records, then a 0 byte. A record is a tag ('o' object,
//   'c' camera), a signed 32-bit key count n and n keys of 40 bytes:
//   time (int32, animation frames), position x y z, yaw pitch roll
//   (radians), scale x y z (float32). Little-endian, no padding.
#pragma once

#include "scene/scene_anim_effect.h"
#include "scene/scene_loader.h"

#include <cstddef>
#include <cstdint>

namespace vorlane {

struct anim_transform;
struct scene;

class csf_loader : public scene_loader {
public:
    // The image's bytes as the source: the same load as below.
    void load(std::string_view image, scene& s) override;
    // Appends one object per object record at no_objects (reusing objects
    // that already exist there, with their meshes and world) and fills the
    // camera animation. An image that is not CSF, is cut short or has a
    // negative key count is fatal ("Invalid CSF file"); an unknown tag is
    // fatal ("Invalid CSF file [2]").
    void load(const std::uint8_t* data, std::size_t size, scene& s);

    const std::uint8_t* cursor = nullptr;  // read position
    const std::uint8_t* end = nullptr;     // one past the image

private:
    std::uint8_t read_byte();
    std::int32_t read_int();
    float read_float();
    void read_tracks(anim_transform& a);
};

// A loader and the effect that plays what it loaded, made together.
class csf_scene {
public:
    // Registers the animation effect in s first, then loads the image into
    // s; frames_per_second becomes 30.
    void load(scene& s, const std::uint8_t* data, std::size_t size);

    csf_loader loader;
    scene_anim_effect anim;
};

}  // namespace vorlane
