#include "music/mixer.h"

#include "music/voice.h"

#include <algorithm>
#include <cmath>

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

inline float interpolate(const std::int16_t* pcm, u64 pos)
{
    std::size_t i = std::size_t(pos >> 32);
    float s0 = pcm[i];
    float s1 = pcm[i + 1];
    float f = float(std::uint32_t(pos) >> 1) * frac_scale;
    return s0 + (s1 - s0) * f;
}

// Mixes n frames at fixed levels; two frames per iteration.
u64 mix_flat(float* out, int n, const std::int16_t* pcm, u64 pos, u64 step, bool backward,
             float left, float right)
{
    int i = 0;
    if (!backward) {
        for (; i + 1 < n; i += 2) {
            float a = interpolate(pcm, pos);
            float b = interpolate(pcm, pos + step);
            pos += 2 * step;
            out[0] += a * left;
            out[1] += a * right;
            out[2] += b * left;
            out[3] += b * right;
            out += 4;
        }
    } else {
        for (; i + 1 < n; i += 2) {
            float a = interpolate(pcm, pos);
            float b = interpolate(pcm, pos - step);
            pos -= 2 * step;
            out[0] += a * left;
            out[1] += a * right;
            out[2] += b * left;
            out[3] += b * right;
            out += 4;
        }
    }
    if (i < n) {
        float a = interpolate(pcm, pos);
        out[0] += a * left;
        out[1] += a * right;
        pos = backward ? pos - step : pos + step;
    }
    return pos;
}

u64 mix_ramped(float* out, int n, const std::int16_t* pcm, u64 pos, u64 step, bool backward,
               float& left, float& right, float step_left, float step_right)
{
    for (int i = 0; i < n; ++i) {
        float s = interpolate(pcm, pos);
        out[0] += s * left;
        out[1] += s * right;
        out += 2;
        left += step_left;
        right += step_right;
        pos = backward ? pos - step : pos + step;
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
    for (int i = 0; i < 2 * frames; ++i) {
        // Clamped before rounding: the rounded value of anything in range is
        // the same, and out-of-range floats never reach the conversion.
        float x = std::clamp(source[i], -32768.0f, 32767.0f);
        destination[i] = std::int16_t(std::lrint(x));
    }
}

}  // namespace vorlane
