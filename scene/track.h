// Key-frame curves: every animated quantity of the show, from a bar's
// height to a camera path, is a list of (value, time) keys evaluated with
// linear or cubic Hermite interpolation, wrapping or holding past its end.
#pragma once

#include <memory>
#include <span>

namespace vorlane {

struct track_key {
    float value = 0;
    float time = 0;
};

// Copies share the key array (tracks are handed around by value).
struct track {
    std::shared_ptr<track_key[]> keys;
    int key_count = 0;  // keys that evaluation considers (may exceed the keys written)
    float period = 0;   // end time; later times wrap or hold
    int end_mode = 0;   // 0 wrap (subtract period), 1 hold at period, other: leave the time
    int spline = 1;     // 0 linear, anything else cubic Hermite

    // n zeroed keys and key_count = n; the caller writes keys and period.
    // Keys left unwritten stay (0, 0) and still feed the spline tangents.
    void allocate(int n);

    // A track with room for `room` keys (at least the keys given), the
    // given keys written first, and the given end and interpolation.
    void assign(std::span<const track_key> written, int room, float period_, int end_mode_, int spline_);
};

inline constexpr int end_wrap = 0;
inline constexpr int end_hold = 1;

// Value of the track at time t (milliseconds or animation frames, as the
// caller uses them). An empty track is 1.0; one key is constant. Before
// the first key the first segment is extrapolated, not clamped.
float track_value(const track& tr, float t);

}  // namespace vorlane
