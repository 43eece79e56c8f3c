// The song itself: an A minor electronic piece at 100 BPM in 2-bar
// patterns, arranged to the show's parts. Each pattern is described by a
// plan (chords, and a style for every layer); the layers are written from
// the plans, then the cue accents from the cue table.
#pragma once

#include "data/cue_table.h"
#include "music/song.h"
#include "music/xm_effects.h"
#include "tools/make_song/cue_sounds.h"
#include "tools/make_song/instruments.h"
#include "tools/make_song/xm_writer.h"

#include <array>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace vorlane::song_maker {

inline constexpr int channel_count = 20;
inline constexpr int rows_per_pattern = 32;
inline constexpr int rows_per_bar = 16;
inline constexpr int pattern_count = 25;
inline constexpr int restart_position = 2;

// Channels by role.
enum channel_role {
    kick_channel = 0, snare_channel = 1, hat_channel = 2,  // 3 ... 5 carry the cue accents
    bass_channel = 6, fill_channel = 7, first_pad_channel = 8,  // pads on 8 ... 11
    arp_channel = 12, stab_channel = 13, lead_channel = 14, echo_channel = 15,
    bell_channel = 16, riser_channel = 17, shaker_channel = 18, string_channel = 19,
};

// The order list: part 1 on 0-3, part 2 on 4-11, part 3 on 12-17, part 4
// on 18-29, part 5 on 30-37; 38 leads back into the restart position.
inline constexpr std::array<int, 39> order_list = {
    0, 1, 2, 3,                                      // intro that builds
    4, 5, 6, 5, 7, 8, 7, 9,                          // the groove
    10, 11, 12, 13, 14, 15,                          // the drive
    16, 17, 18, 19, 20, 20, 21, 22, 23, 24, 16, 17,  // calm, then heavy
    2, 3, 10, 11, 12, 13, 14, 15,                    // build and climax
    1,                                               // back to the intro
};

enum class quality { minor, major, major7, minor7 };

struct chord {
    int root = 0;  // semitone 0 = C
    quality kind = quality::minor;

    // Chord tones as semitones above the root.
    std::array<int, 4> tones() const
    {
        switch (kind) {
        case quality::major: return {0, 4, 7, 12};
        case quality::major7: return {0, 4, 7, 11};
        case quality::minor7: return {0, 3, 7, 10};
        case quality::minor: break;
        }
        return {0, 3, 7, 12};
    }
    int arpeggio_param() const { return kind == quality::minor || kind == quality::minor7 ? 0x37 : 0x47; }
};

inline constexpr chord a_minor{9, quality::minor};
inline constexpr chord f_major{5, quality::major};
inline constexpr chord c_major{0, quality::major};
inline constexpr chord g_major{7, quality::major};
inline constexpr chord e_major{4, quality::major};
inline constexpr chord d_minor{2, quality::minor};
inline constexpr chord f_major7{5, quality::major7};
inline constexpr chord e_minor7{4, quality::minor7};
inline constexpr chord d_minor7{2, quality::minor7};

enum class drum_style { none, hats, half, groove, drive, heavy, calm, breakdown };
enum class bass_style { none, pulse, groove, drive, heavy, calm };
enum class arp_style { none, up, chip };
enum class fill_style { none, snare_build, snare_roll, tom_fill };

struct pattern_plan {
    chord chords[2];
    drum_style drums = drum_style::none;
    bass_style bass_line = bass_style::none;
    int pad_volume = 0;        // 0: no pad; otherwise the pads' volume
    bool pad_fade_in = false;  // the pads start here, rising from silence over the pattern
    arp_style arp = arp_style::none;
    bool stabs = false;        // chord stabs on the cue rows
    const char* melody = nullptr;
    bool bells = false;
    fill_style fill = fill_style::none;
    bool crash = false;        // a crash on row 0
    int riser = 0;             // 1 rising sweep, -1 falling
    bool strings = false;      // a high pad line doubling the top of the chord
};

