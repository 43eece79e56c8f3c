// The window's messages and failures. Each case runs in a fresh process
// (the quit Escape posts lasts for the life of the process, and failures
// end it).

#include "platform/device.h"
#include "platform/window.h"
#include "runtime/fatal.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace vorlane {
namespace {

class window_test : public ::testing::Test {
protected:
    static void SetUpTestSuite() { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

void open_and_drain()
{
    create_window(64, 64, true);
    while (peek_message() != window_message::none) {
    }
}

void push_key(SDL_Keycode key)
{
    SDL_Event e = {};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = key;
    SDL_PushEvent(&e);
}

int spaces = 0;

TEST_F(window_test, escape_posts_a_quit_that_the_next_peek_returns)
{
    EXPECT_EXIT(
        {
            open_and_drain();
            push_key(SDLK_ESCAPE);
            bool handled = peek_message() == window_message::other;
            bool quit = peek_message() == window_message::quit && peek_message() == window_message::quit;
            std::_Exit(handled && quit ? 3 : 4);
        },
        ::testing::ExitedWithCode(3), "");
}

TEST_F(window_test, space_calls_the_hook_and_other_keys_are_swallowed)
{
    EXPECT_EXIT(
        {
            open_and_drain();
            space_hook = [] { ++spaces; };
            push_key(SDLK_a);
            push_key(SDLK_SPACE);
            push_key(SDLK_RETURN);
            bool all_taken = peek_message() == window_message::other && peek_message() == window_message::other &&
                             peek_message() == window_message::other && peek_message() == window_message::none;
            std::_Exit(all_taken && spaces == 1 ? 3 : 4);
        },
        ::testing::ExitedWithCode(3), "");
}

TEST_F(window_test, closing_the_window_ends_the_process_with_code_zero)
{
    EXPECT_EXIT(
        {
            open_and_drain();
            SDL_Event e = {};
            e.type = SDL_QUIT;
            SDL_PushEvent(&e);
            peek_message();
            std::_Exit(4);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            open_and_drain();
            SDL_Event e = {};
            e.type = SDL_WINDOWEVENT;
            e.window.event = SDL_WINDOWEVENT_CLOSE;
            SDL_PushEvent(&e);
            peek_message();
            std::_Exit(4);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(window_test, headless_there_is_no_message_box)
{
    EXPECT_EXIT(
        {
            open_and_drain();
            std::_Exit(fatal_message_box == nullptr && main_window != nullptr ? 3 : 4);
        },
        ::testing::ExitedWithCode(3), "");
}

TEST_F(window_test, failures_end_with_their_texts_and_code_255)
{
    EXPECT_EXIT(create_window(0, 0, true), ::testing::ExitedWithCode(255), "^CreateWindow\n$");
    EXPECT_EXIT(
        {
            window* w = create_window(64, 64, true);
            create_device(*w, 1 << 20, 64);
        },
        ::testing::ExitedWithCode(255), "^Create3dDevice\n$");
    EXPECT_EXIT(
        {
            setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
            create_window(64, 64, true);
        },
        ::testing::ExitedWithCode(255), "^RegisterClass\n$");
}

TEST_F(window_test, a_display_that_is_gone_gives_way_to_the_primary_one)
{
    EXPECT_EXIT(
        {
            window* w = create_window(64, 64, true, 7);
            std::_Exit(w->display == 0 && SDL_GetWindowDisplayIndex(static_cast<SDL_Window*>(w->sdl_window)) == 0
                           ? 3
                           : 4);
        },
        ::testing::ExitedWithCode(3), "");
}

TEST_F(window_test, presenting_waits_for_the_display_only_once_asked_to)
{
    EXPECT_EXIT(
        {
            window* w = create_window(64, 48, false);
            create_device(*w, 64, 48);
            // Capture and the benchmark: no waiting.
            const bool free_running = SDL_GL_GetSwapInterval() == 0;
            const int interval = sync_to_display();
            const bool synced = (interval == -1 || interval == 1) && SDL_GL_GetSwapInterval() == interval;
            std::_Exit(free_running && synced ? 3 : 4);
        },
        ::testing::ExitedWithCode(3), "");
}

TEST(fit_back_buffer, keeps_the_aspect_with_bars_around)
{
    // 640 x 480 on a 1920 x 1080 screen: full height, bars left and right.
    present_rect r = fit_back_buffer(1920, 1080, 640, 480);
    EXPECT_EQ(r.x, 240);
    EXPECT_EQ(r.y, 0);
    EXPECT_EQ(r.width, 1440);
    EXPECT_EQ(r.height, 1080);
    // A tall window: full width, bars above and below.
    r = fit_back_buffer(800, 1000, 640, 480);
    EXPECT_EQ(r.x, 0);
    EXPECT_EQ(r.y, 200);
    EXPECT_EQ(r.width, 800);
    EXPECT_EQ(r.height, 600);
    // The same shape fills the window.
    r = fit_back_buffer(640, 480, 640, 480);
    EXPECT_EQ(r.width, 640);
    EXPECT_EQ(r.x, 0);
    // A minimised window gets nothing.
    r = fit_back_buffer(0, 0, 640, 480);
    EXPECT_EQ(r.width, 0);
}

}  // namespace
}  // namespace vorlane
