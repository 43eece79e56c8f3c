#include "music/mixer.h"

#include "music/voice.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace vorlane {

int mix_rate = 0;
int block_samples = 0;
int ring_samples = 0;
int num_blocks = 0;
float inv_rate = 0;
int ramp_length = 0;
float ramp_scale = 0;

void mixer_configure(int rate)
{
    mix_rate = rate;
    block_samples = ((rate * 20) / 1000 + 3) & ~3;
    ring_samples = (buffer_ms / 20) * block_samples * 2;
    num_blocks = ring_samples / block_samples;
    inv_rate = 1.0f / float(rate);
    // At least one frame: very low rates would otherwise divide by zero.
    ramp_length = std::max(rate * 128 / 44100, 1);
    ramp_scale = 1.0f / float(ramp_length);
}

namespace {

using u64 = std::uint64_t;

constexpr float frac_scale = 1.0f / 2147483648.0f;  // 2^-31
constexpr float unscale = 1.0f / 65536.0f;           // undoes interpolate4_scaled's 2^16

inline float interpolate(const std::int16_t* pcm, u64 pos)
{
    std::size_t i = std::size_t(pos >> 32);
    float s0 = pcm[i];
    float s1 = pcm[i + 1];
    float f = float(std::uint32_t(pos) >> 1) * frac_scale;
    return s0 + (s1 - s0) * f;
}

using v4 = float __attribute__((vector_size(16)));
using v4i = std::int32_t __attribute__((vector_size(16)));
using v4u = std::uint32_t __attribute__((vector_size(16)));
using v8s = std::int16_t __attribute__((vector_size(16)));

inline v4 load4(const float* p)
{
    v4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store4(float* p, v4 v)
{
    std::memcpy(p, &v, sizeof v);
}

// 2^16 times the interpolated values of the four frames at pos,
// pos + delta, ... with exactly interpolate's arithmetic otherwise: each
// frame's two neighbouring values come in one 32-bit load, and the callers
// advance the four positions' fractions together in one vector. The pair
// yields both values already times 2^16 (the first shifted up, the second
// with the low half cleared), one operation fewer than extracting them.
// Scaling by a power of two changes no rounding as long as nothing comes
// near the smallest normal float, and nothing does: the levels that
// multiply these values carry the 2^-16.
inline v4 interpolate4_scaled(const std::int16_t* pcm, u64 pos, u64 delta, v4u fractions)
{
    static_assert(std::endian::native == std::endian::little, "value pairs are read as one int");
    const v4 scale = {frac_scale, frac_scale, frac_scale, frac_scale};
    const v4i high_half = {-65536, -65536, -65536, -65536};
    // Each pair goes straight into a vector's first lane (through a general
    // register it would cost a move more); then the four lanes are joined.
    auto pair_at = [pcm](u64 p) {
        v4i pair = {};
        std::memcpy(&pair, pcm + (p >> 32), 4);
        return pair;
    };
    v4i first_two = __builtin_shufflevector(pair_at(pos), pair_at(pos + delta), 0, 4, 1, 5);
    v4i last_two = __builtin_shufflevector(pair_at(pos + 2 * delta), pair_at(pos + 3 * delta), 0, 4, 1, 5);
    v4i pairs = __builtin_shufflevector(first_two, last_two, 0, 1, 4, 5);
    v4 s0 = __builtin_convertvector(pairs << 16, v4);
    v4 s1 = __builtin_convertvector(pairs & high_half, v4);
    v4 f = __builtin_convertvector(v4i(fractions >> 1), v4);
    return s0 + (s1 - s0) * (f * scale);
}

// The fractions of the four positions interpolate4_scaled starts from.
inline v4u fractions4(u64 pos, u64 delta)
{
    return v4u{std::uint32_t(pos), std::uint32_t(pos + delta), std::uint32_t(pos + 2 * delta),
               std::uint32_t(pos + 3 * delta)};
}

// Mixes n frames at fixed levels, four frames per iteration with the scalar
// path's arithmetic (so the result is the same).
u64 mix_flat(float* out, int n, const std::int16_t* pcm, u64 pos, u64 step, bool backward,
             float left, float right)
{
    const u64 delta = backward ? u64(0) - step : step;
    const v4 levels = v4{left, right, left, right} * unscale;
    v4u fractions = fractions4(pos, delta);
    const std::uint32_t fraction_step = std::uint32_t(4 * delta);
    int i = 0;
    for (; i + 3 < n; i += 4) {
        v4 s = interpolate4_scaled(pcm, pos, delta, fractions);
        pos += 4 * delta;
        fractions += fraction_step;
        v4 first = {s[0], s[0], s[1], s[1]};
        v4 second = {s[2], s[2], s[3], s[3]};
        store4(out, load4(out) + first * levels);
        store4(out + 4, load4(out + 4) + second * levels);
        out += 8;
    }
    for (; i < n; ++i) {
        float a = interpolate(pcm, pos);
        out[0] += a * left;
        out[1] += a * right;
        out += 2;
        pos += delta;
    }
    return pos;
}

// Mixes n frames while the levels move by their steps after every frame.
// The levels advance one frame at a time as in a plain loop (so rounding
// is the same), as a left, right pair held twice in one vector and times
// 2^-16 for interpolate4_scaled; the samples are taken four frames at a time.
u64 mix_ramped(float* out, int n, const std::int16_t* pcm, u64 pos, u64 step, bool backward,
               float& left, float& right, float step_left, float step_right)
{
    const u64 delta = backward ? u64(0) - step : step;
    v4u fractions = fractions4(pos, delta);
    const std::uint32_t fraction_step = std::uint32_t(4 * delta);
    const v4 steps = v4{step_left, step_right, step_left, step_right} * unscale;
    v4 levels = v4{left, right, left, right} * unscale;
    int i = 0;
    for (; i + 3 < n; i += 4) {
        v4 s = interpolate4_scaled(pcm, pos, delta, fractions);
        pos += 4 * delta;
        fractions += fraction_step;
        v4 levels1 = levels + steps;
        v4 levels2 = levels1 + steps;
        v4 levels3 = levels2 + steps;
        v4 first_levels = __builtin_shufflevector(levels, levels1, 0, 1, 4, 5);
        v4 second_levels = __builtin_shufflevector(levels2, levels3, 0, 1, 4, 5);
        levels = levels3 + steps;
        v4 first = {s[0], s[0], s[1], s[1]};
        v4 second = {s[2], s[2], s[3], s[3]};
        store4(out, load4(out) + first * first_levels);
        store4(out + 4, load4(out + 4) + second * second_levels);
        out += 8;
    }
    left = levels[0] * 65536.0f;
    right = levels[1] * 65536.0f;
    for (; i < n; ++i) {
        float s = interpolate(pcm, pos);
        out[0] += s * left;
        out[1] += s * right;
        out += 2;
        left += step_left;
        right += step_right;
        pos += delta;
    }
    return pos;
}

// Frames until the position reaches the loop end (forward) or falls below
// the loop start (backward). Computed exactly in 64 bits, so the last frame
// mixed before a boundary never reads past the guard value.
u64 frames_to_boundary(u64 pos, u64 step, bool backward, u64 start, u64 end)
{
    if (step == 0)
        return ~u64(0);
    if (!backward)
        return pos >= end ? 0 : (end - pos + step - 1) / step;
    return pos < start ? 0 : (pos - start) / step + 1;
}

// Sets up or continues the voice's volume ramp; returns whether one runs.
bool ramp_setup(voice& v)
{
    if (v.ramp_remaining != 0 && v.left_level == v.ramp_target_left &&
        v.right_level == v.ramp_target_right) {
        // The ramped levels were rounded to the 0..255 scale when the last
        // pass ended; aiming the steps from there at the targets over the
        // frames left lands the ramp exactly on them (and a side that did
        // not change keeps a step of 0).
        float frames_left = float(v.ramp_remaining);
        v.ramp_step_left = float(v.ramp_target_left - v.ramp_left) * (1.0f / 255.0f) / frames_left;
        v.ramp_step_right = float(v.ramp_target_right - v.ramp_right) * (1.0f / 255.0f) / frames_left;
        return true;
    }
    v.ramp_target_left = v.left_level;
    v.ramp_target_right = v.right_level;
    v.ramp_step_left = 0;
    v.ramp_step_right = 0;
    int count = 0;
    if (v.left_level != v.ramp_left) {
        v.ramp_step_left = float(v.left_level - v.ramp_left) * (1.0f / 255.0f) * ramp_scale;
        count = ramp_length;
    }
    if (v.right_level != v.ramp_right) {
        v.ramp_step_right = float(v.right_level - v.ramp_right) * (1.0f / 255.0f) * ramp_scale;
        count = ramp_length;
    }
    v.ramp_remaining = count;
    return count != 0;
}

std::uint8_t to_level(float x)
{
    return std::uint8_t(std::clamp(std::lrint(x * 255.0f), 0L, 255L));
}

// Moves a position that ran past the loop back inside it; false when the
// sample has no loop and the voice ends.
bool wrap_at_boundary(voice& v, u64& pos, const sample& smp)
{
    u64 start = u64(smp.loop_start) << 32;
    u64 end = u64(smp.loop_end()) << 32;
    u64 length = end - start;
    if (smp.loop_mode == loop_forward) {
        if (pos >= end)
            pos = start + (pos - end) % length;
        return true;
    }
    if (smp.loop_mode == loop_pingpong) {
        // Reflected at the loop ends: past the end at e comes back as
        // end - e (less 2^-32, so the end itself is never played twice in a
        // row), and the same at the start. Whole back-and-forth cycles are
        // removed first, so a step longer than the loop needs no iteration.
        // Decided by the direction, not by comparing: below a loop that
        // starts at 0 the position has wrapped around 2^64.
        if (v.direction != direction_backward) {
            u64 e = (pos - end) % (2 * length);
            if (e < length) {
                pos = end - 1 - e;
                v.direction = direction_backward;
            } else {
                pos = start + (e - length);
            }
        } else {
            u64 d = (start - 1 - pos) % (2 * length);
            if (d < length) {
                pos = start + d;
                v.direction = direction_forward;
            } else {
                pos = end - 1 - (d - length);
            }
        }
        return true;
    }
    return false;
}

void mix_voice(voice& v, float* out, int frames)
{
    const sample& smp = *v.sample;
    if (!smp.pcm || smp.loop_length == 0) {
        v.sample = nullptr;
        v.position = 0;
        v.position_frac = 0;
        return;
    }
    u64 pos = u64(std::uint32_t(v.position)) << 32 | v.position_frac;
    u64 step = u64(std::uint32_t(v.step_int)) << 32 | v.step_frac;
    u64 start = u64(smp.loop_start) << 32;
    u64 end = u64(smp.loop_end()) << 32;
    int remaining = frames;
    while (remaining > 0) {
        bool backward = v.direction == direction_backward;
        int n = remaining;
        bool at_boundary = false;
        u64 k = frames_to_boundary(pos, step, backward, start, end);
        if (k <= u64(n)) {
            n = int(k);
            at_boundary = true;
        }
        bool ramped = ramp_setup(v);
        bool cut_by_ramp = false;
        if (ramped && v.ramp_remaining < n) {
            n = v.ramp_remaining;
            cut_by_ramp = true;
        }
        if (ramped) {
            float left = v.ramp_left * (1.0f / 255.0f);
            float right = v.ramp_right * (1.0f / 255.0f);
            pos = mix_ramped(out, n, smp.pcm, pos, step, backward, left, right,
                             v.ramp_step_left, v.ramp_step_right);
            v.ramp_left = to_level(left);
            v.ramp_right = to_level(right);
            v.ramp_remaining -= n;
        } else if (v.left_level == 0 && v.right_level == 0) {
            // Silent (a released or faded note on a looping sample): only the
            // position moves, exactly as frame-by-frame stepping would move it.
            u64 distance = u64(n) * step;
            pos = backward ? pos - distance : pos + distance;
        } else {
            pos = mix_flat(out, n, smp.pcm, pos, step, backward, v.left_level * (1.0f / 255.0f),
                           v.right_level * (1.0f / 255.0f));
        }
        out += 2 * n;
        remaining -= n;
        if (cut_by_ramp || !at_boundary)
            continue;
        if (!wrap_at_boundary(v, pos, smp)) {
            v.sample = nullptr;
            v.position = 0;
            v.position_frac = 0;
            return;
        }
    }
    v.position = std::int32_t(pos >> 32);
    v.position_frac = std::uint32_t(pos);
}

}  // namespace

void mix_voices(float* destination, int frames)
{
    for (int i = 0; i < mixed_voices; ++i)
        if (voices[i].sample)
            mix_voice(voices[i], destination, frames);
}

void float_to_pcm16(std::int16_t* destination, const float* source, int frames)
{
    if (frames <= 0 || !destination || !source)
        return;
    // Adding and removing 1.5 * 2^23 rounds a float of magnitude below 2^22
    // to an integer, to nearest with ties to even, as a call to lrint would;
    // eight values at a time, so that the low halves of two vectors of
    // 32-bit results fill one 16-byte store.
    const float magic = 12582912.0f;
    const v4 low = {-32768.0f, -32768.0f, -32768.0f, -32768.0f};
    const v4 high = {32767.0f, 32767.0f, 32767.0f, 32767.0f};
    const v4 round = {magic, magic, magic, magic};
    auto clamp = [&](v4 x) {
        x = x < low ? low : x;
        return x > high ? high : x;
    };
    auto to_integers = [&](v4 x) { return __builtin_convertvector((x + round) - round, v4i); };
    const v4u offset = {32768, 32768, 32768, 32768};
    int i = 0;
    for (; i + 7 < 2 * frames; i += 8) {
        v4 a = load4(source + i);
        v4 b = load4(source + i + 4);
        // A value that rounds into the 16-bit range gives the same integer
        // clamped or not, and mostly all eight do: one test for them all,
        // and only the rare group with a value outside is clamped. (Values
        // too large for the rounding trick still come out far outside.)
        v4i ra = to_integers(a);
        v4i rb = to_integers(b);
        v4u outside = ((v4u(ra) + offset) | (v4u(rb) + offset)) >> 16;
        std::uint64_t halves[2];
        std::memcpy(halves, &outside, sizeof halves);
        if ((halves[0] | halves[1]) != 0) {
            ra = to_integers(clamp(a));
            rb = to_integers(clamp(b));
        }
        v8s r = __builtin_shufflevector(v8s(ra), v8s(rb), 0, 2, 4, 6, 8, 10, 12, 14);
        std::memcpy(destination + i, &r, sizeof r);
    }
    for (; i < 2 * frames; ++i) {
        float x = std::min(std::max(source[i], -32768.0f), 32767.0f);
        destination[i] = std::int16_t((x + magic) - magic);
    }
}

}  // namespace vorlane
