// The device's OpenGL context on an SDL window.

#include "platform/gl_context.h"
#include "platform/gl_dialect.h"
#include "runtime/fatal.h"

#include <SDL.h>

namespace vorlane {

gl_context create_gl_context(window& w)
{
    auto* sdl_window = static_cast<SDL_Window*>(w.sdl_window);
    gl_context c;
    c.handle = sdl_window ? SDL_GL_CreateContext(sdl_window) : nullptr;
    if (!c.handle)
        fatal("d3dCreate");
    SDL_DisplayMode mode;
    int display = SDL_GetWindowDisplayIndex(sdl_window);
    if (display < 0 || SDL_GetDesktopDisplayMode(display, &mode) != 0)
        fatal("GetDisplayMode");
    if (epoxy_gl_version() < 33)
        fatal("Create3dDevice");
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    c.first_vertex_flat = true;
    c.depth_clamp = true;
    // Capture and the benchmark present without waiting; the show on a
    // screen asks for the display's refresh with sync_to_display.
    SDL_GL_SetSwapInterval(0);
    return c;
}

void destroy_gl_context(window& w, gl_context& context)
{
    SDL_GL_MakeCurrent(static_cast<SDL_Window*>(w.sdl_window), nullptr);
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context.handle));
    context.handle = nullptr;
}

void drawable_size(const window& w, int& width, int& height)
{
    SDL_GL_GetDrawableSize(static_cast<SDL_Window*>(w.sdl_window), &width, &height);
}

void swap_window(window& w)
{
    SDL_GL_SwapWindow(static_cast<SDL_Window*>(w.sdl_window));
}

}  // namespace vorlane
