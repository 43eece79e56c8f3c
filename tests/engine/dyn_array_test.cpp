#include "engine/dyn_array.h"
#include "engine/matrix.h"

#include <gtest/gtest.h>

#include <string>

namespace vorlane {
namespace {

struct record {
    int number = -1;
    matrix world;
    std::string name = "fresh";
};

TEST(dyn_array, starts_with_five_elements_in_their_default_state)
{
    dyn_array<int> ints;
    EXPECT_EQ(ints.capacity, 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(*ints.at(i), 0);
    EXPECT_EQ(ints.capacity, 5);
}

TEST(dyn_array, growth_doubles_until_the_index_fits_and_keeps_old_elements)
{
    dyn_array<record> records;
    for (int i = 0; i < 5; ++i) {
        records.at(i)->number = i;
        records.at(i)->name = "kept " + std::to_string(i);
    }
    records.at(5);
    EXPECT_EQ(records.capacity, 10);
    records.at(37);
    EXPECT_EQ(records.capacity, 40);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(records.at(i)->number, i);
        EXPECT_EQ(records.at(i)->name, "kept " + std::to_string(i));
    }
    // New elements beyond the old capacity start in their default state.
    for (int i = 5; i < 40; ++i) {
        EXPECT_EQ(records.at(i)->number, -1);
        EXPECT_EQ(records.at(i)->name, "fresh");
        EXPECT_EQ(records.at(i)->world(3, 3), 1);
    }
}

TEST(dyn_array, moved_from_array_is_reported_not_read)
{
    dyn_array<int> a;
    dyn_array<int> b = std::move(a);
    *b.at(2) = 7;
    EXPECT_EQ(*b.at(2), 7);
    EXPECT_EXIT(a.at(0), testing::ExitedWithCode(255), "Jestem pierdolnietym pojebem");
    EXPECT_EXIT(b.at(-1), testing::ExitedWithCode(255), "Jestem pierdolnietym pojebem");
}

}  // namespace
}  // namespace vorlane
