#include "engine/engine.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vorlane {
namespace {

// Runs in a fresh process of its own, so the states read are the ones
// init leaves, before any other test draws.
TEST(engine_init_death_test, init_sets_the_start_up_states)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            myengine.init(32, 24, true);
            const device& d = *myengine.pd3dDev;
            const device_state& s = d.state;
            bool ok = d.width == 32 && d.height == 24 && myengine.win != nullptr &&
                      s.zenable == D3DZB_TRUE && s.cullmode == D3DCULL_NONE &&
                      s.stages[0].min_filter == D3DTEXF_LINEAR &&
                      s.stages[0].mag_filter == D3DTEXF_LINEAR &&
                      s.stages[0].mip_filter == D3DTEXF_LINEAR &&
                      s.stages[1].min_filter == D3DTEXF_POINT && myengine.no_textures == 0 &&
                      myengine.textures.capacity == 5 && myengine.pictures.capacity == 5;
            myengine.shutdown();
            ok = ok && myengine.pd3dDev == nullptr;
            std::_Exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace vorlane
