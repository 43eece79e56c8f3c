#include "music/sequencer.h"

#include "music/mixer.h"
#include "music/xm_effects.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace vorlane {

channel channels[max_channels];

namespace {

struct wave_table {
    int values[64] = {};
    wave_table()
    {
        for (int q = -32; q < 32; ++q)
            values[q + 32] = int(std::fabs(256.0 * std::sin(2.0 * q * 0.049087375)));
    }
};

const wave_table sine_wave;

bool linear_table(const song* s)
{
    return (s->format_flags & linear_frequencies) != 0;
}

// The cells of the current row, or null when the pattern has none there
// (a pattern break may name a row beyond a short pattern).
const cell* row_cells(const song* s)
{
    int p = s->orders[s->order & 255];
    if (p >= s->num_patterns)
        return nullptr;
    const pattern& pat = s->patterns[p];
    if (!pat.cells || s->num_channels == 0 || s->row < 0 || s->row >= pat.rows)
        return nullptr;
    return pat.cells + std::size_t(s->row) * std::size_t(s->num_channels);
}

int pattern_rows(const song* s, int order)
{
    int p = s->orders[order & 255];
    return p < s->num_patterns ? s->patterns[p].rows : 0;
}

struct resolved {
    const instrument* ins = &empty_instrument;
    const sample* smp = &empty_sample;
};

resolved resolve(const song* s, const channel& c)
{
    resolved r;
    if (c.instrument >= s->num_instruments)
        return r;
    r.ins = &s->instruments[c.instrument];
    int slot = r.ins->keymap[c.note];
    if (slot < 16 && r.ins->samples[slot])
        r.smp = r.ins->samples[slot];
    return r;
}

struct envelope_ref {
    const envelope_point* points;
    int n, sustain, loop_start, loop_end, type;
    std::int32_t& tick;
    std::int32_t& index;
    std::int32_t& value;
    std::int32_t& out;
    std::int32_t& step;
    std::uint8_t& done;
    std::uint8_t flag;
};

envelope_ref volume_envelope(const instrument& ins, channel& c)
{
    return {ins.vol_env, ins.vol_points, ins.vol_sustain, ins.vol_loop_start, ins.vol_loop_end,
            ins.vol_type, c.vol_env_tick, c.vol_env_index, c.vol_env_value, c.vol_env_out,
            c.vol_env_step, c.vol_env_done, update_volume};
}

envelope_ref pan_envelope(const instrument& ins, channel& c)
{
    return {ins.pan_env, ins.pan_points, ins.pan_sustain, ins.pan_loop_start, ins.pan_loop_end,
            ins.pan_type, c.pan_env_tick, c.pan_env_index, c.pan_env_value, c.pan_env_out,
            c.pan_env_step, c.pan_env_done, update_pan};
}

std::int32_t segment_step(const envelope_point* p, int i)
{
    int dx = p[i + 1].x - p[i].x;
    return dx == 0 ? 0 : ((p[i + 1].y - p[i].y) * 65536) / dx;
}

// Points whose ticks do not rise (broken files) keep the step running;
// wrapping addition keeps that defined.
std::int32_t wrapping_add(std::int32_t a, std::int32_t b)
{
    return std::int32_t(std::uint32_t(a) + std::uint32_t(b));
}

void envelope_step(envelope_ref e, channel& c)
{
    c.update_flags |= e.flag;
    if (e.index >= e.n) {
        e.out = e.value >> 16;
        e.tick += 1;
        return;
    }
    if (e.tick == e.points[e.index].x) {
        if ((e.type & envelope_loop) && e.index == e.loop_end) {
            e.index = e.loop_start;
            e.tick = e.points[e.loop_start].x;
        }
        if (e.index == e.n - 1) {
            e.out = e.points[e.index].y;
            e.done = 1;
            return;
        }
        if ((e.type & envelope_sustain) && e.index == e.sustain && !c.key_off) {
            e.out = e.points[e.index].y;  // holds here until the key is released
            return;
        }
        e.step = segment_step(e.points, e.index);
        e.value = e.points[e.index].y * 65536;
        e.index += 1;
    } else {
        e.value = wrapping_add(e.value, e.step);
    }
    e.out = e.value >> 16;
    e.tick += 1;
}

// Effect L. Only the volume envelope moves; trackers move the panning
// envelope along with it.
void set_envelope_position(const instrument& ins, channel& c, int p)
{
    if (!(ins.vol_type & envelope_on))
        return;
    int n = ins.vol_points;
    const envelope_point* pts = ins.vol_env;
    int i = 0;
    while (i < n - 1 && pts[i + 1].x < p)
        ++i;
    if (i >= n - 1) {
        c.vol_env_index = n - 1;
        c.vol_env_out = pts[n - 1].y;
        c.vol_env_done = 1;
        return;
    }
    c.vol_env_done = 0;
    c.vol_env_tick = p;
    c.vol_env_step = segment_step(pts, i);
    c.vol_env_value = std::int32_t(std::int64_t(pts[i].y) * 65536 + std::int64_t(p - pts[i].x) * c.vol_env_step);
    c.vol_env_out = c.vol_env_value >> 16;
    c.vol_env_index = i + 1;
}

void apply_instrument(channel& c, const sample* smp)
{
    c.volume = smp->volume;
    c.pan = smp->pan;
    c.vol_env_out = 64;
    c.pan_env_out = 32;
    c.vol_env_index = c.vol_env_tick = c.vol_env_step = 0;
    c.pan_env_index = c.pan_env_tick = c.pan_env_step = 0;
    c.vol_env_done = c.pan_env_done = 0;
    c.key_off = 0;
    c.fade_volume = 65536;
    c.auto_vib_pos = c.auto_vib_sweep_pos = 0;
    c.vib_pos = c.trem_pos = 0;
    c.tremor_count = 0;
    c.update_flags |= update_volume | update_pan;
}

void tone_porta(channel& c)
{
    if (c.period < c.porta_target)
        c.period = std::min(c.period + 4 * c.porta_speed, c.porta_target);
    else if (c.period > c.porta_target)
        c.period = std::max(c.period - 4 * c.porta_speed, c.porta_target);
    c.update_flags |= update_frequency;
}

void vibrato(channel& c)
{
    int d = ((c.vib_depth * vibrato_wave(c.vib_pos)) >> 5) & ~3;
    c.period_delta = c.vib_pos >= 0 ? -d : d;
    c.update_flags |= update_frequency;
}

void advance_vibrato(channel& c)
{
    int p = c.vib_pos + c.vib_speed;
    c.vib_pos = std::int8_t(p > 31 ? p - 64 : p);
}

void tremolo(channel& c)
{
    int d = (c.trem_depth * vibrato_wave(c.trem_pos)) >> 6;
    if (c.trem_pos >= 0 && c.volume + d > 64)
        d = 64 - c.volume;
    if (c.trem_pos < 0) {
        if (c.volume - d < 0)
            d = c.volume;
        d = -d;
    }
    c.volume_delta = d;
    int p = c.trem_pos + c.trem_speed;
    c.trem_pos = std::int8_t(p > 31 ? p - 64 : p);
    c.update_flags |= update_volume;
}

void tremor(channel& c)
{
    if (c.tremor_count >= c.tremor_on)
        c.volume_delta = -c.volume;
    c.tremor_count = std::uint8_t(c.tremor_count + 1);
    if (c.tremor_count == c.tremor_on + c.tremor_off)
        c.tremor_count = 0;
    c.update_flags |= update_volume;
}

void volume_slide(channel& c)
{
    int h = c.vol_slide_memory >> 4, l = c.vol_slide_memory & 15;
    if (h)
        c.volume = std::min(c.volume + h, 64);
    else
        c.volume = std::max(c.volume - l, 0);
    c.update_flags |= update_volume;
}

void retrig_volume(channel& c)
{
    int v = c.volume;
    switch (c.retrig_volume) {
    case 0: return;
    case 1: v -= 1; break;
    case 2: v -= 2; break;
    case 3: v -= 4; break;
    case 4: v -= 8; break;
    case 5: v -= 16; break;
    case 6: v = v * 2 / 3; break;
    case 7: v >>= 1; break;
    case 8: break;
    case 9: v += 1; break;
    case 10: v += 2; break;
    case 11: v += 4; break;
    case 12: v += 8; break;
    case 13: v += 16; break;
    case 14: v = v * 3 / 2; break;
    case 15: v *= 2; break;
    default: return;
    }
    c.volume = std::clamp(v, 0, 64);
    c.update_flags |= update_volume;
}

void slide_pan(channel& c, int delta)
{
    c.pan += delta;
    c.update_flags |= update_pan;
}

void volume_column_row(channel& c, int v)
{
    if (v >= vc_set_volume_lowest && v <= vc_set_volume_highest) {
        c.volume = v - vc_set_volume_lowest;
        c.update_flags |= update_volume;
        return;
    }
    int l = v & 15;
    switch (v >> 4) {
    // The plain slides act on the row's first tick too, where trackers
    // leave that tick to the fine slides.
    case vc_slide_down:
    case vc_fine_slide_down:
        c.volume = std::max(c.volume - l, 0);
        c.update_flags |= update_volume;
        break;
    case vc_slide_up:
    case vc_fine_slide_up:
        c.volume = std::min(c.volume + l, 64);
        c.update_flags |= update_volume;
        break;
    case vc_vibrato_speed: c.vib_speed = std::uint8_t(l); break;
    case vc_vibrato: c.vib_depth = std::uint8_t(l); break;
    case vc_set_pan:
        c.pan = 16 * l;
        c.update_flags |= update_pan;
        break;
    // Panning slides act on every tick, the first included, and are not
    // bounded here: update_voice clamps what reaches the voice.
    case vc_pan_slide_down: slide_pan(c, -l); break;
    case vc_pan_slide_up: slide_pan(c, l); break;
    case vc_tone_porta:
        if (l)
            c.porta_speed = std::uint8_t(16 * l);
        c.porta_target = c.note_period;
        // Only the sample restart is held back: a portamento row is known
        // by the effect column alone, so the new note's period is already set.
        c.update_flags &= std::uint8_t(~update_start);
        break;
    default: break;
    }
}

void volume_column_tick(channel& c, int v)
{
    int l = v & 15;
    switch (v >> 4) {
    case vc_slide_down:
        c.volume = std::max(c.volume - l, 0);
        c.update_flags |= update_volume;
        break;
    case vc_slide_up:
        c.volume = std::min(c.volume + l, 64);
        c.update_flags |= update_volume;
        break;
    case vc_vibrato:
        c.vib_depth = std::uint8_t(l);
        vibrato(c);
        advance_vibrato(c);
        break;
    case vc_pan_slide_down: slide_pan(c, -l); break;
    case vc_pan_slide_up: slide_pan(c, l); break;
    case vc_tone_porta: tone_porta(c); break;
    default: break;
    }
}

// Semitones of arpeggio as a period offset.
int arpeggio_delta(const song* s, const channel& c, const sample* smp, int n)
{
    if (linear_table(s))
        return 64 * n;
    return amiga_period(c.real_note + n, smp->finetune) - amiga_period(c.real_note, smp->finetune);
}

void auto_vibrato(channel& c, const instrument& ins)
{
    int a = c.auto_vib_pos;
    int w = 0;
    switch (ins.vibrato_type) {
    case 0: w = int(64.0 * std::sin(double(a) * double(0.024543688f))); break;
    case 1: w = a < 128 ? 64 : -64; break;
    case 2: w = (128 - ((a + 128) % 256)) >> 1; break;
    case 3: w = (128 - ((384 - a) % 256)) >> 1; break;
    default: break;  // no such type in valid modules: no vibrato
    }
    int m = ins.vibrato_depth * w;
    if (ins.vibrato_sweep)
        m = c.auto_vib_sweep_pos * m / ins.vibrato_sweep;
    c.period_delta += m >> 6;
    c.auto_vib_sweep_pos = std::min(c.auto_vib_sweep_pos + 1, int(ins.vibrato_sweep));
    c.auto_vib_pos += ins.vibrato_rate;
    if (c.auto_vib_pos > 255)
        c.auto_vib_pos -= 256;
    c.update_flags |= update_frequency;
}

void set_levels(voice& v)
{
    v.left_level = std::uint8_t(v.volume * v.pan / 255);
    v.right_level = std::uint8_t(v.volume * (255 - v.pan) / 255);
}

// Both envelopes, and the fade once the key is released: on every tick,
// the row's first included.
void advance_envelopes(const instrument& ins, channel& c)
{
    if ((ins.vol_type & envelope_on) && !c.vol_env_done)
        envelope_step(volume_envelope(ins, c), c);
    if ((ins.pan_type & envelope_on) && !c.pan_env_done)
        envelope_step(pan_envelope(ins, c), c);
    if (c.key_off) {
        c.fade_volume = std::max(c.fade_volume - ins.fadeout, 0);
        c.update_flags |= update_volume;
    }
}

// A row's cell up to its effect: instrument and note, the note's period,
// the instrument's defaults, the volume column, key-off and the envelopes.
resolved start_row(const song* s, channel& c, const cell& k)
{
    bool has_note = k.note != 0 && k.note != note_key_off;
    bool porta_row = k.effect == fx_tone_porta || k.effect == fx_tone_porta_volume_slide;
    if (k.instrument && !porta_row)
        c.instrument = std::uint8_t(k.instrument - 1);
    if (has_note && !porta_row)
        c.note = std::uint8_t(k.note - 1);
    resolved r = resolve(s, c);
    if (!porta_row && c.instrument < s->num_instruments)
        c.sample = r.smp;

    if (c.last_effect == fx_tremolo && k.effect != fx_tremolo)
        c.volume += c.volume_delta;  // the last tremolo offset stays
    c.volume_delta = 0;
    c.update_flags = 0;
    c.last_effect = k.effect;
    if (has_note) {
        c.real_note = std::uint8_t(k.note - 1 + r.smp->relative_note);
        if (linear_table(s))
            c.note_period = 7680 - 64 * c.real_note - r.smp->finetune / 2;
        else
            c.note_period = amiga_period(c.real_note, r.smp->finetune);
        if (!porta_row)
            c.period = c.note_period;
        c.update_flags = update_start;
    }
    c.period_delta = 0;
    c.update_flags |= update_frequency | update_volume;
    if (k.instrument)
        apply_instrument(c, r.smp);
    if (k.volume)
        volume_column_row(c, k.volume);
    // K releases the key on the row's first tick whatever its parameter,
    // where trackers take the parameter as the tick to release it on.
    if (k.note == note_key_off || k.effect == fx_key_off)
        c.key_off = 1;
    advance_envelopes(*r.ins, c);
    if (!(r.ins->vol_type & envelope_on) && c.key_off)
        c.vol_env_out = 0;
    return r;
}

// The effect's work on the row's first tick. `jumped` is set by a position
// jump, so that a pattern break on a later channel keeps the jump's order.
void row_effect(song* s, channel& c, const cell& k, const resolved& r, bool& jumped)
{
    int p = k.parameter, h = p >> 4, l = p & 15;
    switch (k.effect) {
    case fx_porta_up:
        if (p)
            c.porta_up_memory = std::uint8_t(p);
        break;
    case fx_porta_down:
        if (p)
            c.porta_down_memory = std::uint8_t(p);
        break;
    case fx_tone_porta:
        if (p)
            c.porta_speed = std::uint8_t(p);
        c.porta_target = c.note_period;
        c.update_flags &= std::uint8_t(~(update_frequency | update_start));
        break;
    case fx_vibrato:
        if (h)
            c.vib_speed = std::uint8_t(h);
        if (l)
            c.vib_depth = std::uint8_t(l);
        vibrato(c);
        break;
    case fx_tone_porta_volume_slide:
        c.porta_target = c.note_period;
        if (p)
            c.vol_slide_memory = std::uint8_t(p);
        c.update_flags &= std::uint8_t(~(update_frequency | update_start));
        break;
    case fx_vibrato_volume_slide:
        if (p)
            c.vol_slide_memory = std::uint8_t(p);
        vibrato(c);
        break;
    case fx_tremolo:
        if (h)
            c.trem_speed = std::uint8_t(h);
        if (l)
            c.trem_depth = std::uint8_t(l);
        break;
    case fx_set_pan:
        c.pan = p;
        c.update_flags |= update_pan;
        break;
    case fx_sample_offset: {
        if (p)
            c.offset_memory = p;
        std::uint32_t o = 256u * std::uint32_t(c.offset_memory);
        if (o >= r.smp->loop_end()) {
            c.update_flags &= std::uint8_t(~update_start);
            c.update_flags |= update_stop;
        } else {
            c.voice->start_offset = o;
        }
        break;
    }
    case fx_volume_slide:
        if (p)
            c.vol_slide_memory = std::uint8_t(p);
        break;
    case fx_position_jump:
        s->next_row = 0;
        // Past the song's end a jump goes to its start, not to the restart position.
        s->next_order = p < s->song_length ? p : 0;
        jumped = true;
        break;
    case fx_set_volume:
        // The levels are 8-bit: volumes above 64 would overflow them.
        c.volume = std::min(p, 64);
        c.update_flags |= update_volume;
        break;
    case fx_pattern_break:
        s->next_row = 10 * h + l;
        if (s->next_row > 63)
            s->next_row = 0;
        if (!jumped)
            s->next_order = s->order + 1;
        // A break out of the last order also goes to the start, not to the restart position.
        if (s->next_order >= s->song_length)
            s->next_order = 0;
        break;
    case fx_extended:
        // None of the E effects is played: no fine slides, note cuts or
        // delays, pattern loops or pattern delays.
        break;
    case fx_set_speed:
        // F00 sets speed 0 rather than stopping: every tick then starts a row.
        if (p < first_bpm_parameter)
            s->speed = p;
        else
            song_set_bpm(s, p);
        break;
    case fx_set_global_volume:
        s->global_volume = std::min(p, 64);
        c.update_flags |= update_volume;
        break;
    case fx_global_volume_slide:
        if (p)
            s->global_volume_slide = std::uint8_t(p);
        break;
    case fx_set_envelope_position: set_envelope_position(*r.ins, c, p); break;
    case fx_pan_slide:
        if (p)
            c.pan_slide_memory = std::uint8_t(p);
        c.update_flags |= update_pan;
        break;
    case fx_multi_retrig:
        if (p) {
            c.retrig_volume = std::uint8_t(h);
            c.retrig_interval = std::uint8_t(l);
        }
        break;
    case fx_tremor:
        if (p) {
            c.tremor_on = std::uint8_t(h + 1);
            c.tremor_off = std::uint8_t(l + 1);
        }
        tremor(c);
        break;
    case fx_extra_fine_porta:
        if (h == extra_fine_porta_up) {
            if (l)
                c.xfine_up_memory = std::uint8_t(l);
            c.period -= c.xfine_up_memory;
        } else if (h == extra_fine_porta_down) {
            if (l)
                c.xfine_down_memory = std::uint8_t(l);
            c.period += c.xfine_down_memory;
        }
        break;
    default: break;  // K acted before the envelopes; the other letters are not played
    }
}

// The effect's work on the row's later ticks.
void tick_effect(song* s, channel& c, const cell& k, const sample* smp)
{
    int p = k.parameter;
    switch (k.effect) {
    case fx_arpeggio:
        if (p) {
            int phase = s->tick % 3;
            int n = phase == 1 ? p >> 4 : phase == 2 ? p & 15 : 0;
            c.period_delta = n ? arpeggio_delta(s, c, smp, n) : 0;
            c.update_flags |= update_frequency;
        }
        break;
    case fx_porta_up:
        // The period stops at 56 on both frequency tables, while a slide
        // down has no bound at all.
        c.period = std::max(c.period - 4 * c.porta_up_memory, 56);
        c.period_delta = 0;
        c.update_flags |= update_frequency;
        break;
    case fx_porta_down:
        c.period += 4 * c.porta_down_memory;
        c.period_delta = 0;
        c.update_flags |= update_frequency;
        break;
    case fx_tone_porta:
        c.period_delta = 0;
        tone_porta(c);
        break;
    case fx_vibrato:
        vibrato(c);
        advance_vibrato(c);
        break;
    case fx_tone_porta_volume_slide:
        c.period_delta = 0;
        tone_porta(c);
        volume_slide(c);
        break;
    case fx_vibrato_volume_slide:
        vibrato(c);
        advance_vibrato(c);
        volume_slide(c);
        break;
    case fx_tremolo: tremolo(c); break;
    case fx_volume_slide: volume_slide(c); break;
    case fx_global_volume_slide: {
        int h = s->global_volume_slide >> 4, l = s->global_volume_slide & 15;
        if (h)
            s->global_volume = std::min(s->global_volume + h, 64);
        else if (l)
            s->global_volume = std::max(s->global_volume - l, 0);
        break;
    }
    case fx_pan_slide: {
        int h = c.pan_slide_memory >> 4, l = c.pan_slide_memory & 15;
        if (h)
            c.pan = std::min(c.pan + h, 255);
        else if (l)
            c.pan = std::max(c.pan - l, 0);
        c.update_flags |= update_pan;
        break;
    }
    case fx_multi_retrig:
        if (c.retrig_interval && s->tick % c.retrig_interval == 0) {
            retrig_volume(c);
            c.update_flags |= update_start;
        }
        break;
    case fx_tremor: tremor(c); break;
    default: break;
    }
}

}  // namespace

