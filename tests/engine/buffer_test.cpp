#include "engine/index_buffer.h"
#include "engine/vertex_buffer.h"
#include "tests/engine/test_engine.h"

#include <gtest/gtest.h>

namespace vorlane {
namespace {

TEST(vertex_buffer_test, growth_doubles_and_keeps_the_written_vertices)
{
    vertex_buffer vb(*test_engine().pd3dDev, vertex_fvf, 0);
    EXPECT_EQ(vb.capacity, 10);
    vb.lock();
    for (int i = 0; i < 10; ++i)
        vb.vertex(i)->x = static_cast<float>(i);
    EXPECT_EQ(vb.capacity, 10);

    vb.vertex(10)->x = 10;
    EXPECT_EQ(vb.capacity, 20);
    EXPECT_TRUE(vb.locked);
    EXPECT_EQ(vb.buffer->length, 20u * 32u);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(vb.vertex(i)->x, i);

    vb.vertex(40)->u = 0.5f;  // twice more: 40, then 80
    EXPECT_EQ(vb.capacity, 80);
    for (int i = 0; i <= 10; ++i)
        EXPECT_EQ(vb.vertex(i)->x, i);
    vb.unlock();

    // The contents survive an unlock and the next lock.
    vb.lock();
    EXPECT_EQ(vb.vertex(40)->u, 0.5f);
    EXPECT_EQ(vb.vertex(7)->x, 7);
    vb.unlock();
}

TEST(vertex_buffer_test, two_locks_are_undone_by_one_unlock)
{
    vertex_buffer vb(*test_engine().pd3dDev, vertex_fvf, 0);
    vb.lock();
    vb.lock();
    vb.unlock();
    EXPECT_FALSE(vb.locked);
    EXPECT_FALSE(vb.buffer->buffer.locked);
    vb.unlock();  // a second unlock does nothing
    EXPECT_FALSE(vb.locked);
}

TEST(index_buffer_test, growth_doubles_and_keeps_the_written_indices)
{
    index_buffer ib(*test_engine().pd3dDev, 0);
    EXPECT_EQ(ib.capacity, 10);
    EXPECT_EQ(ib.buffer->length, 20u);
    ib.lock();
    for (int i = 0; i < 10; ++i)
        *ib.index(i) = static_cast<std::uint16_t>(1000 + i);
    *ib.index(10) = 7;
    EXPECT_EQ(ib.capacity, 20);
    *ib.index(40) = 9;
    EXPECT_EQ(ib.capacity, 80);
    EXPECT_EQ(ib.buffer->length, 160u);
    ib.unlock();
    ib.lock();
    ib.lock();
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(*ib.index(i), 1000 + i);
    EXPECT_EQ(*ib.index(10), 7);
    EXPECT_EQ(*ib.index(40), 9);
    ib.unlock();
    EXPECT_FALSE(ib.locked);
}

TEST(buffer_death_test, access_without_lock_or_before_the_start_is_fatal)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            vertex_buffer vb(*test_engine().pd3dDev, vertex_fvf, 0);
            vb.vertex(0);
        },
        testing::ExitedWithCode(255), "^Trying to access unlocked buffer\n");
    EXPECT_EXIT(
        {
            index_buffer ib(*test_engine().pd3dDev, 0);
            ib.lock();
            ib.unlock();
            ib.index(3);
        },
        testing::ExitedWithCode(255), "^Trying to access unlocked buffer\n");
    EXPECT_EXIT(
        {
            vertex_buffer vb(*test_engine().pd3dDev, vertex_fvf, 0);
            vb.lock();
            vb.vertex(-1);
        },
        testing::ExitedWithCode(255), "^Trying to access unlocked buffer\n");
}

}  // namespace
}  // namespace vorlane
