// The words on the labels that fly past in the camera flight: the title,
// the handle, the product word, and the bases of the two numbered series.
#pragma once

namespace vorlane {

inline constexpr const char* title_text = "R-KTV";
inline constexpr const char* handle_text = "vrell";
// Four bytes: "ebo" and 0xE4, an a-umlaut in the Windows code page.
inline constexpr const char* product_text = "ebo\xE4";
// Drawn five times each with the last digit raised by 0 ... 4.
inline constexpr const char* green_series_text = "GRN-0";
inline constexpr const char* blue_series_text = "BLU-0";

}  // namespace vorlane
