// The render window on SDL2 and its message handling.

#include "platform/window.h"

#include "runtime/fatal.h"

#include <SDL.h>
#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace vorlane {

window* main_window = nullptr;
void (*space_hook)() = nullptr;

namespace {

bool quit_posted = false;
bool cursor_shown = true;

void message_box(const char* text)
{
    SDL_Window* owner = main_window ? static_cast<SDL_Window*>(main_window->sdl_window) : nullptr;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Vorlane 3D", text, owner);
}

}  // namespace

bool display_exists()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
}

window* create_window(int width, int height, bool windowed, int display)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        fatal("RegisterClass");
    if (display_exists())
        fatal_message_box = message_box;

    // The device draws into its own back buffer and only copies it to the
    // window, which therefore needs no depth buffer of its own.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);

    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI;
    // Full screen keeps the desktop's mode: the back buffer is scaled into
    // it with its aspect kept, so any resolution fills the screen.
    flags |= windowed ? SDL_WINDOW_RESIZABLE | SDL_WINDOW_MAXIMIZED : SDL_WINDOW_FULLSCREEN_DESKTOP;
    // The display the dialog was on may be gone by now.
    if (display < 0 || display >= SDL_GetNumVideoDisplays())
        display = 0;
    const int centred = int(SDL_WINDOWPOS_CENTERED_DISPLAY(display));
    SDL_Window* sdl_window =
        width > 0 && height > 0 ? SDL_CreateWindow("Vorlane 3D", centred, centred, width, height, flags) : nullptr;
    if (!sdl_window)
        fatal("CreateWindow");

    auto* w = new window;
    w->width = width;
    w->height = height;
    w->windowed = windowed;
    w->display = std::max(0, SDL_GetWindowDisplayIndex(sdl_window));
    w->sdl_window = sdl_window;
    main_window = w;
    SDL_ShowCursor(cursor_shown ? SDL_ENABLE : SDL_DISABLE);
    return w;
}

void close_platform()
{
    main_window = nullptr;
    fatal_message_box = nullptr;
    // SDL unloads the GL driver here. Every library loaded by now stays
    // mapped until the process ends, so that what reads the process at its
    // end (a leak check, a debugger's backtrace) can still name them.
    std::vector<std::string> loaded;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* names) {
            if (info->dlpi_name && *info->dlpi_name)
                static_cast<std::vector<std::string>*>(names)->push_back(info->dlpi_name);
            return 0;
        },
        &loaded);
    for (const std::string& name : loaded)
        dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
    SDL_Quit();
}

int sync_to_display()
{
    if (SDL_GL_SetSwapInterval(-1) == 0)
        return -1;
    return SDL_GL_SetSwapInterval(1) == 0 ? 1 : 0;
}

window_message peek_message()
{
    if (quit_posted)
        return window_message::quit;
    SDL_Event e;
    if (!SDL_PollEvent(&e))
        return window_message::none;
    switch (e.type) {
    case SDL_QUIT:
        // Closing the window ends the show at once, without the closing
        // steps; the audio thread may still be running, hence _Exit.
        std::_Exit(0);
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_CLOSE)
            std::_Exit(0);
        break;
    case SDL_KEYDOWN:
        if (e.key.keysym.sym == SDLK_ESCAPE)
            quit_posted = true;
        else if (e.key.keysym.sym == SDLK_SPACE && space_hook)
            space_hook();
        break;
    }
    return window_message::other;
}

void show_cursor(bool show)
{
    cursor_shown = show;
    if (SDL_WasInit(SDL_INIT_VIDEO))
        SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

}  // namespace vorlane
