// The engine brought up once per test program on a small window; SDL's
// offscreen driver gives it a software OpenGL context without a display.
#pragma once

#include "engine/engine.h"

namespace vorlane {

inline constexpr int test_width = 64;
inline constexpr int test_height = 48;

inline engine& test_engine()
{
    static bool ready = [] {
        myengine.init(test_width, test_height, true);
        pd3dDev = myengine.pd3dDev;
        return true;
    }();
    (void)ready;
    return myengine;
}

}  // namespace vorlane
