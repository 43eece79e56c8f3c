// The show's fixed texts and small tables.
#include "data/camera_angles.h"
#include "data/flash_times.h"
#include "data/label_texts.h"
#include "data/letter_text.h"
#include "data/line_group_sizes.h"
#include "data/text_lines.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vorlane {
namespace {

int leading_spaces(const char* s)
{
    int n = 0;
    while (s[n] == ' ')
        ++n;
    return n;
}

TEST(text_lines, code_lines_keep_their_indentation)
{
    const int spaces[21] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 7, 7, 7, 11, 12};
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(leading_spaces(text_lines[first_code_line + i]), spaces[i]) << "line " << first_code_line + i;
    EXPECT_STREQ(text_lines[24], "    {");
    EXPECT_STREQ(text_lines[29], "            part=new part2(*myscene);");
    for (int i = 0; i < text_line_count; ++i)
        EXPECT_GT(std::strlen(text_lines[i]), 0u);
}

TEST(text_lines, words_come_first_and_the_blocks_cover_the_code)
{
    EXPECT_STREQ(text_lines[0], "one");
    EXPECT_STREQ(text_lines[5], "four");
    EXPECT_STREQ(text_lines[8], "444");
    EXPECT_STREQ(text_lines[first_code_line], "t=etime.count(time);");
    int sum = 0;
    for (int g = 0; g < line_group_count; ++g)
        sum += line_group_sizes[g];
    EXPECT_EQ(sum, text_line_count - first_code_line);
}

TEST(label_texts, product_word_ends_in_the_umlaut_byte)
{
    ASSERT_EQ(std::strlen(product_text), 4u);
    EXPECT_EQ(static_cast<unsigned char>(product_text[3]), 0xE4);
    EXPECT_EQ(std::strlen(title_text), 5u);
    // The series labels count up from their last character.
    EXPECT_EQ(green_series_text[4], '0');
    EXPECT_EQ(blue_series_text[4], '0');
}

TEST(letter_text, spells_thirteen_letters_then_the_end)
{
    EXPECT_EQ(std::strlen(letter_text), static_cast<std::size_t>(letter_text_length));
    EXPECT_EQ(letter_text[letter_text_length], '\0');
}

TEST(small_tables, camera_cuts_and_flashes)
{
    EXPECT_EQ(camera_angles[0].a, 76);
    EXPECT_EQ(camera_angles[0].b, 115);
    EXPECT_EQ(camera_angles[camera_angle_count - 1].a, 193);
    EXPECT_EQ(camera_angles[camera_angle_count - 1].b, 248);
    for (int i = 1; i < flash_time_count; ++i)
        EXPECT_LT(flash_times[i - 1], flash_times[i]);
}

}  // namespace
}  // namespace vorlane
