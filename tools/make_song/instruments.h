// The song's instruments, synthesised as short 8-bit samples: a drum kit on
// one keymap, a bass, a pad, a lead and a pluck. Everything is computed from
// fixed formulas and a fixed noise generator, so every run gives the same
// bytes.
#pragma once

#include "music/song.h"
#include "tools/make_song/xm_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace vorlane::song_maker {

inline constexpr double pi = 3.14159265358979323846;

// Instrument numbers as the pattern cells name them (1-based).
inline constexpr int drums = 1;
inline constexpr int bass = 2;
inline constexpr int pad = 3;
inline constexpr int lead = 4;
inline constexpr int pluck = 5;

// Note numbers of the cells: 1 + 12 * octave + semitone (1 is C-0).
constexpr int note_of(int semitone, int octave) { return 1 + 12 * octave + semitone; }

// The kit's trigger notes, one per drum.
inline constexpr int kick_note = note_of(0, 4);
inline constexpr int snare_note = note_of(2, 4);
inline constexpr int clap_note = note_of(3, 4);
inline constexpr int closed_hat_note = note_of(6, 4);
inline constexpr int open_hat_note = note_of(10, 4);
inline constexpr int crash_note = note_of(1, 5);
inline constexpr int tom_note = note_of(9, 3);  // the tom plays its natural pitch here

// Keymap slots of the kit.
enum drum_sample { kick_sample, snare_sample, clap_sample, closed_hat_sample, open_hat_sample,
                   crash_sample, tom_sample };

// Fixed noise: the LCG of the classic C runtimes, so it is the same everywhere.
struct noise_source {
    std::uint32_t state = 12345;
    double next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<double>((state >> 16) & 0x7FFF) / 16383.5 - 1.0;
    }
};

inline std::int8_t to_byte(double v)
{
    return static_cast<std::int8_t>(std::clamp(static_cast<int>(std::lround(v * 127.0)), -128, 127));
}

// The wave scaled to its peak, as 8-bit sample values.
inline std::vector<std::int16_t> to_values(const std::vector<double>& v)
{
    double peak = 1e-9;
    for (double x : v)
        peak = std::max(peak, std::fabs(x));
    std::vector<std::int16_t> out;
    out.reserve(v.size());
    for (double x : v)
        out.push_back(to_byte(x / peak));
    return out;
}

// A sample plays at 8363 Hz * 2^((n - 49 + r) / 12) for cell note n and
// relative note r. Each drum is made at the rate it plays at on its note:
// the rate of a sample played s semitones above C-4.
inline double rate_for(int semitones_above_c4) { return 8363.0 * std::pow(2.0, semitones_above_c4 / 12.0); }

// Relative note and finetune that make a sample of `period` values per
// cycle sound at the pitch its cell note names (A-4 = 440 Hz).
inline void tune(xm_sample& s, double period)
{
    // At real note C-4 the sample plays 8363 values per second.
    double semis = 12.0 * std::log2(261.6255653 * period / 8363.0);
    s.relative_note = static_cast<int>(std::lround(semis));
    s.finetune = static_cast<int>(std::lround((semis - s.relative_note) * 128.0));
}

// One cycle of a band-limited wave: harmonic h has amplitude gain(h) / h and
// sine phase. saw_mix weighs the even harmonics: 1 is a saw, 0 a square.
template <class Gain>
void add_cycle(std::vector<double>& out, int period, int harmonics, Gain gain, double saw_mix)
{
    for (int i = 0; i < period; ++i) {
        double x = 2.0 * pi * i / period;
        double v = 0;
        for (int h = 1; h <= harmonics; ++h) {
            double a = gain(h) / h;
            double weight = (h % 2 == 1) ? 1.0 : saw_mix;  // even harmonics make the saw
            v += weight * a * std::sin(h * x);
        }
        out.push_back(v);
    }
}

