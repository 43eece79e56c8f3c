// Part 3 on a fresh scene at part time 0, with the random sequence and
// the letter text at their start and a cue list of the test's own (with
// no song every cue in it is due at once, one per frame).
#pragma once

#include "clock/show_clock.h"
#include "parts/part3.h"
#include "scene/frame.h"
#include "tests/parts/parts_test_support.h"

#include <gtest/gtest.h>

#include <vector>

namespace vorlane {

struct part3_test : testing::Test {
    void SetUp() override
    {
        parts_fonts();
        set_part_time(0);
        rand_state = 1;
        letter_cursor = 0;
        queue_cues({});
        p = s.make<part3>();
    }
    void TearDown() override
    {
        cue_pos = cue_table;
        pd3dDev->set_render_target(p->saved_target, p->saved_depth);
    }

    // The values are handed out one per frame, from the next frame on.
    void queue_cues(std::initializer_list<unsigned char> values)
    {
        cue_pos = vorlane::queue_cues(cues, values);
    }

    // One whole frame at part time ms.
    void frame_at(int ms)
    {
        set_part_time(ms);
        render(s);
    }

    scene s{parts_engine(), 0};
    part3* p = nullptr;
    std::vector<cue> cues;
};

}  // namespace vorlane
