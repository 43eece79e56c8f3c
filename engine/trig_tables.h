// Sine and cosine of one-byte angles (1/256 turns), so per-frame rotations
// of many objects call no transcendental function.
#pragma once

namespace vorlane {

// The step between entries, in radians. It is the double 0.024543671875,
// slightly less than 2 pi / 256 (0.0245436926...), so a "full turn" of 256
// steps falls short by about 5e-6 rad; the show was tuned with it.
inline constexpr double trig_step = 0.024543671875;

extern float sin_table[256];
extern float cos_table[256];

// Fills both tables: entry i is sin/cos(i * trig_step) computed in double
// and stored as float. Runs once at start-up, before any effect is built.
void build_trig_tables();

}  // namespace vorlane
