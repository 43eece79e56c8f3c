// The show's texts are bytes of the Windows-1252 code page; the glyph
// rasterisers look characters up by Unicode code point.
#pragma once

namespace vorlane {

// The code point of byte c: bytes 0x80 ... 0x9F as Windows-1252 has them,
// the rest as Latin-1 (the same there). Holes map to the replacement
// character.
inline char32_t code_point(unsigned char c)
{
    constexpr char32_t high[32] = {
        0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
        0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
    };
    if (c >= 0x80 && c < 0xA0)
        return high[c - 0x80];
    return c;
}

}  // namespace vorlane
