// The engine brought up once per test program on a small window; SDL's
// offscreen driver gives it a software OpenGL context without a display.
#pragma once

#include "engine/engine.h"
#include "platform/window.h"

namespace vorlane {

inline constexpr int test_width = 64;
inline constexpr int test_height = 48;

inline engine& test_engine()
{
    // Taken down when the program ends, before the leak check: that check
    // stops every thread of the process to scan its memory, and the
    // renderer's threads must be gone by then.
    static struct test_world {
        test_world()
        {
            myengine.init(test_width, test_height, true);
            pd3dDev = myengine.pd3dDev;
        }
        ~test_world()
        {
            myengine.shutdown();
            close_platform();
        }
    } world;
    return myengine;
}

}  // namespace vorlane
