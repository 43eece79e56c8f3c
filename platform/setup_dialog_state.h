// What the setup dialog knows apart from its window: the resolution list,
// the two mode buttons, which of them has the keyboard, where each control
// lies, and how keys and clicks change them. The window feeds it events and
// draws it.
#pragma once

namespace vorlane {

struct resolution {
    int width = 0;
    int height = 0;
    const char* name = "";
};

inline constexpr resolution setup_resolutions[4] = {
    {640, 480, "640x480"}, {800, 600, "800x600"}, {1024, 768, "1024x768"}, {1280, 1024, "1280x1024"}};

struct dialog_rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};

// Where the controls lie, in pixels at a scale of 1; the window scales the
// whole dialog by a whole factor to suit the display.
namespace setup_layout {
inline constexpr int width = 160;
inline constexpr int height = 122;
inline constexpr int text_height = 13;  // the cell of the dialog's 8 pt face
inline constexpr dialog_rect normal_button{8, 6, 72, 16};
inline constexpr dialog_rect loop_button{8, 24, 72, 16};
inline constexpr dialog_rect mode_label{96, 15, 40, 16};
inline constexpr dialog_rect list{8, 48, 144, 66};  // a one-pixel frame around four rows
inline constexpr int row_height = 16;

inline constexpr dialog_rect list_row(int i)
{
    return {list.x + 1, list.y + 1 + i * row_height, list.width - 2, row_height};
}
}  // namespace setup_layout

enum class dialog_key { up, down, left, right, tab, enter, escape };

enum class dialog_focus {
    list,  // Up and Down choose the resolution
    mode,  // the arrows choose between "Normal" and "Loop"
};

enum class dialog_outcome {
    open,
    confirmed,  // Enter: start the show with the choice
    cancelled,  // Escape or the close box: end without starting anything
};

struct setup_dialog_state {
    int selection = 0;  // into setup_resolutions
    bool loop = false;  // "Loop" checked; otherwise "Normal" is
    dialog_focus focus = dialog_focus::list;
    dialog_outcome outcome = dialog_outcome::open;
    // SDL's index of the display the dialog was on when Enter closed it:
    // the show's window opens there.
    int display = 0;

    void press(dialog_key key);
    // A left click at (x, y) in scale-1 pixels: a list row selects its
    // resolution, a mode button (its circle or its text) checks itself;
    // either takes the keyboard.
    void click(int x, int y);
    void close() { outcome = dialog_outcome::cancelled; }

    const resolution& chosen() const { return setup_resolutions[selection]; }
};

}  // namespace vorlane
