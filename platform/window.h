// The render window and its messages: the stand-in for the Win32 window
// and its window procedure. Main thread only.
#pragma once

namespace vorlane {

class window {
public:
    int width = 0;   // the size asked for; the back buffer has this size
    int height = 0;
    bool windowed = false;
    void* sdl_window = nullptr;  // SDL_Window
};

// Starts the video system and opens the window titled "Vorlane 3D": full
// screen on the desktop, or a window (shown maximised) when windowed. From
// then on fatal errors also show a message box owned by the window, when a
// display exists. Fatal "RegisterClass" when video cannot start,
// "CreateWindow" when the window cannot be made.
window* create_window(int width, int height, bool windowed);

// Whether the running video driver shows windows on a screen, where a
// message box or a dialog can appear: not the headless offscreen and dummy
// drivers. False before the video system has started.
bool display_exists();

// The window that owns message boxes; null until create_window.
extern window* main_window;

enum class window_message {
    none,   // nothing was waiting
    other,  // one message was taken and handled
    quit,   // the quit that Escape posted
};

// Takes at most one waiting message and handles it: Escape posts a quit,
// which a later call returns; Space calls space_hook; other keys are
// swallowed; closing the window ends the process at once with exit code 0.
window_message peek_message();

// Called on Space (the show logs the part time and the beat).
extern void (*space_hook)();

void show_cursor(bool show);

}  // namespace vorlane
