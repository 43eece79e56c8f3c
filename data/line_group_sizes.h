// How the 21 code lines of the metaball part fall into scrolling blocks.
#pragma once

namespace vorlane {

inline constexpr int line_group_count = 4;
inline constexpr int line_group_sizes[line_group_count] = {5, 5, 4, 7};

}  // namespace vorlane
