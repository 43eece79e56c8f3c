// The camera cuts of the metaball part: one (a, b) pair of angle-table
// indices per cut, taken in order.
#pragma once

namespace vorlane {

struct camera_angle {
    unsigned char a = 0;  // sin_table / cos_table index: angle away from the x axis
    unsigned char b = 0;  // sin_table / cos_table index: turn about the x axis
};

inline constexpr int camera_angle_count = 14;
inline constexpr camera_angle camera_angles[camera_angle_count] = {
    {76, 115}, {230, 5},  {180, 49},  {14, 170},  {173, 207}, {213, 176}, {202, 39},
    {255, 216}, {157, 20}, {77, 244}, {121, 39}, {89, 66},   {124, 156}, {193, 248},
};

}  // namespace vorlane