inline void loop_forward(xm_sample& s, int start, int length)
{
    s.loop_start = static_cast<std::uint32_t>(start);
    s.loop_length = static_cast<std::uint32_t>(length);
    s.type = xm_forward_loop;
}

// Two-pole low-pass response at harmonic h for a cutoff at harmonic fc.
inline double lowpass(double h, double fc) { return 1.0 / std::sqrt(1.0 + std::pow(h / fc, 4.0)); }

inline xm_sample make_kick()
{
    xm_sample s;
    s.name = "kick";
    double rate = rate_for(4);
    std::vector<double> v;
    noise_source noise;
    double phase = 0;
    for (int i = 0; i < 2100; ++i) {
        double t = i / rate;
        double f = 44.0 + 120.0 * std::exp(-t / 0.035);
        phase += 2.0 * pi * f / rate;
        double body = std::sin(phase) * std::exp(-t / 0.16);
        double click = noise.next() * std::exp(-t / 0.002) * 0.5;
        double tail = std::min(1.0, (2100 - i) / 300.0);
        v.push_back(std::tanh(1.8 * (body + click)) * tail);
    }
    s.values = to_values(v);
    s.relative_note = 4 - (kick_note - note_of(0, 4));
    return s;
}

inline xm_sample make_snare()
{
    xm_sample s;
    s.name = "snare";
    double rate = rate_for(10);
    std::vector<double> v;
    noise_source noise{777};
    double last = 0;
    for (int i = 0; i < 2600; ++i) {
        double t = i / rate;
        double body = std::sin(2.0 * pi * (180.0 * t + 40.0 * 0.02 * (1 - std::exp(-t / 0.02)))) *
                      std::exp(-t / 0.045);
        double n = noise.next();
        double bright = n - 0.6 * last;  // tilt the noise towards the top
        last = n;
        double tail = std::min(1.0, (2600 - i) / 400.0);
        v.push_back((0.8 * body + 0.75 * bright * std::exp(-t / 0.07)) * tail);
    }
    s.values = to_values(v);
    s.relative_note = 10 - (snare_note - note_of(0, 4));
    return s;
}

// A band of noise through a two-pole resonator, for the clap's body.
struct resonator {
    double a1 = 0, a2 = 0, gain = 0, y1 = 0, y2 = 0;
    resonator(double freq, double q, double rate)
    {
        double w = 2.0 * pi * freq / rate;
        double r = std::exp(-w / (2.0 * q));
        a1 = 2.0 * r * std::cos(w);
        a2 = -r * r;
        gain = 1.0 - r;
    }
    double step(double x)
    {
        double y = gain * x + a1 * y1 + a2 * y2;
        y2 = y1;
        y1 = y;
        return y;
    }
};

inline xm_sample make_clap()
{
    xm_sample s;
    s.name = "clap";
    double rate = rate_for(10);
    std::vector<double> v;
    noise_source noise{4242};
    resonator band(1300.0, 2.5, rate);
    for (int i = 0; i < 2100; ++i) {
        double t = i / rate;
        double env = 0;
        for (double start : {0.0, 0.011, 0.022}) {
            if (t >= start)
                env = std::max(env, std::exp(-(t - start) / 0.004));
        }
        if (t >= 0.03)
            env = std::max(env, 0.8 * std::exp(-(t - 0.03) / 0.05));
        double tail = std::min(1.0, (2100 - i) / 300.0);
        v.push_back(band.step(noise.next()) * env * tail);
    }
    s.values = to_values(v);
    s.relative_note = 10 - (clap_note - note_of(0, 4));
    return s;
}

// High-passed noise, the metal of the hats and the crash.
inline std::vector<double> metal(int count, std::uint32_t seed)
{
    std::vector<double> v;
    noise_source noise{seed};
    double last = 0;
    for (int i = 0; i < count; ++i) {
        double n = noise.next();
        v.push_back(n - 0.85 * last);
        last = n;
    }
    return v;
}