// Melodies: 32 tokens a pattern. A note ("C-5", "G#5"), "/" before a note
// glides to it, "~" vibrato on a held note, "v" lets it fall, "=" releases
// it, "." leaves the row alone.
inline constexpr const char* melody_a_even =
    "E-5 . . . . . D-5 . C-5 . . . D-5 . E-5 . "
    "A-4 . . ~ ~ ~ ~ ~ C-5 . B-4 . A-4 . = .";
inline constexpr const char* melody_a_odd =
    "G-4 . . C-5 . . E-5 . D-5 . . ~ ~ ~ C-5 . "
    "B-4 . . . ~ ~ ~ ~ /D-5 . . . G-4 . = .";
inline constexpr const char* melody_b_odd =
    "G-5 . . . E-5 . . . C-5 . D-5 . E-5 . G-5 . "
    "/A-5 . . ~ ~ ~ ~ ~ G-5 . . . v v v v";
inline constexpr const char* melody_c_even =
    "C-6 . . A-5 . . F-5 . A-5 . C-6 . . . A-5 . "
    "D-6 . . B-5 . . G-5 . B-5 . D-6 . /E-6 . . .";
inline constexpr const char* melody_c_odd =
    "E-6 . . ~ ~ ~ D-6 . C-6 . B-5 . A-5 . . ~ "
    "G#5 . . . B-5 . . . E-5 . . ~ ~ ~ v v";
inline constexpr const char* melody_d_even =
    "A-5 . C-6 . F-6 . . . E-6 . C-6 . A-5 . C-6 . "
    "B-5 . D-6 . G-6 . . ~ ~ ~ F-6 . E-6 . D-6 .";
inline constexpr const char* melody_d_odd =
    "C-6 . . . E-6 . . ~ ~ ~ A-5 . . . C-6 . "
    "B-5 . . ~ ~ ~ G#5 . . . E-5 . = . . .";
inline constexpr const char* melody_e_even =
    "F-5 . A-5 . C-6 . F-6 . E-6 . C-6 . A-5 . C-6 . "
    "D-6 . . . /G-6 . . ~ ~ ~ ~ ~ F-6 . E-6 .";
inline constexpr const char* melody_break =
    "E-6 . . . ~ ~ ~ ~ ~ ~ ~ ~ D-6 . C-6 . "
    "B-5 . . . ~ ~ ~ ~ ~ ~ ~ v v v v =";
inline constexpr const char* melody_heavy_1 =
    "A-5 . . . ~ ~ F-5 . D-5 . . . F-5 . A-5 . "
    "G#5 . . ~ ~ ~ ~ ~ B-5 . . . E-5 . . .";
inline constexpr const char* melody_heavy_2 =
    "E-5 . A-5 . C-6 . . ~ ~ ~ B-5 . A-5 . E-5 . "
    "F-5 . . ~ ~ ~ ~ ~ A-5 . G-5 . F-5 . E-5 .";
inline constexpr const char* melody_heavy_3 =
    "E-5 . G-5 . C-6 . . ~ ~ ~ D-6 . C-6 . G-5 . "
    "D-6 . . ~ ~ ~ ~ ~ B-5 . . . /D-6 . . .";
inline constexpr const char* melody_heavy_4 =
    "E-6 . . . ~ ~ C-6 . A-5 . . . C-6 . E-6 . "
    "F-6 . . ~ ~ ~ ~ ~ E-6 . C-6 . A-5 . F-5 .";
inline constexpr const char* melody_heavy_5 =
    "D-6 . . . ~ ~ ~ ~ A-5 . . . F-5 . D-5 . "
    "E-5 . . . ~ ~ ~ ~ v v v v = . . .";

