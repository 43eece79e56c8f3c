// Bitmap fonts for text in textures: all 256 character codes of one face
// are rasterised once at start-up into one-bit glyphs, which are later
// stamped into pictures as plain byte copies.
#pragma once

#include <cstdint>
#include <vector>

namespace vorlane {

inline constexpr int font_bold = 1;
inline constexpr int font_italic = 2;

class font {
public:
    // Rasterises the face at a cell height of `height` pixels. `advance`,
    // when not -1, forces every character's width (monospaced layouts).
    // Fatal "font kupa" when no font can be loaded or the glyphs do not
    // fit height x height x 256 bytes (an average width above the height).
    void init(const char* face, int height, int flags, int advance = -1);

    // Points the font at a picture's pixels. Width and height wrap the
    // coordinates as masks, so both must be powers of two; height -1 means
    // the same as width. The first bpp bytes of `ink` (little-endian) are
    // stamped for each ink pixel.
    void set_target(std::uint8_t* pixels, int bpp, std::uint32_t ink, int width, int height = -1);

    // Glyph c with its top-left at (x, y); coordinates wrap inside the
    // target, so negative ones work. Glyph background leaves the target alone.
    void draw_char(unsigned char c, int x, int y);
    // Each character in turn, x advancing by its width.
    void draw_string(const char* text, int x, int y);
    int text_width(const char* text) const;
    // draw_string at x = (target width - text width) / 2.
    void draw_centred(const char* text, int y);

    std::vector<std::uint8_t> glyphs;  // per glyph: height rows of width bytes, 1 = ink
    int offsets[257] = {};             // glyph c starts at offsets[c]
    int widths[256] = {};              // advance and bitmap width, pixels
    int height = 0;
    std::uint8_t ink[4] = {};
    int bpp = 0;
    int target_width = 0;
    int target_height = 0;
    std::uint8_t* target = nullptr;
};

// Coverage at or above this becomes ink: the antialiased edges fall away.
inline constexpr int ink_threshold = 240;

}  // namespace vorlane
