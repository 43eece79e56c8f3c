// The mixer: sizes, interpolation, loop boundaries, volume ramps and the
// conversion to 16 bits.
#include "music/mixer.h"
#include "music/voice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vorlane {
namespace {

TEST(mixer_configure, sizes_at_44100_and_22050)
{
    mixer_configure(44100);
    EXPECT_EQ(block_samples, 884);
    EXPECT_EQ(ring_samples, 88400);
    EXPECT_EQ(num_blocks, 100);
    EXPECT_EQ(ramp_length, 128);
    EXPECT_FLOAT_EQ(ramp_scale, 1.0f / 128);
    mixer_configure(22050);
    EXPECT_EQ(block_samples, 444);
    EXPECT_EQ(ring_samples, 44400);
    EXPECT_EQ(num_blocks, 100);
    EXPECT_EQ(ramp_length, 64);
}

TEST(float_to_pcm16, rounds_half_to_even_and_saturates)
{
    const float in[] = {0.5f, 1.5f, 2.5f, -0.5f, -1.5f, 40000.0f, -40000.0f, 32767.4f, -32768.6f, 100.49f};
    const std::int16_t expected[] = {0, 2, 2, 0, -2, 32767, -32768, 32767, -32768, 100};
    std::int16_t out[10] = {};
    float_to_pcm16(out, in, 5);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(out[i], expected[i]) << i;
}

TEST(float_to_pcm16, every_group_of_values_converts_alike_whether_or_not_it_saturates)
{
    // 19 frames: groups of eight values are handled together, only the
    // middle group needs clamping, and the last six values are a tail.
    std::vector<float> in(38);
    for (std::size_t i = 0; i < in.size(); ++i)
        in[i] = static_cast<float>(i) * 1000.5f - 9000.0f;
    in[9] = 32767.5f;
    in[12] = -32768.5f;
    in[14] = 3e9f;
    std::vector<std::int16_t> out(in.size());
    float_to_pcm16(out.data(), in.data(), 19);
    for (std::size_t i = 0; i < in.size(); ++i) {
        const float clamped = std::min(32767.0f, std::max(-32768.0f, std::nearbyint(in[i])));
        EXPECT_EQ(out[i], static_cast<std::int16_t>(clamped)) << i;
    }
    EXPECT_EQ(out[9], 32767);
    EXPECT_EQ(out[12], -32768);
    EXPECT_EQ(out[14], 32767);
}

TEST(float_to_pcm16, nothing_for_no_frames_or_no_buffer)
{
    const float in[2] = {5, 5};
    std::int16_t out[2] = {7, 7};
    float_to_pcm16(out, in, 0);
    float_to_pcm16(out, nullptr, 1);
    float_to_pcm16(nullptr, in, 1);
    EXPECT_EQ(out[0], 7);
}

class mixer_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        mixer_configure(44100);
        clear_voices();
    }

    // A sample of the given values with room for the guard value and zeros.
    void make_sample(std::vector<std::int16_t> values, std::uint8_t mode, std::uint32_t loop_start,
                     std::uint32_t loop_length)
    {
        std::uint32_t length = std::uint32_t(values.size());
        values.resize(length + 8, 0);
        pcm = values;
        smp.pcm = pcm.data();
        smp.length = length;
        smp.loop_mode = mode;
        smp.loop_start = loop_start;
        smp.loop_length = loop_length;
        if (mode == loop_forward)
            pcm[loop_start + loop_length] = pcm[loop_start];
        if (mode == loop_pingpong)
            pcm[loop_start + loop_length] = pcm[loop_start + loop_length - 1];
    }

    // Voice 0 on the sample at full left level, no ramp pending.
    voice& start(double step, std::uint8_t left = 255, std::uint8_t right = 0)
    {
        voice& v = voices[0];
        v.sample = &smp;
        v.direction = direction_forward;
        v.step_int = int(step);
        v.step_frac = std::uint32_t((step - int(step)) * 4294967296.0);
        v.left_level = v.ramp_left = v.ramp_target_left = left;
        v.right_level = v.ramp_right = v.ramp_target_right = right;
        return v;
    }

    std::vector<float> mix(int frames)
    {
        std::vector<float> out(std::size_t(2 * frames), 0.0f);
        mix_voices(out.data(), frames);
        return out;
    }

    std::vector<std::int16_t> pcm;
    sample smp;
};

TEST_F(mixer_test, linear_interpolation_between_neighbours)
{
    make_sample({0, 1000, 3000, 3000, 3000, 3000}, loop_none, 0, 6);
    start(0.5);
    auto out = mix(4);
    EXPECT_FLOAT_EQ(out[0], 0);
    EXPECT_FLOAT_EQ(out[2], 500);
    EXPECT_FLOAT_EQ(out[4], 1000);
    EXPECT_FLOAT_EQ(out[6], 2000);
    EXPECT_FLOAT_EQ(out[1], 0);  // right level 0
}

TEST_F(mixer_test, the_last_loop_position_interpolates_towards_the_guard_value)
{
    make_sample({100, 200, 300, 400}, loop_forward, 1, 3);  // guard: 200
    voice& v = start(0.5);
    v.position = 3;
    auto out = mix(4);
    EXPECT_FLOAT_EQ(out[0], 400);
    EXPECT_FLOAT_EQ(out[2], 300);  // halfway to the guard value
    EXPECT_FLOAT_EQ(out[4], 200);  // wrapped to the loop start
    EXPECT_FLOAT_EQ(out[6], 250);
}