inline std::array<pattern_plan, pattern_count> pattern_plans()
{
    using ds = drum_style;
    using bs = bass_style;
    using as = arp_style;
    using fs = fill_style;
    std::array<pattern_plan, pattern_count> p{};
    // Part 1: the intro builds layer by layer.
    p[0] = {.chords = {a_minor, f_major}, .pad_volume = 40, .pad_fade_in = true, .riser = 1};
    p[1] = {.chords = {c_major, g_major}, .drums = ds::hats, .pad_volume = 36, .bells = true};
    p[2] = {.chords = {a_minor, f_major}, .drums = ds::half, .bass_line = bs::pulse, .pad_volume = 34,
            .bells = true};
    p[3] = {.chords = {c_major, g_major}, .drums = ds::half, .bass_line = bs::pulse, .pad_volume = 34,
            .arp = as::up, .fill = fs::snare_build, .riser = 1};
    // Part 2: the groove, stabs on the cues, the lead from order 8.
    p[4] = {.chords = {a_minor, f_major}, .drums = ds::groove, .bass_line = bs::groove, .pad_volume = 30,
            .stabs = true, .crash = true};
    p[5] = {.chords = {c_major, g_major}, .drums = ds::groove, .bass_line = bs::groove, .pad_volume = 30,
            .arp = as::up, .stabs = true};
    p[6] = {.chords = {a_minor, f_major}, .drums = ds::groove, .bass_line = bs::groove, .pad_volume = 30,
            .arp = as::up, .stabs = true, .bells = true};
    p[7] = {.chords = {a_minor, f_major}, .drums = ds::groove, .bass_line = bs::groove, .pad_volume = 28,
            .arp = as::up, .stabs = true, .melody = melody_a_even};
    p[8] = {.chords = {c_major, g_major}, .drums = ds::groove, .bass_line = bs::groove, .pad_volume = 28,
            .arp = as::up, .stabs = true, .melody = melody_a_odd};
    p[9] = {.chords = {c_major, g_major}, .drums = ds::groove, .bass_line = bs::groove, .pad_volume = 28,
            .arp = as::up, .stabs = true, .melody = melody_b_odd, .fill = fs::snare_roll, .riser = 1};
    // Part 3 (and the climax of part 5): everything at once.
    p[10] = {.chords = {f_major, g_major}, .drums = ds::drive, .bass_line = bs::drive, .pad_volume = 28,
             .arp = as::chip, .stabs = true, .melody = melody_c_even, .crash = true, .strings = true};
    p[11] = {.chords = {a_minor, e_major}, .drums = ds::drive, .bass_line = bs::drive, .pad_volume = 28,
             .arp = as::chip, .stabs = true, .melody = melody_c_odd, .strings = true};
    p[12] = {.chords = {f_major, g_major}, .drums = ds::drive, .bass_line = bs::drive, .pad_volume = 28,
             .arp = as::up, .stabs = true, .melody = melody_d_even, .crash = true, .strings = true};
    p[13] = {.chords = {a_minor, e_major}, .drums = ds::drive, .bass_line = bs::drive, .pad_volume = 28,
             .arp = as::up, .stabs = true, .melody = melody_d_odd, .fill = fs::tom_fill, .strings = true};
    p[14] = {.chords = {f_major, g_major}, .drums = ds::drive, .bass_line = bs::drive, .pad_volume = 28,
             .arp = as::chip, .melody = melody_e_even, .crash = true, .strings = true};
    p[15] = {.chords = {a_minor, g_major}, .drums = ds::breakdown, .bass_line = bs::calm, .pad_volume = 34,
             .melody = melody_break, .riser = -1};
    // Part 4: calm, then the heavy hits.
    p[16] = {.chords = {f_major7, e_minor7}, .drums = ds::calm, .bass_line = bs::calm, .pad_volume = 38,
             .bells = true};
    p[17] = {.chords = {d_minor7, a_minor}, .drums = ds::calm, .bass_line = bs::calm, .pad_volume = 38,
             .bells = true, .fill = fs::snare_build, .riser = 1};
    p[18] = {.chords = {d_minor, a_minor}, .drums = ds::heavy, .bass_line = bs::heavy, .pad_volume = 30,
             .arp = as::up, .stabs = true, .crash = true};
    p[19] = {.chords = {f_major, e_major}, .drums = ds::heavy, .bass_line = bs::heavy, .pad_volume = 30,
             .arp = as::up, .stabs = true};
    p[20] = {.chords = {d_minor, e_major}, .drums = ds::heavy, .bass_line = bs::heavy, .pad_volume = 30,
             .arp = as::up, .stabs = true, .melody = melody_heavy_1};
    p[21] = {.chords = {a_minor, f_major}, .drums = ds::heavy, .bass_line = bs::heavy, .pad_volume = 30,
             .arp = as::chip, .stabs = true, .melody = melody_heavy_2, .strings = true};
    p[22] = {.chords = {c_major, g_major}, .drums = ds::heavy, .bass_line = bs::heavy, .pad_volume = 30,
             .arp = as::chip, .stabs = true, .melody = melody_heavy_3, .strings = true};
    p[23] = {.chords = {a_minor, f_major}, .drums = ds::heavy, .bass_line = bs::heavy, .pad_volume = 30,
             .arp = as::chip, .stabs = true, .melody = melody_heavy_4, .strings = true};
    p[24] = {.chords = {d_minor, e_major}, .drums = ds::heavy, .bass_line = bs::heavy, .pad_volume = 30,
             .arp = as::up, .stabs = true, .melody = melody_heavy_5, .strings = true};
    return p;
}

