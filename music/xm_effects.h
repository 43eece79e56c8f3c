// The codes of an XM cell's effect column and volume column. Effect numbers
// follow the tracker's lettering: 10 is A, 11 is B, ... 35 is Z. Only the
// codes the player acts on, or that a writer of the song uses, are named.
#pragma once

#include <cstdint>

namespace vorlane {

inline constexpr std::uint8_t fx_arpeggio = 0x00;
inline constexpr std::uint8_t fx_porta_up = 0x01;
inline constexpr std::uint8_t fx_porta_down = 0x02;
inline constexpr std::uint8_t fx_tone_porta = 0x03;
inline constexpr std::uint8_t fx_vibrato = 0x04;
inline constexpr std::uint8_t fx_tone_porta_volume_slide = 0x05;
inline constexpr std::uint8_t fx_vibrato_volume_slide = 0x06;
inline constexpr std::uint8_t fx_tremolo = 0x07;
inline constexpr std::uint8_t fx_set_pan = 0x08;
inline constexpr std::uint8_t fx_sample_offset = 0x09;
inline constexpr std::uint8_t fx_volume_slide = 0x0A;             // A
inline constexpr std::uint8_t fx_position_jump = 0x0B;            // B
inline constexpr std::uint8_t fx_set_volume = 0x0C;               // C
inline constexpr std::uint8_t fx_pattern_break = 0x0D;            // D
inline constexpr std::uint8_t fx_extended = 0x0E;                 // E
inline constexpr std::uint8_t fx_set_speed = 0x0F;                // F
inline constexpr std::uint8_t fx_set_global_volume = 0x10;        // G
inline constexpr std::uint8_t fx_global_volume_slide = 0x11;      // H
inline constexpr std::uint8_t fx_key_off = 0x14;                  // K
inline constexpr std::uint8_t fx_set_envelope_position = 0x15;    // L
inline constexpr std::uint8_t fx_pan_slide = 0x19;                // P
inline constexpr std::uint8_t fx_multi_retrig = 0x1B;             // R
inline constexpr std::uint8_t fx_tremor = 0x1D;                   // T
inline constexpr std::uint8_t fx_extra_fine_porta = 0x21;         // X

// Effect X's high nibble.
inline constexpr int extra_fine_porta_up = 1;
inline constexpr int extra_fine_porta_down = 2;

// Effect F: parameters below this set the speed, the others the BPM.
inline constexpr int first_bpm_parameter = 32;

// The volume column: bytes 0x10 ... 0x50 set the volume, the others act by
// their high nibble.
inline constexpr int vc_set_volume_lowest = 0x10;
inline constexpr int vc_set_volume_highest = 0x50;
inline constexpr int vc_slide_down = 0x6;
inline constexpr int vc_slide_up = 0x7;
inline constexpr int vc_fine_slide_down = 0x8;
inline constexpr int vc_fine_slide_up = 0x9;
inline constexpr int vc_vibrato_speed = 0xA;
inline constexpr int vc_vibrato = 0xB;
inline constexpr int vc_set_pan = 0xC;
inline constexpr int vc_pan_slide_down = 0xD;
inline constexpr int vc_pan_slide_up = 0xE;
inline constexpr int vc_tone_porta = 0xF;

}  // namespace vorlane
