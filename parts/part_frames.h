// The parts' clock in animation frames: the part time scaled by the
// scene's frames per second.
#pragma once

#include "clock/show_clock.h"
#include "scene/scene.h"

namespace vorlane {

inline float part_frames(const scene& s)
{
    return static_cast<float>(get_parttime()) / 1000 * s.frames_per_second;
}

}  // namespace vorlane