// Writes the layers of one pattern.
class pattern_writer {
public:
    explicit pattern_writer(xm_pattern& pattern) : p_(pattern) {}

    cell& at(int row, int channel) { return p_.at(row, channel, channel_count); }

    void note(int row, int channel, int note, int instrument, int volume, int effect = 0, int param = 0)
    {
        cell& c = at(row, channel);
        c.note = static_cast<std::uint8_t>(note);
        c.instrument = static_cast<std::uint8_t>(instrument);
        c.volume = static_cast<std::uint8_t>(volume > 0 ? volume_byte(volume) : 0);
        c.effect = static_cast<std::uint8_t>(effect);
        c.parameter = static_cast<std::uint8_t>(param);
    }

    void effect(int row, int channel, int effect, int param)
    {
        at(row, channel).effect = static_cast<std::uint8_t>(effect);
        at(row, channel).parameter = static_cast<std::uint8_t>(param);
    }

    void volume(int row, int channel, int volume) { at(row, channel).volume = volume_byte(volume); }

private:
    // Volumes are written on a mixing scale of 0 ... 64 and scaled down
    // into the volume column, so that twenty channels at their loudest
    // moments stay clear of the player's 16-bit ceiling.
    static std::uint8_t volume_byte(int volume)
    {
        return static_cast<std::uint8_t>(0x10 + std::min(64, (volume * 13 + 8) / 16));
    }

    xm_pattern& p_;
};

// Cell note of a chord tone: tone index i of the chord (past the fourth it
// climbs by octaves) placed from `octave` up.
inline int chord_note(const chord& c, int i, int octave)
{
    std::array<int, 4> t = c.tones();
    int oct = i / 4;
    return note_of(0, octave) + c.root + t[i % 4] + 12 * oct;
}

inline int parse_note(const std::string& s)
{
    static const char* names = "C-C#D-D#E-F-F#G-G#A-A#B-";
    for (int k = 0; k < 12; ++k)
        if (s[0] == names[2 * k] && s[1] == names[2 * k + 1])
            return note_of(k, s[2] - '0');
    return 0;
}

