#include "platform/setup_dialog.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace vorlane {
namespace {

setup_dialog_state after(std::initializer_list<dialog_key> keys)
{
    setup_dialog_state s;
    for (dialog_key k : keys)
        s.press(k);
    return s;
}

TEST(setup_dialog_state_test, enter_untouched_starts_at_640_by_480_in_normal_mode)
{
    const setup_dialog_state s = after({dialog_key::enter});
    EXPECT_EQ(s.outcome, dialog_outcome::confirmed);
    EXPECT_EQ(s.chosen().width, 640);
    EXPECT_EQ(s.chosen().height, 480);
    EXPECT_FALSE(s.loop);
}

TEST(setup_dialog_state_test, up_and_down_walk_the_list_and_stop_at_its_ends)
{
    setup_dialog_state s = after({dialog_key::down, dialog_key::down, dialog_key::down, dialog_key::enter});
    EXPECT_EQ(s.outcome, dialog_outcome::confirmed);
    EXPECT_EQ(s.chosen().width, 1280);
    EXPECT_EQ(s.chosen().height, 1024);

    s = after({dialog_key::down, dialog_key::down, dialog_key::down, dialog_key::down, dialog_key::down});
    EXPECT_EQ(s.selection, 3);
    EXPECT_EQ(s.outcome, dialog_outcome::open);
    s = after({dialog_key::up, dialog_key::down, dialog_key::down, dialog_key::up});
    EXPECT_EQ(s.selection, 1);
    EXPECT_EQ(s.chosen().width, 800);
    EXPECT_EQ(s.chosen().height, 600);
    // The list keeps its choice whatever the arrows across it do.
    s = after({dialog_key::right, dialog_key::left, dialog_key::left});
    EXPECT_EQ(s.selection, 0);
    EXPECT_FALSE(s.loop);
}

TEST(setup_dialog_state_test, escape_and_the_close_box_cancel_whatever_was_chosen)
{
    EXPECT_EQ(after({dialog_key::escape}).outcome, dialog_outcome::cancelled);
    EXPECT_EQ(after({dialog_key::down, dialog_key::tab, dialog_key::down, dialog_key::escape}).outcome,
              dialog_outcome::cancelled);
    setup_dialog_state s = after({dialog_key::down});
    s.close();
    EXPECT_EQ(s.outcome, dialog_outcome::cancelled);
}

TEST(setup_dialog_state_test, tab_hands_the_arrows_to_the_mode_buttons_and_back)
{
    setup_dialog_state s = after({dialog_key::tab, dialog_key::down});
    EXPECT_EQ(s.focus, dialog_focus::mode);
    EXPECT_TRUE(s.loop);
    EXPECT_EQ(s.selection, 0);
    s.press(dialog_key::up);
    EXPECT_FALSE(s.loop);
    s.press(dialog_key::right);
    EXPECT_TRUE(s.loop);
    s.press(dialog_key::tab);
    EXPECT_EQ(s.focus, dialog_focus::list);
    s.press(dialog_key::down);
    s.press(dialog_key::enter);
    EXPECT_EQ(s.selection, 1);
    EXPECT_TRUE(s.loop);  // recorded with the resolution
    EXPECT_EQ(s.outcome, dialog_outcome::confirmed);
}

TEST(setup_dialog_state_test, a_click_chooses_what_it_hits_and_takes_the_keyboard_there)
{
    setup_dialog_state s;
    const dialog_rect row = setup_layout::list_row(2);
    s.click(row.x + row.width - 1, row.y);
    EXPECT_EQ(s.selection, 2);
    s.click(setup_layout::loop_button.x + 3, setup_layout::loop_button.y + 8);
    EXPECT_TRUE(s.loop);
    EXPECT_EQ(s.focus, dialog_focus::mode);
    s.press(dialog_key::up);  // the arrows now move the mode, not the list
    EXPECT_FALSE(s.loop);
    EXPECT_EQ(s.selection, 2);

    // The label, the list's frame and the space around change nothing.
    const setup_dialog_state before = s;
    const dialog_rect& list = setup_layout::list;
    s.click(setup_layout::mode_label.x + 1, setup_layout::mode_label.y + 1);
    s.click(list.x, list.y);
    s.click(list.x + list.width - 1, list.y + list.height - 1);
    s.click(setup_layout::width - 1, setup_layout::height - 1);
    s.click(-5, -5);
    EXPECT_EQ(s.selection, before.selection);
    EXPECT_EQ(s.loop, before.loop);
    EXPECT_EQ(s.focus, before.focus);

    s.click(row.x, setup_layout::list_row(3).y + setup_layout::row_height - 1);
    EXPECT_EQ(s.selection, 3);
    EXPECT_EQ(s.focus, dialog_focus::list);
    EXPECT_EQ(s.outcome, dialog_outcome::open);
}

// The first picture: every row's name drawn, the first row highlighted,
// "Normal" checked and "Loop" not.
class setup_dialog_picture_test : public testing::TestWithParam<int> {
protected:
    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y * scale * width + x * scale)]; }

    // Pixels in r (scale-1 units) that differ from the colour of its
    // top-left corner: the ink drawn on its background.
    int ink(const dialog_rect& r) const
    {
        const std::uint32_t ground = pixels[std::size_t(r.y * scale * width + r.x * scale)];
        int count = 0;
        for (int y = r.y * scale; y < (r.y + r.height) * scale; ++y)
            for (int x = r.x * scale; x < (r.x + r.width) * scale; ++x)
                count += pixels[std::size_t(y * width + x)] != ground;
        return count;
    }

    void SetUp() override
    {
        scale = GetParam();
        width = setup_layout::width * scale;
        pixels = draw_setup_dialog(setup_dialog_state{}, scale);
    }

    int scale = 1;
    int width = 0;
    std::vector<std::uint32_t> pixels;
};

