// The glowing texts of the metaball part: nine flying words, then 21 lines
// of program text shown in four scrolling blocks.
#pragma once

namespace vorlane {

inline constexpr int text_line_count = 30;
inline constexpr int first_code_line = 9;

// Code lines keep their leading spaces; they are part of the picture.
extern const char* const text_lines[text_line_count];

}  // namespace vorlane
