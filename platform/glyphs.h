// Text rasteriser standing in for GDI: draws one character of a named face
// the way a Windows text call with top alignment would, as 8-bit coverage.
#pragma once

#include <cstdint>
#include <memory>

namespace vorlane {

class glyph_source {
public:
    glyph_source();
    ~glyph_source();
    glyph_source(const glyph_source&) = delete;
    glyph_source& operator=(const glyph_source&) = delete;

    // Finds the face (or fontconfig's closest installed substitute, bold or
    // italic as asked) and sizes it so that its whole cell (ascent plus
    // descent) is `height` pixels, the meaning of a positive height on
    // Windows. Returns false only when no font at all can be loaded.
    bool open(const char* face, int height, bool bold, bool italic);

    // Advance width in pixels of character code c (Windows-1252).
    int advance(unsigned char c);

    // Coverage (0 ... 255) of character c drawn with its cell's top-left
    // corner at (0, 0) (baseline at the ascent) into a size x size canvas,
    // row-major; the canvas is cleared first and clipped at its edges.
    void draw(unsigned char c, std::uint8_t* canvas, int size);

    // Family and style of the file that was loaded, for the log.
    const char* family() const;

private:
    struct impl;
    std::unique_ptr<impl> state;
};

}  // namespace vorlane