TEST_P(setup_dialog_picture_test, shows_the_four_entries_with_the_first_highlighted)
{
    ASSERT_EQ(pixels.size(), std::size_t(width) * std::size_t(setup_layout::height * scale));
    const std::uint32_t face = at(1, 1);
    const dialog_rect first = setup_layout::list_row(0);
    const std::uint32_t highlight = at(first.x + first.width - 2, first.y + 1);
    EXPECT_NE(highlight, face);
    for (int i = 0; i < 4; ++i) {
        const dialog_rect row = setup_layout::list_row(i);
        const std::uint32_t ground = at(row.x + row.width - 2, row.y + 1);
        EXPECT_EQ(ground == highlight, i == 0) << "row " << i;
        // Each name is drawn; the longer names leave more ink.
        EXPECT_GT(ink(row), 20 * scale * scale) << "row " << i;
    }
    EXPECT_GT(ink(setup_layout::list_row(3)), ink(setup_layout::list_row(1)));
    EXPECT_GT(ink(setup_layout::mode_label), 10 * scale * scale);

    // The dot sits in the centre of the checked button only.
    const auto centre = [&](const dialog_rect& r) { return at(r.x + 6, r.y + r.height / 2); };
    EXPECT_EQ(centre(setup_layout::normal_button) & 0xffffff, 0u);
    EXPECT_EQ(centre(setup_layout::loop_button) & 0xffffff, 0xffffffu);
}

TEST_P(setup_dialog_picture_test, the_highlight_follows_the_choice)
{
    setup_dialog_state s;
    s.press(dialog_key::down);
    s.press(dialog_key::down);
    const std::vector<std::uint32_t> moved = draw_setup_dialog(s, scale);
    const dialog_rect first = setup_layout::list_row(0);
    const dialog_rect third = setup_layout::list_row(2);
    const auto px = [&](const std::vector<std::uint32_t>& p, int x, int y) {
        return p[std::size_t(y * scale * width + x * scale)];
    };
    EXPECT_EQ(px(moved, third.x + 1, third.y + 1), px(pixels, first.x + 1, first.y + 1));
    EXPECT_EQ(px(moved, first.x + 1, first.y + 1), px(pixels, third.x + 1, third.y + 1));
}

INSTANTIATE_TEST_SUITE_P(scales, setup_dialog_picture_test, testing::Values(1, 2));

TEST(setup_dialog_window_test, without_a_display_there_is_no_dialog)
{
    // The tests run on SDL's offscreen driver, where nobody could answer.
    setup_dialog_state s;
    EXPECT_FALSE(run_setup_dialog(s));
    EXPECT_EQ(s.outcome, dialog_outcome::open);
}

}  // namespace
}  // namespace vorlane