inline xm_sample make_closed_hat()
{
    xm_sample s;
    s.name = "closed hat";
    double rate = rate_for(17);
    std::vector<double> v = metal(750, 99);
    for (int i = 0; i < static_cast<int>(v.size()); ++i)
        v[i] *= std::exp(-(i / rate) / 0.011);
    s.values = to_values(v);
    s.pan = 150;
    s.volume = 40;
    s.relative_note = 17 - (closed_hat_note - note_of(0, 4));
    return s;
}

// The open hat and the crash ring on a looped stretch of noise; the kit's
// volume envelope lets them die away, and the next hat on the channel
// chokes the open one.
inline xm_sample make_ringing(const char* name, int attack, int loop, double sustain, double decay,
                              std::uint32_t seed, int semitones, int note)
{
    xm_sample s;
    s.name = name;
    double rate = rate_for(semitones);
    std::vector<double> v = metal(attack + loop, seed);
    for (int i = 0; i < attack; ++i)
        v[i] *= sustain + (1.0 - sustain) * std::exp(-(i / rate) / decay);
    for (int i = attack; i < attack + loop; ++i)
        v[i] *= sustain;
    s.values = to_values(v);
    loop_forward(s, attack, loop);
    s.relative_note = semitones - (note - note_of(0, 4));
    return s;
}

inline xm_sample make_tom()
{
    xm_sample s;
    s.name = "tom";
    double rate = rate_for(4);
    std::vector<double> v;
    double phase = 0;
    for (int i = 0; i < 1900; ++i) {
        double t = i / rate;
        double f = 98.0 + 60.0 * std::exp(-t / 0.05);
        phase += 2.0 * pi * f / rate;
        double tail = std::min(1.0, (1900 - i) / 300.0);
        v.push_back(std::tanh(1.4 * std::sin(phase)) * std::exp(-t / 0.12) * tail);
    }
    s.values = to_values(v);
    s.relative_note = 4 - (tom_note - note_of(0, 4));
    return s;
}

inline xm_instrument make_drums()
{
    xm_instrument ins;
    ins.name = "drums";
    ins.samples = {make_kick(), make_snare(), make_clap(), make_closed_hat(),
                   make_ringing("open hat", 400, 1024, 0.45, 0.03, 31337, 17, open_hat_note),
                   make_ringing("crash", 1100, 2048, 0.55, 0.12, 2718, 17, crash_note), make_tom()};
    ins.samples[open_hat_sample].volume = 36;
    ins.samples[open_hat_sample].pan = 110;
    ins.samples[crash_sample].volume = 44;
    ins.samples[crash_sample].pan = 100;
    ins.samples[snare_sample].pan = 120;
    ins.samples[clap_sample].pan = 140;
    for (int n = 0; n < 96; ++n)
        ins.keymap[n] = n + 1 < note_of(0, 4) ? tom_sample : kick_sample;
    ins.keymap[snare_note - 1] = snare_sample;
    ins.keymap[clap_note - 1] = clap_sample;
    ins.keymap[closed_hat_note - 1] = closed_hat_sample;
    ins.keymap[open_hat_note - 1] = open_hat_sample;
    ins.keymap[crash_note - 1] = crash_sample;
    // Long enough for the crash to die out; the one-shot drums end first.
    ins.vol = {.points = {{0, 64}, {8, 54}, {30, 24}, {70, 7}, {120, 0}}, .type = envelope_on};
    return ins;
}

// Cycles of a saw whose low-pass closes from `open` to `closed` harmonics,
// the last `loop_cycles` cycles looped: a filter sweep in the sample itself.
inline xm_sample make_swept(const char* name, int period, int cycles, int loop_cycles, double open,
                            double closed, double saw_mix)
{
    xm_sample s;
    s.name = name;
    std::vector<double> v;
    int sweep = cycles - loop_cycles;
    for (int c = 0; c < cycles; ++c) {
        double k = std::min(1.0, static_cast<double>(c) / std::max(1, sweep));
        double fc = open * std::pow(closed / open, k);
        add_cycle(v, period, period / 2 - 2, [fc](int h) { return lowpass(h, fc); }, saw_mix);
    }
    s.values = to_values(v);
    loop_forward(s, sweep * period, loop_cycles * period);
    tune(s, period);
    return s;
}

