// The fourth part's world for its tests: the parts' engine and fonts with
// the text textures made once, as the start-up makes them.
#pragma once

#include "parts/part4.h"
#include "parts/text_textures.h"
#include "scene/frame.h"
#include "tests/parts/parts_test_support.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace vorlane {

inline void part4_textures()
{
    static bool ready = [] {
        parts_engine();
        parts_fonts();
        make_text_textures();
        return true;
    }();
    (void)ready;
}

// A fresh part 4 on a fresh scene, the clock at part time 0 and no cues
// due until a test hands some out.
struct part4_test : testing::Test {
    void SetUp() override
    {
        part4_textures();
        set_part_time(0);
        no_cues();
        p = s.make<part4>();
    }
    void TearDown() override { cue_pos = cue_table; }

    // Cues handed out one per get_cue call, then none.
    void hand_out(std::initializer_list<unsigned char> values) { cue_pos = queue_cues(cues, values); }
    void no_cues() { hand_out({}); }

    std::vector<std::uint32_t> frame_at(int ms)
    {
        set_part_time(ms);
        render(s);
        return frame_pixels();
    }

    std::vector<cue> cues;
    scene s{parts_engine(), 0};
    part4* p = nullptr;
};

}  // namespace vorlane
