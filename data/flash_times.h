// When the particle part flashes, in ms of its own stretched clock.
#pragma once

namespace vorlane {

inline constexpr int flash_time_count = 3;
inline constexpr float flash_times[flash_time_count] = {17283, 20950, 27950};

}  // namespace vorlane
