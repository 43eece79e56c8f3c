#include "platform/setup_dialog.h"

#include "platform/glyphs.h"
#include "platform/window.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace vorlane {

namespace {

constexpr std::uint32_t face_colour = 0xfff0f0f0;
constexpr std::uint32_t text_colour = 0xff000000;
constexpr std::uint32_t frame_colour = 0xff7a7a7a;
constexpr std::uint32_t field_colour = 0xffffffff;
constexpr std::uint32_t highlight_colour = 0xff0078d7;    // the selection while the list has the keyboard
constexpr std::uint32_t dim_highlight_colour = 0xffd9d9d9;  // and while it has not

std::uint32_t blend(std::uint32_t under, std::uint32_t over, int coverage)
{
    std::uint32_t out = 0xff000000;
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = int(under >> shift & 0xff);
        const int b = int(over >> shift & 0xff);
        out |= std::uint32_t(a + (b - a) * coverage / 255) << shift;
    }
    return out;
}

class painter {
public:
    painter(glyph_source& glyphs, int scale)
        : glyphs(glyphs), scale(scale), width(setup_layout::width * scale),
          pixels(std::size_t(width) * std::size_t(setup_layout::height * scale), face_colour)
    {
    }

    void fill(const dialog_rect& r, std::uint32_t colour)
    {
        for (int y = r.y * scale; y < (r.y + r.height) * scale; ++y)
            std::fill_n(pixels.begin() + y * width + r.x * scale, r.width * scale, colour);
    }

    // Text with its cell's top-left corner at (x, y), scale-1 pixels.
    void text(const char* s, int x, int y, std::uint32_t colour)
    {
        const int cell = setup_layout::text_height * scale * 2;
        glyph.resize(std::size_t(cell) * std::size_t(cell));
        int pen = x * scale;
        for (; *s; ++s) {
            const auto c = static_cast<unsigned char>(*s);
            glyphs.draw(c, glyph.data(), cell);
            for (int gy = 0; gy < cell; ++gy)
                for (int gx = 0; gx < cell; ++gx)
                    if (const int coverage = glyph[std::size_t(gy * cell + gx)])
                        blend_at(pen + gx, y * scale + gy, colour, coverage);
            pen += glyphs.advance(c);
        }
    }

    // A text vertically centred in r, indented by indent.
    void text_in(const char* s, const dialog_rect& r, int indent, std::uint32_t colour)
    {
        text(s, r.x + indent, r.y + (r.height - setup_layout::text_height) / 2, colour);
    }

    // The round button at the left of r, with its dot when checked.
    void radio(const dialog_rect& r, bool checked)
    {
        const double cx = (r.x + 6.5) * scale;
        const double cy = (r.y + r.height / 2.0) * scale;
        const double outer = 6.0 * scale;
        for (int y = int(cy - outer) - 1; y <= int(cy + outer) + 1; ++y)
            for (int x = int(cx - outer) - 1; x <= int(cx + outer) + 1; ++x) {
                const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
                const double inside = std::clamp(outer - d + 0.5, 0.0, 1.0);
                const double ring = std::clamp(outer - d + 0.5, 0.0, 1.0) - std::clamp(outer - scale - d + 0.5, 0.0, 1.0);
                const double dot = checked ? std::clamp(2.5 * scale - d + 0.5, 0.0, 1.0) : 0.0;
                blend_at(x, y, field_colour, int(inside * 255));
                blend_at(x, y, 0xff333333, int(ring * 255));
                blend_at(x, y, text_colour, int(dot * 255));
            }
    }

    // The dotted frame that shows which control has the keyboard.
    void focus_frame(const dialog_rect& r)
    {
        const int x0 = r.x * scale, y0 = r.y * scale, x1 = (r.x + r.width) * scale - 1, y1 = (r.y + r.height) * scale - 1;
        for (int x = x0; x <= x1; x += 2) {
            blend_at(x, y0, text_colour, 255);
            blend_at(x, y1, text_colour, 255);
        }
        for (int y = y0; y <= y1; y += 2) {
            blend_at(x0, y, text_colour, 255);
            blend_at(x1, y, text_colour, 255);
        }
    }

    glyph_source& glyphs;
    int scale;
    int width;
    std::vector<std::uint32_t> pixels;

private:
    void blend_at(int x, int y, std::uint32_t colour, int coverage)
    {
        if (x < 0 || y < 0 || x >= width || y >= setup_layout::height * scale || coverage <= 0)
            return;
        std::uint32_t& p = pixels[std::size_t(y * width + x)];
        p = blend(p, colour, std::min(coverage, 255));
    }

    std::vector<std::uint8_t> glyph;
};

