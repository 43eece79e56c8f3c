#include "platform/setup_dialog_state.h"

#include <iterator>

namespace vorlane {

void setup_dialog_state::press(dialog_key key)
{
    switch (key) {
    case dialog_key::enter:
        outcome = dialog_outcome::confirmed;
        return;
    case dialog_key::escape:
        outcome = dialog_outcome::cancelled;
        return;
    case dialog_key::tab:
        // The list and the group of mode buttons are the two tab stops.
        focus = focus == dialog_focus::list ? dialog_focus::mode : dialog_focus::list;
        return;
    default:
        break;
    }
    const bool back = key == dialog_key::up || key == dialog_key::left;
    if (focus == dialog_focus::mode) {
        loop = !back;
    } else if (key == dialog_key::up || key == dialog_key::down) {
        const int last = static_cast<int>(std::size(setup_resolutions)) - 1;
        selection = back ? (selection > 0 ? selection - 1 : 0) : (selection < last ? selection + 1 : last);
    }
}

void setup_dialog_state::click(int x, int y)
{
    for (int i = 0; i < static_cast<int>(std::size(setup_resolutions)); ++i) {
        if (setup_layout::list_row(i).contains(x, y)) {
            selection = i;
            focus = dialog_focus::list;
            return;
        }
    }
    if (setup_layout::normal_button.contains(x, y) || setup_layout::loop_button.contains(x, y)) {
        loop = setup_layout::loop_button.contains(x, y);
        focus = dialog_focus::mode;
    }
}

}  // namespace vorlane
