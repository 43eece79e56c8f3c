// Part 2 as the show builds it: part 1 on a fresh scene and one of its
// last frames drawn (part 2 starts from the device state it leaves), then
// part 2 on the same scene with the effect list emptied, at a chosen part
// time (ms).
#pragma once

#include "parts/part2.h"
#include "scene/frame.h"
#include "tests/parts/parts_test_support.h"

namespace vorlane {

inline part2& second_part(scene& s, int part2_time)
{
    parts_fonts();
    set_part_time(0);
    s.make<part1>();
    set_part_time(19400);
    render(s);
    set_part_time(part2_time);
    s.no_effects = 0;
    return *s.make<part2>();
}

}  // namespace vorlane
