#include "scene/track.h"

#include <cmath>

namespace vorlane {

void track::allocate(int n)
{
    keys.reset(new track_key[n > 0 ? n : 0]());
    key_count = n > 0 ? n : 0;
}

void track::assign(std::span<const track_key> written, int room, float period_, int end_mode_, int spline_)
{
    const int count = static_cast<int>(written.size());
    allocate(room > count ? room : count);
    for (int k = 0; k < count; ++k)
        keys[k] = written[k];
    period = period_;
    end_mode = end_mode_;
    spline = spline_;
}

namespace {

float wrap_time(const track& tr, float t)
{
    if (!(t > tr.period))
        return t;
    if (tr.end_mode == end_hold)
        return tr.period;
    if (tr.end_mode != end_wrap || !(tr.period > 0))
        return t;  // nothing to wrap by; subtracting 0 would never end
    while (t > tr.period) {
        const float earlier = t - tr.period;
        if (earlier == t)  // too large for the subtraction to make progress
            return std::fmod(t, tr.period);
        t = earlier;
    }
    return t;
}

}  // namespace

float track_value(const track& tr, float t)
{
    if (tr.key_count <= 0)
        return 1.0f;
    const track_key* k = tr.keys.get();
    if (tr.key_count == 1)
        return k[0].value;

    t = wrap_time(tr, t);

    // Forward search from key 0. Tracks keep t within their keys through
    // wrap or hold; one that does not holds its last key instead of reading
    // past the array.
    int i = 0;
    while (t > k[i + 1].time) {
        if (i + 2 >= tr.key_count)
            return k[i + 1].value;
        ++i;
    }

    const float d = k[i + 1].time - k[i].time;
    if (d == 0)
        return k[i].value;
    const float g = (t - k[i].time) / d;

    if (tr.spline == 0)
        return (1 - g) * k[i].value + g * k[i + 1].value;

    const float g2 = g * g;
    const float g3 = g2 * g;
    const float c = 3 * g2 - 2 * g3;
    const float h00 = 1 - c;
    const float h01 = c;
    const float h10 = g + g3 - 2 * g2;
    const float h11 = g3 - g2;

    // Catmull-Rom tangents rescaled to this segment's length, so unevenly
    // spaced keys still give a smooth curve. A zero span (equal key times)
    // falls back to the one-sided tangent.
    const float one_sided = k[i + 1].value - k[i].value;
    float m0 = one_sided;
    if (i > 0) {
        const float span = k[i + 1].time - k[i - 1].time;
        if (span != 0)
            m0 = (k[i + 1].value - k[i - 1].value) * d / span;
    }
    // The end test uses key_count, not the keys written: in a track
    // allocated larger than its data, the last written segment takes its
    // end tangent from the first unwritten key (0, 0). Effects rely on it.
    float m1 = one_sided;
    if (i + 2 != tr.key_count) {
        const float span = k[i + 2].time - k[i].time;
        if (span != 0)
            m1 = (k[i + 2].value - k[i].value) * d / span;
    }
    return h00 * k[i].value + h01 * k[i + 1].value + h10 * m0 + h11 * m1;
}

}  // namespace vorlane
