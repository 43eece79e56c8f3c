// make_icon: draws the program's icon, the "444" of the first part in the
// show's own face and grey on black, filling the icon's width, at the sizes
// the desktop installs (dist/icons/NxN.png, checked in).
#include "engine/font.h"
#include "parts/fonts.h"
#include "platform/png_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vorlane {
namespace {

constexpr int canvas = 256;  // the text drawn at the show's own cell height
constexpr int sizes[] = {256, 128, 48};
constexpr int grey = 204;     // the text's brightness in the show, 0.8
constexpr double fill = 0.9;  // of the icon's width the text spans

// The "444" as one byte of ink per pixel, and the square around it that
// becomes the icon: the text's inked box centred in it, spanning `fill`.
struct text_picture {
    std::vector<std::uint8_t> ink = std::vector<std::uint8_t>(canvas * canvas, 0);
    double left = 0, top = 0, side = canvas;
};

text_picture draw_text()
{
    text_picture t;
    part1_fnt3.set_target(t.ink.data(), 1, 1, canvas);
    part1_fnt3.draw_centred("444", 0);
    int top = canvas, bottom = 0, left = canvas, right = 0;
    for (int y = 0; y < canvas; ++y)
        for (int x = 0; x < canvas; ++x)
            if (t.ink[y * canvas + x]) {
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
                left = std::min(left, x);
                right = std::max(right, x + 1);
            }
    if (right <= left)
        return t;
    t.side = std::max(right - left, bottom - top) / fill;
    t.left = (left + right - t.side) / 2;
    t.top = (top + bottom - t.side) / 2;
    return t;
}

// Ink of the canvas pixel (x, y); outside the canvas there is none.
double ink_at(const text_picture& t, int x, int y)
{
    return x < 0 || y < 0 || x >= canvas || y >= canvas ? 0 : t.ink[y * canvas + x];
}

// Each icon pixel is the mean over the area of the square it covers,
// pixels cut by its edges counting by their share.
std::vector<std::uint32_t> shrink(const text_picture& t, int size)
{
    const double step = t.side / size;
    std::vector<std::uint32_t> out(std::size_t(size) * size);
    for (int oy = 0; oy < size; ++oy)
        for (int ox = 0; ox < size; ++ox) {
            const double x0 = t.left + ox * step, y0 = t.top + oy * step;
            double sum = 0;
            for (int y = int(std::floor(y0)); y < y0 + step; ++y) {
                const double wy = std::min(y + 1.0, y0 + step) - std::max(double(y), y0);
                for (int x = int(std::floor(x0)); x < x0 + step; ++x) {
                    const double wx = std::min(x + 1.0, x0 + step) - std::max(double(x), x0);
                    sum += wx * wy * ink_at(t, x, y);
                }
            }
            const auto level = std::uint32_t(sum / (step * step) * grey + 0.5);
            out[oy * size + ox] = 0xff000000u | level << 16 | level << 8 | level;
        }
    return out;
}

}  // namespace
}  // namespace vorlane

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icon DIR\n");
        return 2;
    }
    vorlane::init_fonts();
    const vorlane::text_picture text = vorlane::draw_text();
    for (int size : vorlane::sizes) {
        const std::string name = std::string(argv[1]) + "/" + std::to_string(size) + "x" + std::to_string(size) + ".png";
        if (!vorlane::write_png(name.c_str(), size, size, vorlane::shrink(text, size).data())) {
            std::fprintf(stderr, "make_icon: cannot write %s\n", name.c_str());
            return 1;
        }
        std::printf("%s\n", name.c_str());
    }
    return 0;
}
