#include "parts/text_textures.h"

#include "data/line_group_sizes.h"
#include "effects/effect_common.h"
#include "engine/font.h"
#include "parts/fonts.h"

#include <algorithm>
#include <vector>

namespace vorlane {

int text_tex[text_line_count] = {};
track line_x_track[code_line_count];
track line_y_track[code_line_count];

namespace {

constexpr int text_left = 5;  // pixels; the text's top-left corner
constexpr int text_top = 5;

// The kernel's reach: from -glow_before to glow_after - 1 pixels about an
// ink pixel, in both directions.
constexpr int glow_before = 5;
constexpr int glow_after = 5;
constexpr int glow_span = glow_before + glow_after;

struct glow_kernel {
    int weight[glow_span][glow_span] = {};
    constexpr glow_kernel()
    {
        for (int dy = -glow_before; dy < glow_after; ++dy)
            for (int dx = -glow_before; dx < glow_after; ++dx)
                weight[dy + glow_before][dx + glow_before] = 5632 / (dx * dx + dy * dy + 10);
    }
};
constexpr glow_kernel kernel;

// The sums live in a margin wide enough for the kernel at any edge, so the
// inner loop never tests bounds; the margin is never read back.
constexpr int sum_width = text_texture_width + glow_span;
constexpr int sum_height = text_texture_height + glow_span;

void fill_line_tracks()
{
    int n = 0;
    for (int g = 0; g < line_group_count; ++g)
        for (int j = 0; j < line_group_sizes[g]; ++j, ++n) {
            const float b = static_cast<float>(20000 + 2000 * g + 80 * j);
            const track_key rise[] = {{-5, 0}, {-5, b - 900}, {1.5f, b + 600}, {3.6f, 50000}};
            line_y_track[n].assign(rise, 5, 50000, end_wrap, 0);
            const track_key left[] = {{0.8f, 0}};
            line_x_track[n].assign(left, 1, 50000, end_wrap, 0);
        }
}

// Characters that would cross the right edge are left out: wrapped round,
// as the font would, they would print over the start of the line (the
// longest code line is 1200 pixels wide).
void draw_clipped(font& f, const char* text)
{
    int x = text_left;
    for (const char* c = text; *c != 0; ++c) {
        const int width = f.widths[static_cast<unsigned char>(*c)];
        if (x + width > text_texture_width)
            break;
        f.draw_char(static_cast<unsigned char>(*c), x, text_top);
        x += width;
    }
}

}  // namespace

void glow_map(const unsigned char* colour, unsigned char* alpha)
{
    // One buffer for every text, made on first use.
    static std::vector<int> sum(sum_width * sum_height);
    std::fill(sum.begin(), sum.end(), 0);

    for (int y = 0; y < text_texture_height; ++y)
        for (int x = 0; x < text_texture_width; ++x) {
            if (colour[3 * (y * text_texture_width + x)] == 0)
                continue;
            // The kernel's top-left corner, (x - 5, y - 5), lies at (x, y)
            // of the sums.
            int* row = sum.data() + y * sum_width + x;
            for (int r = 0; r < glow_span; ++r, row += sum_width)
                for (int c = 0; c < glow_span; ++c)
                    row[c] += kernel.weight[r][c];
        }

    for (int y = 0; y < text_texture_height; ++y) {
        const int* row = sum.data() + (y + glow_before) * sum_width + glow_before;
        unsigned char* out = alpha + y * text_texture_width;
        for (int x = 0; x < text_texture_width; ++x)
            out[x] = static_cast<unsigned char>(row[x] > 255 ? 0 : 255 - row[x]);
    }
}

void make_text_textures()
{
    fill_line_tracks();
    for (int i = 0; i < text_line_count; ++i) {
        font& f = i < first_code_line ? part4_fnt1 : part4_fnt2;
        const effect_pictures p = new_effect_pictures(text_texture_width, text_texture_height);
        std::fill_n(p.colour, text_texture_width * text_texture_height * 3, 0);
        f.set_target(p.colour, 3, 0xFFFFFF, text_texture_width, text_texture_height);
        draw_clipped(f, text_lines[i]);
        glow_map(p.colour, p.alpha);
        text_tex[i] = make_effect_texture();
    }
}

}  // namespace vorlane
