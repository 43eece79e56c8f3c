#include "engine/font.h"

#include "platform/glyphs.h"
#include "runtime/fatal.h"
#include "runtime/log.h"

#include <algorithm>

namespace vorlane {

void font::init(const char* face, int height_, int flags, int advance)
{
    height = height_;
    const long store_size = static_cast<long>(height) * height * 256;
    if (height <= 0)
        fatal("font kupa");
    glyphs.assign(static_cast<std::size_t>(store_size), 0);

    glyph_source source;
    if (!source.open(face, height, (flags & font_bold) != 0, (flags & font_italic) != 0))
        fatal("font kupa");
    log("font %s %d -> %s", face, height, source.family());

    // Glyphs wider than the usual 128 x 128 canvas would be clipped: grow it.
    int canvas_size = std::max(128, height);
    std::vector<std::uint8_t> canvas;
    offsets[0] = 0;
    for (int c = 0; c < 256; ++c) {
        const int width = advance != -1 ? advance : source.advance(static_cast<unsigned char>(c));
        widths[c] = std::max(width, 0);
        const long end = offsets[c] + static_cast<long>(widths[c]) * height;
        if (end > store_size)
            fatal("font kupa");
        offsets[c + 1] = static_cast<int>(end);

        canvas_size = std::max(canvas_size, widths[c]);
        canvas.resize(static_cast<std::size_t>(canvas_size) * canvas_size);
        source.draw(static_cast<unsigned char>(c), canvas.data(), canvas_size);
        std::uint8_t* out = &glyphs[static_cast<std::size_t>(offsets[c])];
        for (int r = 0; r < height; ++r)
            for (int k = 0; k < widths[c]; ++k)
                *out++ = canvas[static_cast<std::size_t>(r) * canvas_size + k] >= ink_threshold;
    }
}

void font::set_target(std::uint8_t* pixels, int bpp_, std::uint32_t ink_, int width, int height_)
{
    target = pixels;
    bpp = std::clamp(bpp_, 0, 4);
    for (int i = 0; i < 4; ++i)
        ink[i] = static_cast<std::uint8_t>(ink_ >> (8 * i));
    target_width = width;
    target_height = height_ == -1 ? width : height_;
}

void font::draw_char(unsigned char c, int x, int y)
{
    if (!target || glyphs.empty() || target_width <= 0 || target_height <= 0)
        return;
    const std::uint8_t* glyph = &glyphs[static_cast<std::size_t>(offsets[c])];
    for (int r = 0; r < height; ++r)
        for (int k = 0; k < widths[c]; ++k)
            if (*glyph++) {
                const int row = (y + r) & (target_height - 1);
                const int column = (x + k) & (target_width - 1);
                std::uint8_t* pixel = target + (static_cast<long>(row) * target_width + column) * bpp;
                std::copy(ink, ink + bpp, pixel);
            }
}

void font::draw_string(const char* text, int x, int y)
{
    for (; *text; ++text) {
        const auto c = static_cast<unsigned char>(*text);
        draw_char(c, x, y);
        x += widths[c];
    }
}

int font::text_width(const char* text) const
{
    int width = 0;
    for (; *text; ++text)
        width += widths[static_cast<unsigned char>(*text)];
    return width;
}

void font::draw_centred(const char* text, int y)
{
    draw_string(text, (target_width - text_width(text)) / 2, y);
}

}  // namespace vorlane
