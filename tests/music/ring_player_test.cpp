// The ring player and the song clock, on the virtual device (advanced by
// hand) and on the null device (with the real audio thread).
#include "music/mixer.h"
#include "music/ring_player.h"
#include "music/sequencer.h"
#include "platform/wave_out_virtual.h"
#include "tests/music/xm_builder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <thread>

namespace vorlane {
namespace {

class ring_player_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto d = std::make_unique<wave_out_virtual>();
        device = d.get();
        sound_use_output(std::move(d));
        module.channels = 2;
        module.speed = 6;
        module.bpm = 100;
        module.patterns.push_back(test::empty_pattern(32, 2));
        module.patterns[0].cells[0] = {49, 1, 0, 0, 0};
        module.instruments.push_back(test::single_sample_instrument(test::square_sample()));
    }

    void TearDown() override
    {
        if (s)
            song_free(s);
        sound_close();
        sound_use_output(nullptr);
    }

    void load_and_init(int rate = 44100)
    {
        bytes = test::build_xm(module);
        s = test::load_module(bytes);
        ASSERT_NE(s, nullptr);
        ASSERT_TRUE(sound_init(rate, 0));
    }

    // The device plays one more block and the audio thread's poll follows.
    void play_block()
    {
        device->advance(std::uint32_t(block_samples));
        output_poll();
    }

    test::xm_module module;
    std::vector<std::uint8_t> bytes;
    song* s = nullptr;
    wave_out_virtual* device = nullptr;
};