std::vector<std::uint32_t> draw(const setup_dialog_state& state, glyph_source& glyphs, int scale)
{
    using namespace setup_layout;
    painter p(glyphs, scale);

    p.radio(normal_button, !state.loop);
    p.text_in("Normal", normal_button, 18, text_colour);
    p.radio(loop_button, state.loop);
    p.text_in("Loop", loop_button, 18, text_colour);
    if (state.focus == dialog_focus::mode) {
        const dialog_rect& checked = state.loop ? loop_button : normal_button;
        p.focus_frame({checked.x + 16, checked.y + 1, checked.width - 16, checked.height - 2});
    }
    p.text_in("Mode", mode_label, 0, text_colour);

    p.fill(list, frame_colour);
    p.fill({list.x + 1, list.y + 1, list.width - 2, list.height - 2}, field_colour);
    for (int i = 0; i < static_cast<int>(std::size(setup_resolutions)); ++i) {
        const dialog_rect row = list_row(i);
        std::uint32_t ink = text_colour;
        if (i == state.selection) {
            const bool keyboard = state.focus == dialog_focus::list;
            p.fill(row, keyboard ? highlight_colour : dim_highlight_colour);
            if (keyboard)
                ink = field_colour;
        }
        p.text_in(setup_resolutions[i].name, row, 4, ink);
    }
    return std::move(p.pixels);
}

bool open_face(glyph_source& glyphs, int scale)
{
    return glyphs.open("MS Sans Serif", setup_layout::text_height * scale, false, false);
}

// Whole steps of the 96 dpi a dialog is laid out for, so that it reads at
// the size the desktop's other windows do.
int display_scale()
{
    float dpi = 0;
    if (SDL_GetDisplayDPI(0, &dpi, nullptr, nullptr) != 0 || !(dpi > 0))
        return 1;
    return std::clamp(int(dpi / 96 + 0.5f), 1, 4);
}

void show(SDL_Window* w, std::vector<std::uint32_t>& pixels, int scale)
{
    SDL_Surface* target = SDL_GetWindowSurface(w);
    SDL_Surface* picture = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), setup_layout::width * scale,
                                                              setup_layout::height * scale, 32,
                                                              setup_layout::width * scale * 4, SDL_PIXELFORMAT_ARGB8888);
    if (target && picture) {
        SDL_BlitSurface(picture, nullptr, target, nullptr);
        SDL_UpdateWindowSurface(w);
    }
    SDL_FreeSurface(picture);
}

void handle(const SDL_Event& e, setup_dialog_state& state, int scale)
{
    switch (e.type) {
    case SDL_QUIT:
        state.close();
        break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE)
            state.close();
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (e.button.button == SDL_BUTTON_LEFT)
            state.click(e.button.x / scale, e.button.y / scale);
        break;
    case SDL_KEYDOWN:
        switch (e.key.keysym.sym) {
        case SDLK_UP: state.press(dialog_key::up); break;
        case SDLK_DOWN: state.press(dialog_key::down); break;
        case SDLK_LEFT: state.press(dialog_key::left); break;
        case SDLK_RIGHT: state.press(dialog_key::right); break;
        case SDLK_TAB: state.press(dialog_key::tab); break;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: state.press(dialog_key::enter); break;
        case SDLK_ESCAPE: state.press(dialog_key::escape); break;
        default: break;
        }
        break;
    default:
        break;
    }
}

}  // namespace

std::vector<std::uint32_t> draw_setup_dialog(const setup_dialog_state& state, int scale)
{
    glyph_source glyphs;
    open_face(glyphs, scale);
    return draw(state, glyphs, scale);
}

bool run_setup_dialog(setup_dialog_state& state)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return false;
    if (!display_exists()) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    const int scale = display_scale();
    // The face first: on a machine's first start fontconfig builds its
    // cache here, for seconds, and a window shown meanwhile would be empty
    // and deaf.
    glyph_source glyphs;
    open_face(glyphs, scale);
    std::vector<std::uint32_t> pixels = draw(state, glyphs, scale);
    SDL_Window* w = SDL_CreateWindow("444", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                     setup_layout::width * scale, setup_layout::height * scale, SDL_WINDOW_HIDDEN);
    if (!w) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    // SDL may re-create the window for its first surface, to draw it
    // through OpenGL: a close request sent to the window first mapped
    // would then be lost. So the first picture goes in before it is shown.
    show(w, pixels, scale);
    SDL_ShowWindow(w);
    SDL_RaiseWindow(w);

    while (state.outcome == dialog_outcome::open) {
        show(w, pixels, scale);
        SDL_Event e;
        if (!SDL_WaitEvent(&e)) {
            // The event queue is gone: nobody can answer the dialog.
            state.close();
            break;
        }
        const setup_dialog_state before = state;
        handle(e, state, scale);
        if (state.selection != before.selection || state.loop != before.loop || state.focus != before.focus)
            pixels = draw(state, glyphs, scale);
    }
    if (state.outcome == dialog_outcome::confirmed)
        state.display = std::max(0, SDL_GetWindowDisplayIndex(w));
    SDL_DestroyWindow(w);
    // The video system stays up for the show's window: started afresh on
    // X it now and then fails to connect again.
    return true;
}

}  // namespace vorlane