int vibrato_wave(int phase)
{
    return sine_wave.values[(phase + 32) & 63];
}

void song_set_bpm(song* s, int bpm)
{
    s->bpm = bpm;
    if (bpm < 1)
        bpm = 1;
    // Double arithmetic on the single-precision constants, as the clock
    // relies on: 1102 frames at BPM 100, 882 at 125 (44100 Hz).
    double frames = (1000.0 / (double(bpm) * double(0.4f))) * double(mix_rate) * double(0.001f);
    // At least one frame, or the mixer would wait forever for the tick to end.
    s->tick_samples = std::max(1, int(frames));
}

int amiga_period(int n, int f)
{
    const double c = double(1.0f / 12.0f);
    auto p = [&](int k) { return int(13.375 * std::pow(2.0, double(k - n) * c)); };
    int base = p(132);
    if (f < 0 && n != 0)
        return base + ((base - p(133)) * std::abs(f)) / -128;
    return base + ((base - p(131)) * f) / -128;
}

void update_voice(channel& c, const sample* smp, const song* s)
{
    voice& v = *c.voice;
    if (c.period + c.period_delta == 0)
        c.update_flags &= std::uint8_t(~update_frequency);
    if (c.update_flags & update_start) {
        v.sample = smp;
        if (v.start_offset >= smp->loop_end())
            v.start_offset = 0;
        v.position = std::int32_t(v.start_offset);
        v.position_frac = 0;
        v.start_offset = 0;
        v.direction = direction_forward;
    }
    if (c.update_flags & update_volume) {
        const double scale = double(255.0f / 34359738368.0f);  // 255 / 2^35: full scale is 127
        double level = double(c.volume + c.volume_delta) * c.vol_env_out * c.fade_volume *
                       s->global_volume * scale;
        // Only a broken envelope could leave 0..127; the levels are 8-bit.
        v.volume = std::clamp(int(level), 0, 127);
        set_levels(v);
    }
    if (c.update_flags & update_pan) {
        int q = c.pan + ((128 - std::abs(c.pan - 128)) / 32) * (c.pan_env_out - 32);
        v.pan = std::clamp(q, 0, 255);
        set_levels(v);
    }
    if (c.update_flags & update_frequency) {
        std::int64_t f;
        if (linear_table(s)) {
            const double c768 = double(1.0f / 768.0f);
            double hz = 8363.0 * std::pow(2.0, double(4608 - c.period + c.period_delta) * c768);
            // Broken modules can push the period far below any real note.
            f = std::int64_t(std::min(hz, 2147483647.0));
        } else {
            f = 14317056 / (c.period + c.period_delta);
        }
        if (f < 100)
            f = 100;
        v.step_int = std::int32_t(f / mix_rate);
        v.step_frac = std::uint32_t((std::uint64_t(f % mix_rate) << 32) / std::uint64_t(mix_rate));
    }
    if (c.update_flags & update_stop) {
        v.position = 0;
        v.position_frac = 0;
        v.start_offset = 0;
        v.sample = nullptr;
    }
}

