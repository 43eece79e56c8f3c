// The glyph rasteriser in the browser: the page's 2D canvas draws the
// characters with the font files the site ships (the faces fontconfig
// finds for the show's names on the desktop), sized by the same rule as
// on the desktop: the whole cell, usWinAscent + usWinDescent, is the
// height asked for.

#include "platform/glyphs.h"

#include "platform/code_page.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdint>
#include <string>

namespace vorlane {

namespace {

EM_JS(int, page_glyph_open, (const char* face, int height, int bold, int italic),
      { return vorlane_page.glyph_open(UTF8ToString(face), height, bold != 0, italic != 0); });
EM_JS(int, page_glyph_advance, (int id, int code), { return vorlane_page.glyph_advance(id, code); });
EM_JS(void, page_glyph_draw, (int id, int code, std::uint8_t* canvas, int size),
      { vorlane_page.glyph_draw(id, code, canvas, size); });
EM_JS(void, page_glyph_family, (int id, char* out, int size),
      { stringToUTF8(vorlane_page.glyph_family(id), out, size); });

}  // namespace

struct glyph_source::impl {
    int id = -1;  // the page's number for the sized face
    std::string family;
};

glyph_source::glyph_source() : state(new impl) {}
glyph_source::~glyph_source() = default;

bool glyph_source::open(const char* face, int height, bool bold, bool italic)
{
    if (height <= 0)
        return false;
    state->id = page_glyph_open(face, height, bold, italic);
    if (state->id < 0)
        return false;
    char family[128];
    page_glyph_family(state->id, family, sizeof family);
    state->family = family;
    return true;
}

int glyph_source::advance(unsigned char c)
{
    return state->id < 0 ? 0 : page_glyph_advance(state->id, static_cast<int>(code_point(c)));
}

void glyph_source::draw(unsigned char c, std::uint8_t* canvas, int size)
{
    if (state->id < 0) {
        std::fill(canvas, canvas + size * size, 0);
        return;
    }
    page_glyph_draw(state->id, static_cast<int>(code_point(c)), canvas, size);
}

const char* glyph_source::family() const
{
    return state->family.c_str();
}

}  // namespace vorlane
