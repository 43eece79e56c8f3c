// The show's only source of randomness: the classic LCG of the Windows C
// runtime, never seeded, so every run (on every platform) draws the same
// sequence and the effects come out the same each time.
#pragma once

#include <cstdint>

namespace vorlane {

inline constexpr int rand_max = 32767;

// Generator state; starts at 1 as the runtime's did. Tests may set it back.
extern std::uint32_t rand_state;

// Next value in 0 ... 32767: state = state * 214013 + 2531011 (mod 2^32),
// result = bits 16 to 30 of the new state. Main thread only.
int rand();

}  // namespace vorlane