void song_reset(song* s)
{
    s->global_volume = s->default_global_volume;
    s->next_row = s->next_order = -1;
    s->speed = s->default_speed;
    s->row = s->order = s->tick = 0;
    s->tick_samples_left = 0;
    s->time_ms = 0;
    song_set_bpm(s, s->default_bpm);
    for (int i = 0; i < max_channels; ++i) {
        channels[i] = channel{};
        channels[i].channel_no = i;
        channels[i].voice = &voices[i];
    }
}

void song_tick(song* s)
{
    if (s->tick == 0) {
        if (s->next_order >= 0)
            s->order = s->next_order;
        if (s->next_row >= 0)
            s->row = s->next_row;
        process_row(s);
        if (s->next_row == -1) {
            s->next_row = s->row + 1;
            if (s->next_row >= pattern_rows(s, s->order)) {
                s->next_order = s->order + 1;
                if (s->next_order >= s->song_length)
                    s->next_order = s->restart_pos;
                s->next_row = 0;
            }
        }
    } else {
        process_tick(s);
    }
    s->tick += 1;
    if (s->tick >= s->speed)
        s->tick = 0;
}

void process_row(song* s)
{
    s->next_order = -1;
    s->next_row = -1;
    bool jumped = false;
    const cell* cells = row_cells(s);
    if (!cells)
        return;
    for (int i = 0; i < s->num_channels; ++i) {
        channel& c = channels[i];
        resolved r = start_row(s, c, cells[i]);
        row_effect(s, c, cells[i], r, jumped);
        auto_vibrato(c, *r.ins);
        update_voice(c, r.smp, s);
    }
}

void process_tick(song* s)
{
    const cell* cells = row_cells(s);
    if (!cells)
        return;
    for (int i = 0; i < s->num_channels; ++i) {
        const cell& k = cells[i];
        channel& c = channels[i];
        resolved r = resolve(s, c);
        c.volume_delta = 0;
        c.period_delta = 0;
        c.update_flags = 0;
        advance_envelopes(*r.ins, c);
        volume_column_tick(c, k.volume);
        tick_effect(s, c, k, r.smp);
        auto_vibrato(c, *r.ins);
        update_voice(c, r.smp, s);
    }
}

}  // namespace vorlane