inline void write_drums(pattern_writer& w, drum_style style)
{
    for (int row = 0; row < rows_per_pattern; ++row) {
        int beat_row = row % 4;
        int bar_row = row % rows_per_bar;
        bool second_half = row >= rows_per_bar;
        switch (style) {
        case drum_style::none: break;
        case drum_style::hats:
            if (row % 2 == 0)
                w.note(row, hat_channel, closed_hat_note, drums, 12 + row / 2 + (beat_row == 2 ? 8 : 0));
            break;
        case drum_style::half:
            if (bar_row == 0 || bar_row == 8)
                w.note(row, kick_channel, kick_note, drums, 60);
            if (row % 2 == 0)
                w.note(row, hat_channel, beat_row == 2 ? open_hat_note : closed_hat_note, drums,
                       beat_row == 2 ? 20 : 28);
            break;
        case drum_style::groove:
            if (bar_row == 0 || bar_row == 8 || bar_row == 10)
                w.note(row, kick_channel, kick_note, drums, bar_row == 10 ? 40 : 50);
            if (bar_row == 4 || bar_row == 12)
                w.note(row, snare_channel, snare_note, drums, 40);
            if (row % 2 == 0)
                w.note(row, hat_channel, closed_hat_note, drums, beat_row == 2 ? 34 : 22);
            else if (bar_row == 7 || bar_row == 15)
                w.note(row, hat_channel, closed_hat_note, drums, 18);
            break;
        case drum_style::drive:
        case drum_style::heavy:
            if (beat_row == 0)
                w.note(row, kick_channel, kick_note, drums, 52);
            if (bar_row == 4 || bar_row == 12)
                w.note(row, snare_channel, snare_note, drums, style == drum_style::heavy ? 36 : 42);
            if (beat_row == 2)
                w.note(row, hat_channel, open_hat_note, drums, 26);
            else
                w.note(row, hat_channel, closed_hat_note, drums, beat_row == 0 ? 28 : 18);
            if (style == drum_style::drive && row % 2 == 1)
                w.note(row, shaker_channel, closed_hat_note, drums, 14, fx_set_pan, 0xD0);
            break;
        case drum_style::calm:
            if (row % 4 == 2)
                w.note(row, hat_channel, closed_hat_note, drums, 22);
            if (bar_row == 12)
                w.note(row, snare_channel, clap_note, drums, 22);
            break;
        case drum_style::breakdown:
            if (!second_half) {
                if (beat_row == 0)
                    w.note(row, kick_channel, kick_note, drums, 64 - row * 2);
                w.note(row, hat_channel, beat_row == 2 ? open_hat_note : closed_hat_note, drums, 30 - row);
            }
            break;
        }
    }
}

inline void write_fill(pattern_writer& w, fill_style fill)
{
    switch (fill) {
    case fill_style::none: break;
    case fill_style::snare_build:
        // Eighths over the second bar, sixteenths over its last beats.
        for (int row = 16; row < 32; ++row)
            if (row >= 24 || row % 2 == 0)
                w.note(row, snare_channel, snare_note, drums, 16 + (row - 16) * 3);
        break;
    case fill_style::snare_roll:
        for (int row = 24; row < 32; ++row)
            w.note(row, fill_channel, snare_note, drums, 30 + (row - 24) * 4);
        break;
    case fill_style::tom_fill:
        for (int row = 24; row < 32; ++row)
            if (row % 2 == 0 || row >= 28)
                w.note(row, fill_channel, tom_note - (row - 24), drums, 56);
        break;
    }
}

inline void write_bass(pattern_writer& w, const pattern_plan& plan)
{
    const char* shape = nullptr;
    switch (plan.bass_line) {
    case bass_style::none: return;
    case bass_style::pulse: shape = "R.......R.....=."; break;
    case bass_style::groove: shape = "R..R..O.=.R..O.R"; break;
    case bass_style::drive: shape = "R.RO.RR.R.RO.RRF"; break;
    case bass_style::heavy: shape = "R..R..R.O..R..RO"; break;
    case bass_style::calm: shape = "R.......F.....=."; break;
    }
    for (int row = 0; row < rows_per_pattern; ++row) {
        const chord& c = plan.chords[row / rows_per_bar];
        int root = note_of(0, 1) + c.root + (c.root > 7 ? 0 : 12);  // roots from G#1 to G-2
        char t = shape[row % rows_per_bar];
        if (t == 'R')
            w.note(row, bass_channel, root, bass, 52);
        else if (t == 'O')
            w.note(row, bass_channel, root + 12, bass, 40);
        else if (t == 'F')
            w.note(row, bass_channel, root + 7, bass, 44);
        else if (t == '=')
            w.note(row, bass_channel, note_key_off, 0, 0);
    }
}

