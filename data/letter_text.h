// The text that the letter cylinder spells out one letter at a time; its
// terminating zero shows as an empty letter before the text starts over.
#pragma once

namespace vorlane {

inline constexpr int letter_text_length = 13;
inline constexpr const char letter_text[letter_text_length + 1] = "ViRkoLANuSepH";

}  // namespace vorlane
