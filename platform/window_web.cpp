// The render window in the browser: the page's canvas, sized to the back
// buffer (the page's style fits it into the page with its aspect kept and
// black around it), and the keys pressed on the page.

#include "platform/window.h"

#include "runtime/fatal.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstring>
#include <deque>

namespace vorlane {

window* main_window = nullptr;
void (*space_hook)() = nullptr;

namespace {

enum class page_key { escape, space, other };

bool quit_posted = false;
std::deque<page_key> keys;

EM_JS(void, page_fatal, (const char* text), { vorlane_page.fatal(UTF8ToString(text)); });
EM_JS(void, page_cursor, (int shown), { vorlane_page.cursor(shown != 0); });

void message_box(const char* text)
{
    page_fatal(text);
}

EM_BOOL key_down(int, const EmscriptenKeyboardEvent* e, void*)
{
    if (std::strcmp(e->key, "Escape") == 0)
        keys.push_back(page_key::escape);
    else if (std::strcmp(e->key, " ") == 0)
        keys.push_back(page_key::space);
    else
        return EM_FALSE;  // the browser's own keys go on working
    return EM_TRUE;
}

}  // namespace

bool display_exists()
{
    return true;
}

window* create_window(int width, int height, bool windowed, int display)
{
    fatal_message_box = message_box;
    if (width <= 0 || height <= 0 || emscripten_set_canvas_element_size("#canvas", width, height) != 0)
        fatal("CreateWindow");
    emscripten_set_window_title("Vorlane 3D");
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_TRUE, key_down);
    auto* w = new window;
    w->width = width;
    w->height = height;
    w->windowed = windowed;
    w->display = display;
    main_window = w;
    return w;
}

// The page keeps its canvas and context for the next show.
void close_platform()
{
    main_window = nullptr;
    fatal_message_box = nullptr;
}

int sync_to_display()
{
    // The browser's animation frames pace every present.
    return 1;
}

window_message peek_message()
{
    if (quit_posted)
        return window_message::quit;
    if (keys.empty())
        return window_message::none;
    const page_key key = keys.front();
    keys.pop_front();
    if (key == page_key::escape)
        quit_posted = true;
    else if (key == page_key::space && space_hook)
        space_hook();
    return window_message::other;
}

void show_cursor(bool show)
{
    page_cursor(show);
}

}  // namespace vorlane
