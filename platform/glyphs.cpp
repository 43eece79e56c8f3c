#include "platform/glyphs.h"

#include "platform/code_page.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstring>
#include <string>

namespace vorlane {

namespace {

struct substitute {
    const char* face;
    const char* fallback_family;
    int weight;
};

// "Arial Black" is a single, very heavy weight that Linux systems rarely
// have: the heaviest sans installed stands in for it, whatever weight the
// caller asked for (the real face only exists in black).
const substitute substitutes[] = {
    {"Arial Black", "Lato", FC_WEIGHT_BLACK},
};

}  // namespace

struct glyph_source::impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    bool embolden = false;
    int ascent = 0;  // pixels from the cell top to the baseline
    std::string family;

    ~impl()
    {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }

    bool load(unsigned char c)
    {
        const FT_UInt index = FT_Get_Char_Index(face, code_point(c));
        if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0)
            return false;
        if (embolden)
            FT_GlyphSlot_Embolden(face->glyph);
        return true;
    }
};

glyph_source::glyph_source() : state(new impl) {}
glyph_source::~glyph_source() = default;

bool glyph_source::open(const char* face, int height, bool bold, bool italic)
{
    if (height <= 0 || !FcInit() || FT_Init_FreeType(&state->library) != 0)
        return false;

    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face));
    int weight = bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR;
    for (const substitute& s : substitutes)
        if (std::strcmp(face, s.face) == 0) {
            FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(s.fallback_family));
            weight = s.weight;
        }
    FcPatternAddInteger(pattern, FC_WEIGHT, weight);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return false;

    FcChar8* file = nullptr;
    int index = 0;
    FcBool embolden = FcFalse;
    FcChar8* family = nullptr;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    const bool loaded =
        FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
        FT_New_Face(state->library, reinterpret_cast<const char*>(file), index, &state->face) == 0;
    FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
    if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch)
        state->family = reinterpret_cast<const char*>(family);
    FcPatternDestroy(match);
    if (!loaded || !FT_IS_SCALABLE(state->face))
        return false;
    state->embolden = embolden;

    // Windows sizes a positive height as the whole cell, usWinAscent +
    // usWinDescent, not the em; the baseline sits at the scaled ascent.
    FT_Face f = state->face;
    int cell_ascent = f->ascender, cell_descent = -f->descender;
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
        os2 && os2->usWinAscent + os2->usWinDescent > 0) {
        cell_ascent = os2->usWinAscent;
        cell_descent = os2->usWinDescent;
    }
    const int cell_units = std::max(1, cell_ascent + cell_descent);
    const FT_Long em_26_6 = static_cast<FT_Long>(static_cast<double>(height) * 64 * f->units_per_EM / cell_units + 0.5);
    if (FT_Set_Char_Size(f, 0, em_26_6, 72, 72) != 0)
        return false;
    state->ascent = static_cast<int>(static_cast<double>(height) * cell_ascent / cell_units + 0.5);
    return true;
}

int glyph_source::advance(unsigned char c)
{
    if (!state->load(c))
        return 0;
    return static_cast<int>((state->face->glyph->advance.x + 32) >> 6);
}

void glyph_source::draw(unsigned char c, std::uint8_t* canvas, int size)
{
    std::fill(canvas, canvas + size * size, 0);
    if (!state->load(c) || FT_Render_Glyph(state->face->glyph, FT_RENDER_MODE_NORMAL) != 0)
        return;
    const FT_GlyphSlot slot = state->face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
        return;
    const int top = state->ascent - slot->bitmap_top;
    const int left = slot->bitmap_left;
    for (unsigned r = 0; r < bitmap.rows; ++r) {
        const int y = top + static_cast<int>(r);
        if (y < 0 || y >= size)
            continue;
        const unsigned char* row = bitmap.buffer + static_cast<long>(r) * bitmap.pitch;
        for (unsigned k = 0; k < bitmap.width; ++k) {
            const int x = left + static_cast<int>(k);
            if (x >= 0 && x < size)
                canvas[y * size + x] = row[k];
        }
    }
}

const char* glyph_source::family() const
{
    return state->family.c_str();
}

}  // namespace vorlane