inline void write_pads(pattern_writer& w, const pattern_plan& plan)
{
    if (plan.pad_volume == 0)
        return;
    static constexpr int pans[4] = {0x50, 0xA8, 0x70, 0x90};
    for (int bar = 0; bar < 2; ++bar) {
        const chord& c = plan.chords[bar];
        for (int v = 0; v < 4; ++v) {
            int row = bar * rows_per_bar;
            int channel = first_pad_channel + v;
            // Root position from the third octave: the four tones span one octave.
            int n = chord_note(c, v, 3);
            if (plan.pad_fade_in && bar == 0) {
                w.note(row, channel, n, pad, 6, fx_set_pan, pans[v]);
            } else {
                // Once sounding, the pads never restart their samples: a
                // restart of a sustained wave clicks. A tone portamento fast
                // enough to arrive within a tick changes the chord instead.
                w.note(row, channel, n, 0, bar == 0 ? plan.pad_volume : 0, fx_tone_porta, 0xFF);
            }
        }
    }
    if (plan.pad_fade_in)
        for (int row = 2; row < rows_per_pattern; row += 2)
            for (int v = 0; v < 4; ++v)
                w.volume(row, first_pad_channel + v, 6 + (plan.pad_volume - 6) * row / 30);
}

inline void write_arp(pattern_writer& w, const pattern_plan& plan)
{
    static constexpr int up_order[8] = {0, 1, 2, 3, 4, 3, 2, 1};
    for (int row = 0; row < rows_per_pattern; ++row) {
        const chord& c = plan.chords[row / rows_per_bar];
        switch (plan.arp) {
        case arp_style::none: break;
        case arp_style::up:
            w.note(row, arp_channel, chord_note(c, up_order[row % 8], 4), pluck, row % 2 == 0 ? 30 : 20);
            break;
        case arp_style::chip:
            if (row % 2 == 0)
                w.note(row, arp_channel, chord_note(c, 0, 4), pluck, row % 4 == 0 ? 32 : 24, fx_arpeggio,
                       c.arpeggio_param());
            else
                w.effect(row, arp_channel, fx_arpeggio, c.arpeggio_param());
            break;
        }
    }
}

inline void write_bells(pattern_writer& w, const pattern_plan& plan)
{
    if (!plan.bells)
        return;
    // Dotted eighths against the beat: a figure of three over four.
    static constexpr int figure[11] = {4, 2, 3, 1, 4, 2, 3, 5, 4, 3, 2};
    for (int i = 0, row = 0; row < rows_per_pattern; ++i, row += 3) {
        const chord& c = plan.chords[row / rows_per_bar];
        w.note(row, bell_channel, chord_note(c, figure[i % 11], 5), pluck, 22, fx_set_pan, 0x40);
    }
}

inline void write_strings(pattern_writer& w, const pattern_plan& plan)
{
    if (!plan.strings)
        return;
    w.note(0, string_channel, chord_note(plan.chords[0], 2, 5), pad, 20, fx_set_pan, 0xB8);
    w.note(rows_per_bar, string_channel, chord_note(plan.chords[1], 2, 5), 0, 0, fx_tone_porta, 0x10);
}

inline void write_riser(pattern_writer& w, int riser)
{
    if (riser == 0)
        return;
    // One octave of pitch bend over the pattern, up for a build, down for a
    // breakdown; the volume follows it.
    int start = riser > 0 ? note_of(9, 3) : note_of(9, 5);
    w.note(0, riser_channel, start, pad, 4, riser > 0 ? fx_porta_up : fx_porta_down, 0x01);
    for (int row = 1; row < rows_per_pattern; ++row) {
        w.effect(row, riser_channel, riser > 0 ? fx_porta_up : fx_porta_down, 0x01);
        if (row % 2 == 0)
            w.volume(row, riser_channel, riser > 0 ? 4 + row : 36 - row);
    }
}