TEST_F(ring_player_test, sound_init_needs_the_file_operations)
{
    set_file_callbacks(nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(sound_init(44100, 0));
    install_mem_file_callbacks();
    EXPECT_TRUE(sound_init(44100, 0));
}

TEST_F(ring_player_test, null_songs_are_refused_and_queries_give_0)
{
    load_and_init();
    EXPECT_FALSE(song_play(nullptr));
    EXPECT_FALSE(song_stop(nullptr));
    EXPECT_EQ(song_get_time(nullptr), 0);
    EXPECT_EQ(song_get_order(s), 0);  // nothing plays yet
}

TEST_F(ring_player_test, the_first_block_reports_the_state_after_block_0)
{
    load_and_init();
    ASSERT_TRUE(song_play(s));
    EXPECT_EQ(song_get_order(s), 0);
    EXPECT_EQ(song_get_row(s), 0);
    EXPECT_EQ(song_get_time(s), 20);
    // The whole ring was mixed ahead.
    EXPECT_EQ(fill_block, 0);
}

TEST_F(ring_player_test, clock_gains_20_19_19_19_19_20_over_the_first_blocks)
{
    load_and_init();
    ASSERT_TRUE(song_play(s));
    const int expected[] = {20, 39, 58, 77, 96, 116};
    for (int t : expected) {
        EXPECT_EQ(song_get_time(s), t);
        play_block();
    }
}

TEST_F(ring_player_test, clock_reads_57703_ms_after_3000_blocks_at_bpm_100)
{
    load_and_init();
    ASSERT_TRUE(song_play(s));
    for (int b = 100; b < 3000; ++b)
        play_block();
    EXPECT_EQ(s->time_ms, 57703);
    // The block being heard is 99 behind the mixer.
    for (int b = 0; b < 99; ++b)
        play_block();
    EXPECT_EQ(song_get_time(s), 57703);
}

std::int32_t run_ms_by_tick_length(song* s, int tick_frames)
{
    static int frames = 0;
    frames = tick_frames;
    s->tick_handler = [](song* x) { x->tick_samples = frames; };
    s->tick_samples_left = 0;
    s->time_ms = 0;
    mix_block();
    return s->time_ms;
}

TEST_F(ring_player_test, clock_truncates_each_run)
{
    load_and_init();
    ASSERT_TRUE(song_play(s));
    // One 884-frame block cut into runs by ticks of the given length.
    EXPECT_EQ(run_ms_by_tick_length(s, 2), 0);       // 442 runs of 0 ms
    EXPECT_EQ(run_ms_by_tick_length(s, 45), 19);     // 19 runs of 1 ms, 29 frames of 0
    EXPECT_EQ(run_ms_by_tick_length(s, 441), 18);    // 9 + 9 + 0
    EXPECT_EQ(run_ms_by_tick_length(s, 882), 19);    // 19 + 0
    EXPECT_EQ(run_ms_by_tick_length(s, 884), 20);
}

TEST_F(ring_player_test, a_row_of_6_ticks_lasts_6612_frames_at_bpm_100)
{
    load_and_init();
    ASSERT_TRUE(song_play(s));
    EXPECT_EQ(s->tick_samples, 1102);
    // Block b records the row playing at frame (b + 1) * 884: row 1 starts
    // at frame 6612, inside block 7.
    for (int b = 0; b < 7; ++b) {
        EXPECT_EQ(song_get_row(s), 0) << b;
        play_block();
    }
    EXPECT_EQ(song_get_row(s), 1);
}

TEST_F(ring_player_test, queries_follow_the_heard_block_not_the_mixer)
{
    module.speed = 1;
    load_and_init();
    ASSERT_TRUE(song_play(s));
    // At speed 1 and BPM 100 a row is 1102 frames: the row heard in block b
    // is the one playing at its end.
    for (int b = 0; b < 40; ++b) {
        int frames = (b + 1) * 884;
        int row = ((frames - 1) / 1102) % 32;
        ASSERT_EQ(song_get_row(s), row) << b;
        play_block();
    }
}

TEST_F(ring_player_test, a_late_poll_across_the_ring_end_catches_up)
{
    load_and_init();
    ASSERT_TRUE(song_play(s));
    device->advance(std::uint32_t(98 * block_samples));
    output_poll();
    EXPECT_EQ(fill_block, 98);
    const int before = song_get_time(s);
    // The device jumps to block 2 of the next round before the thread looks
    // (a starved audio thread, a large device buffer): the blocks it
    // finished are re-mixed and the clock moves on by four blocks.
    device->advance(std::uint32_t(4 * block_samples));
    output_poll();
    EXPECT_EQ(fill_block, 2);
    const int after = song_get_time(s);
    EXPECT_GE(after - before, 4 * 19);
    EXPECT_LE(after - before, 4 * 20);
    play_block();
    EXPECT_EQ(fill_block, 3);
}

TEST_F(ring_player_test, virtual_device_writes_what_it_plays_to_a_wav_file)
{
    load_and_init();
    std::string path = ::testing::TempDir() + "ring_player_test.wav";
    ASSERT_TRUE(device->record_to(path.c_str()));
    ASSERT_TRUE(song_play(s));
    for (int b = 0; b < 10; ++b)
        play_block();
    sound_close();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    std::vector<std::uint8_t> wav(44 + 10 * 884 * 4 + 1);
    std::size_t n = std::fread(wav.data(), 1, wav.size(), f);
    std::fclose(f);
    ASSERT_EQ(n, 44u + 10 * 884 * 4);
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(wav[24] | wav[25] << 8, 44100);
    EXPECT_EQ(wav[34], 16);
    std::uint32_t data = wav[40] | wav[41] << 8 | wav[42] << 16 | std::uint32_t(wav[43]) << 24;
    EXPECT_EQ(data, 10u * 884 * 4);
    // The note is heard from the first frame: a square wave at level 63 of 255.
    std::int16_t first = std::int16_t(wav[44] | wav[45] << 8);
    EXPECT_EQ(first, 0);  // the volume ramp starts from silence
    int loud = 0;
    for (std::size_t i = 44; i + 1 < n; i += 2)
        loud += std::abs(std::int16_t(wav[i] | wav[i + 1] << 8)) > 6000;
    EXPECT_GT(loud, 1000);
    std::remove(path.c_str());
}

TEST_F(ring_player_test, mixing_at_22050)
{
    load_and_init(22050);
    ASSERT_TRUE(song_play(s));
    EXPECT_EQ(block_samples, 444);
    EXPECT_EQ(s->tick_samples, 551);
}

TEST_F(ring_player_test, replaying_after_a_free_never_touches_the_freed_samples)
{
    load_and_init();
    ASSERT_TRUE(song_play(s));
    song_free(s);
    module.channels = 1;
    module.patterns[0] = test::empty_pattern(32, 1);
    bytes = test::build_xm(module);
    s = test::load_module(bytes);
    ASSERT_NE(s, nullptr);
    ASSERT_TRUE(song_play(s));
    EXPECT_EQ(voices[1].sample, nullptr);
    for (int b = 0; b < 5; ++b)
        play_block();
    EXPECT_EQ(song_get_time(s), 116);  // play_block restarted with the new song
}

TEST_F(ring_player_test, a_failed_load_does_not_stop_the_playing_song)
{
    load_and_init();
    ASSERT_TRUE(song_play(s));
    std::vector<std::uint8_t> junk(100, 1);
    mem_file_set_source(junk.data(), 100);
    EXPECT_EQ(song_load("junk", nullptr), nullptr);
    play_block();
    EXPECT_EQ(song_get_time(s), 39);
}

class threaded_player_test : public ring_player_test {
protected:
    void SetUp() override
    {
        ring_player_test::SetUp();
        sound_use_output(wave_out_create(wave_out_kind::null));
    }
};

TEST_F(threaded_player_test, the_audio_thread_follows_the_clock_and_stops)
{
    load_and_init();
    ASSERT_TRUE(song_play(s));
    while (song_get_time(s) < 100)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(song_stop(s));
    EXPECT_EQ(song_get_time(s), 0);  // nothing plays
    EXPECT_GE(s->time_ms, 2000);     // the ring plus what was heard, mixed ahead
}

TEST_F(threaded_player_test, stop_right_after_play_and_repeated_cycles_return)
{
    load_and_init();
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(song_play(s));
        EXPECT_TRUE(song_stop(s));
    }
    ASSERT_TRUE(song_play(s));
    EXPECT_TRUE(song_free(s));  // stops the thread first
    s = nullptr;
}

TEST_F(threaded_player_test, sound_close_stops_a_playing_song)
{
    load_and_init();
    ASSERT_TRUE(song_play(s));
    sound_close();
    EXPECT_EQ(song_get_time(s), 0);
}

TEST_F(threaded_player_test, exit_while_playing_stops_the_thread_instead_of_aborting)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            load_and_init();
            song_play(s);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            std::exit(0);  // as a library does on a lost display
        },
        testing::ExitedWithCode(0), "");
}

// The sound card kind on SDL's dummy driver, which consumes the ring in
// real time without a sound card.
class sdl_player_test : public ring_player_test {
protected:
    void SetUp() override
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ring_player_test::SetUp();
        sound_use_output(wave_out_create(wave_out_kind::card));
    }
};

TEST_F(sdl_player_test, the_clock_follows_what_the_device_consumes)
{
    load_and_init();
    ASSERT_TRUE(song_play(s));
    EXPECT_EQ(song_get_time(s), 20);
    int last = 0;
    while (song_get_time(s) < 200) {
        int t = song_get_time(s);
        ASSERT_GE(t, last);  // never runs backwards
        last = t;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(song_stop(s));
}

}  // namespace
}  // namespace vorlane