inline xm_instrument make_bass()
{
    xm_instrument ins;
    ins.name = "bass";
    ins.samples = {make_swept("bass", 64, 12, 1, 22.0, 4.5, 0.8)};
    ins.samples[0].volume = 56;
    ins.vol = {.points = {{0, 64}, {4, 54}, {16, 46}, {24, 0}}, .sustain = 2,
               .type = envelope_on | envelope_sustain};
    ins.fadeout = 1024;
    return ins;
}

// Three detuned saws in one loop of 4096 values: 63, 64 and 65 cycles beat
// against each other a few times a second, which makes the pad move.
inline xm_instrument make_pad()
{
    xm_instrument ins;
    ins.name = "pad";
    xm_sample s;
    s.name = "pad";
    const int length = 4096;
    std::vector<double> v(length, 0.0);
    struct voice { int cycles; double level; };
    for (voice vc : {voice{64, 1.0}, voice{65, 0.8}, voice{63, 0.7}, voice{128, 0.2}}) {
        int harmonics = std::min(14, 1400 / vc.cycles);
        for (int i = 0; i < length; ++i) {
            double x = 2.0 * pi * vc.cycles * i / length;
            double sum = 0;
            for (int h = 1; h <= harmonics; ++h)
                sum += lowpass(h, 6.0) / h * std::sin(h * x + 0.7 * h * vc.cycles);
            v[i] += vc.level * sum;
        }
    }
    s.values = to_values(v);
    loop_forward(s, 0, length);
    s.volume = 40;
    tune(s, 64);
    ins.samples = {s};
    // Starts from a third of full so that a chord restarted at a pattern
    // start swells rather than dips.
    ins.vol = {.points = {{0, 22}, {8, 52}, {20, 64}, {40, 54}, {80, 0}}, .sustain = 3,
               .type = envelope_on | envelope_sustain};
    ins.fadeout = 384;
    ins.vibrato_type = 0;
    ins.vibrato_depth = 3;
    ins.vibrato_rate = 5;
    return ins;
}

inline xm_instrument make_lead()
{
    xm_instrument ins;
    ins.name = "lead";
    ins.samples = {make_swept("lead", 64, 7, 1, 18.0, 9.0, 0.45)};
    ins.samples[0].volume = 44;
    ins.vol = {.points = {{0, 40}, {2, 64}, {8, 52}, {20, 46}, {34, 0}}, .sustain = 3,
               .type = envelope_on | envelope_sustain};
    ins.fadeout = 900;
    // A delayed vibrato: it swells in over the first second of a note.
    ins.vibrato_type = 0;
    ins.vibrato_sweep = 40;
    ins.vibrato_depth = 6;
    ins.vibrato_rate = 9;
    return ins;
}

inline xm_instrument make_pluck()
{
    xm_instrument ins;
    ins.name = "pluck";
    ins.samples = {make_swept("pluck", 64, 16, 1, 24.0, 2.5, 0.6)};
    ins.samples[0].volume = 44;
    ins.vol = {.points = {{0, 64}, {3, 42}, {10, 20}, {24, 6}, {40, 0}}, .type = envelope_on};
    ins.fadeout = 2048;
    return ins;
}

inline std::vector<xm_instrument> make_instruments()
{
    std::vector<xm_instrument> list = {make_drums(), make_bass(), make_pad(), make_lead(), make_pluck()};
    // Three named slots without samples complete the instrument list.
    for (const char* name : {"vorlane", "100 bpm", "a minor"})
    {
        xm_instrument empty;
        empty.name = name;
        list.push_back(empty);
    }
    return list;
}

}  // namespace vorlane::song_maker
