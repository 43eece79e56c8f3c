// The render window and its messages: the stand-in for the Win32 window
// and its window procedure. Main thread only.
#pragma once

namespace vorlane {

class window {
public:
    int width = 0;   // the size asked for; the back buffer has this size
    int height = 0;
    bool windowed = false;
    int display = 0;             // SDL's index of the display it opened on
    void* sdl_window = nullptr;  // SDL_Window
};

// Starts the video system and opens the window titled "Vorlane 3D" on the
// given display (the primary one, 0, when there is no such display): full
// screen in the desktop's own mode, the back buffer scaled into it, or a
// window (shown maximised) when windowed. From then on fatal errors also
// show a message box owned by the window, when a display exists. Fatal
// "RegisterClass" when video cannot start, "CreateWindow" when the window
// cannot be made.
window* create_window(int width, int height, bool windowed, int display = 0);

// Makes every present from now on wait for the display's refresh, in a
// window as on the full screen: adaptive sync (a frame that is late is
// shown at once instead of a whole refresh later) where the driver offers
// it, plain sync otherwise. Until it is called, as in capture and the
// benchmark, presenting waits for nothing. Needs the device's context.
// Returns the swap interval now set: -1 adaptive, 1 plain, 0 when the
// driver offers neither.
int sync_to_display();

// Whether the running video driver shows windows on a screen, where a
// message box or a dialog can appear: not the headless offscreen and dummy
// drivers. False before the video system has started.
bool display_exists();

// Ends SDL, its windows and its sound devices, once the device is released
// and the sound closed: the display connection goes, and with it the
// software renderer's threads, so the process ends with its own threads
// only. Message boxes have no owner from then on.
void close_platform();

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