// Lead on its channel, an echo three rows later on another, quieter and to
// the right.
inline void write_melody(pattern_writer& w, const char* text)
{
    if (!text)
        return;
    std::istringstream in(text);
    std::string token;
    for (int row = 0; row < rows_per_pattern && in >> token; ++row) {
        int echo_row = row + 3;
        if (token == "~") {
            w.effect(row, lead_channel, fx_vibrato, 0x63);
        } else if (token == "v") {
            w.effect(row, lead_channel, fx_porta_down, 0x08);
        } else if (token == "=") {
            w.note(row, lead_channel, note_key_off, 0, 0);
            if (echo_row < rows_per_pattern)
                w.note(echo_row, echo_channel, note_key_off, 0, 0);
        } else if (token[0] == '/') {
            w.note(row, lead_channel, parse_note(token.substr(1)), lead, 0, fx_tone_porta, 0x18);
            if (echo_row < rows_per_pattern)
                w.note(echo_row, echo_channel, parse_note(token.substr(1)), lead, 14, fx_set_pan, 0xD8);
        } else if (token != ".") {
            w.note(row, lead_channel, parse_note(token), lead, 40);
            if (echo_row < rows_per_pattern)
                w.note(echo_row, echo_channel, parse_note(token), lead, 14, fx_set_pan, 0xD8);
        }
    }
}

inline void write_crash(pattern_writer& w, bool crash)
{
    if (crash)
        w.note(0, fill_channel, crash_note, drums, 56);
}

// The cues that land in pattern `pattern`, from every order position that
// plays it.
inline std::vector<cue> cues_of_pattern(int pattern)
{
    std::vector<cue> list;
    for (int i = 0; i < cue_count; ++i) {
        const cue& c = cue_table[i];
        if (c.order < order_list.size() && order_list[c.order] == pattern)
            list.push_back(c);
    }
    return list;
}

inline void write_accents(pattern_writer& w, const pattern_plan& plan, const std::vector<cue>& cues)
{
    for (const cue& c : cues) {
        for (const accent_hit& h : cue_hits(c.value, c.row))
            w.note(c.row, h.channel, h.note, drums, h.volume);
        if (plan.stabs) {
            const chord& ch = plan.chords[c.row / rows_per_bar];
            w.note(c.row, stab_channel, chord_note(ch, 0, 4), pluck, 34, fx_arpeggio, ch.arpeggio_param());
        }
    }
}

// Looped instruments hold their note until released. A pattern that has
// nothing for such a channel releases whatever the pattern before it left
// sounding there: patterns are reused, so this cannot be left to the
// pattern that started the note.
inline void release_idle_channels(pattern_writer& w)
{
    static constexpr int held[] = {bass_channel, first_pad_channel, first_pad_channel + 1, first_pad_channel + 2,
                                   first_pad_channel + 3, lead_channel, echo_channel, riser_channel,
                                   string_channel};
    for (int channel : held) {
        bool idle = true;
        for (int row = 0; row < rows_per_pattern; ++row)
            idle = idle && w.at(row, channel).note == 0;
        if (idle)
            w.note(0, channel, note_key_off, 0, 0);
    }
}

inline std::vector<xm_pattern> make_patterns()
{
    std::array<pattern_plan, pattern_count> plans = pattern_plans();
    std::vector<xm_pattern> patterns(pattern_count);
    for (int i = 0; i < pattern_count; ++i) {
        xm_pattern& p = patterns[i];
        p.rows = rows_per_pattern;
        p.cells.assign(rows_per_pattern * channel_count, cell{});
        pattern_writer w(p);
        const pattern_plan& plan = plans[i];
        write_drums(w, plan.drums);
        write_fill(w, plan.fill);
        write_crash(w, plan.crash);
        write_bass(w, plan);
        write_pads(w, plan);
        write_arp(w, plan);
        write_bells(w, plan);
        write_strings(w, plan);
        write_riser(w, plan.riser);
        write_melody(w, plan.melody);
        write_accents(w, plan, cues_of_pattern(i));
        release_idle_channels(w);
    }
    return patterns;
}

inline xm_module make_module()
{
    xm_module m;
    m.name = "vorlane";
    m.channels = channel_count;
    m.restart = restart_position;
    m.speed = 6;
    m.bpm = 100;
    m.orders.assign(order_list.begin(), order_list.end());
    m.patterns = make_patterns();
    m.instruments = make_instruments();
    return m;
}

inline std::vector<std::uint8_t> make_song() { return write_xm(make_module()); }

}  // namespace vorlane::song_maker