TEST_F(mixer_test, forward_loop_keeps_the_fraction_when_wrapping)
{
    make_sample(std::vector<std::int16_t>(10, 1), loop_forward, 2, 8);
    voice& v = start(3.25);
    v.position = 8;
    mix(1);
    // 8 + 3.25 = 11.25 -> 11.25 - 8 = 3.25
    EXPECT_EQ(v.position, 3);
    EXPECT_EQ(v.position_frac, 0x40000000u);
}

TEST_F(mixer_test, ping_pong_reflects_at_both_ends)
{
    make_sample(std::vector<std::int16_t>(1000, 1), loop_pingpong, 0, 1000);
    voice& v = start(1.0);
    v.position = 1010;
    v.position_frac = 0x80000000u;  // 10.5 beyond the loop end
    mix(1);
    // Reflected to just under 989.5, then one frame backward.
    EXPECT_EQ(v.direction, direction_backward);
    EXPECT_EQ(v.position, 988);
    EXPECT_EQ(v.position_frac, 0x7FFFFFFFu);

    v.position = 1;
    v.position_frac = 0;
    mix(3);  // frames at 1 and 0, then -1 reflects to just under 1, played forward
    EXPECT_EQ(v.direction, direction_forward);
    EXPECT_EQ(v.position, 1);
    EXPECT_EQ(v.position_frac, 0xFFFFFFFFu);
}

TEST_F(mixer_test, ping_pong_with_a_step_longer_than_the_loop_stays_inside)
{
    make_sample(std::vector<std::int16_t>(8, 1), loop_pingpong, 2, 3);
    voice& v = start(41.7);
    for (int i = 0; i < 50; ++i) {
        mix(7);
        ASSERT_GE(v.position, 2);
        ASSERT_LT(v.position, 5);
    }
}

TEST_F(mixer_test, a_sample_without_loop_ends_mid_block)
{
    make_sample(std::vector<std::int16_t>(100, 1000), loop_none, 0, 100);
    voice& v = start(1.0);
    auto out = mix(200);
    EXPECT_FLOAT_EQ(out[2 * 98], 1000);
    EXPECT_FLOAT_EQ(out[2 * 99], 1000);
    for (int i = 100; i < 200; ++i)
        ASSERT_EQ(out[2 * std::size_t(i)], 0.0f) << i;
    EXPECT_EQ(v.sample, nullptr);
    EXPECT_EQ(v.position, 0);
}

TEST_F(mixer_test, a_voice_on_the_empty_sample_ends_without_mixing)
{
    voice& v = voices[0];
    v.sample = &empty_sample;
    v.step_int = 1;
    auto out = mix(4);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(v.sample, nullptr);
}

TEST_F(mixer_test, a_level_change_ramps_over_ramp_length_frames)
{
    make_sample(std::vector<std::int16_t>(64, 1000), loop_forward, 0, 64);
    voice& v = start(1.0, 0, 0);
    v.left_level = 127;
    auto out = mix(300);
    EXPECT_FLOAT_EQ(out[0], 0);
    for (int i = 1; i < 128; ++i)
        ASSERT_GT(out[2 * std::size_t(i)], out[2 * std::size_t(i - 1)]) << i;
    EXPECT_NEAR(out[2 * 127], 1000.0f * 127 / 255 * 127 / 128, 0.5f);
    for (int i = 128; i < 300; ++i)
        ASSERT_NEAR(out[2 * std::size_t(i)], 1000.0f * (127.0f / 255.0f), 0.01f) << i;
    EXPECT_EQ(v.ramp_left, 127);
    EXPECT_EQ(v.ramp_remaining, 0);
    // The side that did not change stepped by 0.
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(out[2 * std::size_t(i) + 1], 0.0f);
}

TEST_F(mixer_test, a_ramp_cut_by_runs_and_loops_continues_where_it_stopped)
{
    make_sample(std::vector<std::int16_t>(37, 1000), loop_forward, 5, 32);
    start(1.0, 200, 10);
    voices[0].left_level = 20;
    voices[0].right_level = 120;
    auto whole = mix(400);

    clear_voices();
    start(1.0, 200, 10);
    voices[0].left_level = 20;
    voices[0].right_level = 120;
    std::vector<float> pieces;
    for (int n : {3, 50, 1, 90, 256}) {
        auto part = mix(n);
        pieces.insert(pieces.end(), part.begin(), part.end());
    }
    ASSERT_EQ(pieces.size(), whole.size());
    // Every pass end rounds the ramped levels to the 0..255 scale, so the
    // two may differ by one step of that scale, never by a jump.
    for (std::size_t i = 0; i < whole.size(); ++i)
        ASSERT_NEAR(pieces[i], whole[i], 1000.0f * 1.01f / 255) << i;
    EXPECT_EQ(voices[0].ramp_left, 20);
    EXPECT_EQ(voices[0].ramp_right, 120);
}

TEST_F(mixer_test, only_the_first_32_voices_are_mixed)
{
    make_sample(std::vector<std::int16_t>(64, 1000), loop_forward, 0, 64);
    start(1.0);
    voices[32] = voices[0];
    voices[0].sample = nullptr;
    auto out = mix(8);
    EXPECT_EQ(out[0], 0.0f);
}

}  // namespace
}  // namespace vorlane
