#include "clock/show_clock.h"
#include "data/song.h"
#include "driver/capture.h"
#include "driver/timeline.h"
#include "music/mem_file.h"
#include "music/mixer.h"
#include "music/ring_player.h"
#include "platform/wave_out_virtual.h"
#include "runtime/log.h"
#include "scene/effect.h"
#include "scene/scene.h"
#include "scene/scene_anim_effect.h"
#include "tests/engine/test_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace vorlane {
namespace {

constexpr int lengths[5] = {19500, 35000, 27420, 55840, 29666};
constexpr int round_length = 19500 + 35000 + 27420 + 55840 + 29666;  // 167426

// What the timeline asked for: each part built, where and when.
struct construction {
    int number = 0;
    scene* where = nullptr;
    int part_time = 0;  // get_parttime() as the constructor saw it
    int effects_before = 0;  // effects already in the scene
};
std::vector<construction> built;

// A part that only registers itself and sets its length, as the real
// ones do first.
class stand_in : public effect {
public:
    explicit stand_in(scene& s) { s.add_effect(this); ++alive; }
    ~stand_in() override { --alive; }
    static int alive;
};
int stand_in::alive = 0;

template <int number>
effect* make_stand_in(scene& s)
{
    built.push_back({number, &s, get_parttime(), s.no_effects});
    part_length = lengths[number - 1];
    return s.make<stand_in>();
}

int other_clock()
{
    return 12345;
}

// The timeline on stand-in parts. Without a song the song time reads 0,
// so the part time is set through the part start.
class timeline_test : public testing::Test {
protected:
    void SetUp() override
    {
        test_engine();
        std::copy(std::begin(part_makers), std::end(part_makers), saved);
        part_makers[0] = make_stand_in<1>;
        part_makers[1] = make_stand_in<2>;
        part_makers[2] = make_stand_in<3>;
        part_makers[3] = make_stand_in<4>;
        part_makers[4] = make_stand_in<5>;
        the_song = nullptr;
        built.clear();
        myscene = new scene(myengine, 0);
        time_func = get_parttime;
        start_timeline();
    }
    void TearDown() override
    {
        end_timeline();
        std::copy(std::begin(saved), std::end(saved), part_makers);
    }

    static void set_part_time(int ms) { part_start = get_time() - ms; }

    // Runs the timeline from part 1 up to the start of part n.
    static void run_to_part(int n)
    {
        while (cur_part != n) {
            set_part_time(part_length + 1);
            advance_parts();
        }
    }

    part_maker saved[5] = {};
};

TEST_F(timeline_test, a_part_time_equal_to_the_length_does_not_switch_one_more_does)
{
    ASSERT_EQ(built.size(), 1u);
    EXPECT_EQ(built[0].number, 1);
    EXPECT_EQ(cur_part, 1);
    set_part_time(19500);
    advance_parts();
    EXPECT_EQ(built.size(), 1u);
    EXPECT_EQ(cur_part, 1);

    set_part_time(19501);
    advance_parts();
    ASSERT_EQ(built.size(), 2u);
    EXPECT_EQ(built[1].number, 2);
    EXPECT_EQ(cur_part, 2);
    // The boundary moved by exactly the old length: 1 ms into part 2.
    EXPECT_EQ(get_parttime(), 1);
    EXPECT_EQ(built[1].part_time, 1);
}

TEST_F(timeline_test, a_stall_over_several_boundaries_builds_each_due_part_in_turn)
{
    const int start = part_start;
    set_part_time(19500 + 35000 + 27420 + 10);
    advance_parts();
    ASSERT_EQ(built.size(), 4u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(built[std::size_t(i)].number, i + 1);
    // Each constructor saw the part time of its own part: what is left of
    // the stall after the lengths before it.
    EXPECT_EQ(built[1].part_time, 35000 + 27420 + 10);
    EXPECT_EQ(built[2].part_time, 27420 + 10);
    EXPECT_EQ(built[3].part_time, 10);
    EXPECT_EQ(cur_part, 4);
    EXPECT_EQ(part_length, 55840);
    EXPECT_EQ(part_start, start - 19500 - 35000 - 27420 - 10 + 19500 + 35000 + 27420);
    EXPECT_EQ(get_parttime(), 10);
}

TEST_F(timeline_test, parts_2_and_5_go_on_in_the_scene_before_them_the_others_replace_it)
{
    scene* first = myscene;
    first->make<stand_in>();  // an effect part 1 made for itself
    run_to_part(2);
    EXPECT_EQ(myscene, first);
    EXPECT_EQ(built[1].effects_before, 0);
    EXPECT_EQ(first->no_effects, 1);
    EXPECT_EQ(first->effects.at(0)[0], part);
    EXPECT_EQ(stand_in::alive, 3);  // part 1 with its effect, and part 2

    // The replaced scene goes with all that was built for it.
    run_to_part(3);
    EXPECT_EQ(built[2].where, myscene);
    EXPECT_EQ(stand_in::alive, 1);

    run_to_part(4);
    scene* fourth = myscene;
    EXPECT_EQ(stand_in::alive, 1);
    fourth->make<stand_in>();

    run_to_part(5);
    EXPECT_EQ(myscene, fourth);
    EXPECT_EQ(built[4].effects_before, 0);
    EXPECT_EQ(fourth->no_effects, 1);
    EXPECT_EQ(stand_in::alive, 3);

    run_to_part(1);
    EXPECT_EQ(myscene->no_effects, 1);
    EXPECT_EQ(stand_in::alive, 1);

    end_timeline();
    EXPECT_EQ(stand_in::alive, 0);
    EXPECT_EQ(myscene, nullptr);
    myscene = new scene(myengine, 0);  // for TearDown's end
}

TEST_F(timeline_test, after_part_5_part_1_starts_again_5500_ms_later_on_the_part_clock)
{
    run_to_part(5);
    time_func = other_clock;  // part 5 brings its own animation clock
    set_part_time(29666 + 100);
    advance_parts();
    ASSERT_EQ(built.size(), 6u);
    EXPECT_EQ(built[5].number, 1);
    EXPECT_EQ(built[5].part_time, -5500);
    EXPECT_EQ(cur_part, 1);
    EXPECT_EQ(time_func, &get_parttime);
    EXPECT_EQ(part_start, get_time() + 5500);
    EXPECT_EQ(demo_start, part_start);
    EXPECT_EQ(get_parttime(), -5500);

    // The waiting part 1 does not switch; the next round runs as the first.
    advance_parts();
    EXPECT_EQ(built.size(), 6u);
    part_start -= 5500 + 19501;
    advance_parts();
    ASSERT_EQ(built.size(), 7u);
    EXPECT_EQ(built[6].number, 2);
    EXPECT_EQ(cur_part, 2);
}

TEST_F(timeline_test, a_stall_past_part_5_stops_at_the_new_first_part)
{
    run_to_part(5);
    // However late the switch, part 1 starts 5500 ms after it.
    set_part_time(29666 + 100000);
    advance_parts();
    EXPECT_EQ(built.back().number, 1);
    EXPECT_EQ(cur_part, 1);
    EXPECT_EQ(get_parttime(), -5500);
}

TEST(order_watch_test, a_step_back_by_one_position_goes_on_by_two_ends)
{
    order_watch w;
    EXPECT_FALSE(w.song_ended(0));
    EXPECT_FALSE(w.song_ended(1));
    EXPECT_FALSE(w.song_ended(5));  // forward jumps are remembered
    EXPECT_EQ(w.remembered, 5);
    EXPECT_FALSE(w.song_ended(4));  // back by one: taken
    EXPECT_EQ(w.remembered, 4);
    EXPECT_FALSE(w.song_ended(4));
    EXPECT_FALSE(w.song_ended(3));  // and again from there
    EXPECT_TRUE(w.song_ended(1));   // back by two
    order_watch wrap;
    wrap.remembered = 38;
    EXPECT_TRUE(wrap.song_ended(2));  // the song wrapping to its restart
    EXPECT_TRUE(wrap.song_ended(36));
    EXPECT_FALSE(wrap.song_ended(37));
}

std::string read_text(const char* path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The whole show on stand-in parts and the real song, played on the
// virtual device block by block with one main-loop pass per block.
class song_timeline_test : public timeline_test {
protected:
    void SetUp() override
    {
        test_engine();
        mem_file_set_source(song_data, song_data_size);
        install_mem_file_callbacks();
        auto output = std::make_unique<wave_out_virtual>();
        device = output.get();
        sound_use_output(std::move(output));
        ASSERT_TRUE(sound_init(44100, 0));
        timeline_test::SetUp();
        the_song = song_load("song", nullptr);
        ASSERT_NE(the_song, nullptr);
        ASSERT_TRUE(song_play(the_song));
        built.clear();
        cue_pos = cue_table;
        start_timeline();

        dir = std::filesystem::temp_directory_path() / ("vorlane_timeline_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir);
    }
    void TearDown() override
    {
        log_close();
        log_enabled = false;
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(dir);
        song_free(the_song);
        sound_close();
        the_song = nullptr;
        loop_mode = false;
        timeline_test::TearDown();
    }

    wave_out_virtual* device = nullptr;
    std::filesystem::path dir, previous;
};

TEST_F(song_timeline_test, the_show_runs_two_rounds_of_parts_and_ends_when_the_song_wraps)
{
    log_open();
    const int start = get_time();
    EXPECT_EQ(start, 20);  // the clock after the first block
    frames = 0;
    int passes = 0;
    int last_order = 0;
    int order_at_end = -1;
    for (;;) {
        play_frames(*device, std::uint32_t(block_samples));
        ++passes;
        const int order = song_get_order(the_song);
        const pass_result r = main_loop_pass();
        if (r == pass_result::ended) {
            order_at_end = order;
            break;
        }
        last_order = order;
        ASSERT_LT(passes, 20000) << "the song never ended";
    }
    // Two rounds: parts 1 to 5, then part 1 again, during which the song
    // wraps from its last position back to its restart position.
    ASSERT_EQ(built.size(), 6u);
    int boundary = start;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(built[std::size_t(i)].number, i + 1);
        // Seen within one block of the exact boundary.
        EXPECT_GE(built[std::size_t(i)].part_time, i == 0 ? 0 : 1);
        EXPECT_LE(built[std::size_t(i)].part_time, 20);
        boundary += lengths[i];
    }
    EXPECT_EQ(boundary, start + round_length);
    EXPECT_EQ(built[5].number, 1);
    EXPECT_EQ(built[5].part_time, -5500);
    EXPECT_GT(demo_start, start + round_length + 5500);
    EXPECT_LE(demo_start, start + round_length + 5500 + 20);
    EXPECT_EQ(cur_part, 1);
    EXPECT_EQ(last_order, 38);
    EXPECT_EQ(order_at_end, 2);

    const int since_restart = get_time() - demo_start;
    EXPECT_GT(since_restart, 0);
    EXPECT_LT(since_restart, 19500);
    log_closing(2000.0);
    log_close();
    const std::string text = read_text("vorlane.log");
    const std::string expected = "Module end - shutdown\nfps - " + std::to_string(frames * 1000.0 / 2000.0) +
                                 "\ntime - " + std::to_string(since_restart) + "\n";
    ASSERT_GE(text.size(), expected.size());
    EXPECT_EQ(text.substr(text.size() - expected.size()), expected);
    EXPECT_GT(frames, passes / 2);  // most passes found no message and drew
}

TEST_F(song_timeline_test, in_loop_mode_the_parts_cycle_on_past_the_wrap_and_the_cues_come_again)
{
    loop_mode = true;
    const int start = get_time();
    int cues_before_wrap = -1;
    int cues = 0;
    int order = 0;
    int row = 0;
    while (built.size() < 11) {
        play_frames(*device, std::uint32_t(block_samples));
        const int previous = order;
        order = song_get_order(the_song);
        row = song_get_row(the_song);
        if (order < previous - 1) {
            ASSERT_EQ(cues_before_wrap, -1) << "the song wrapped twice";
            EXPECT_EQ(previous, 38);
            EXPECT_EQ(order, 2);
            cues_before_wrap = cues;
            cues = 0;
        }
        ASSERT_NE(main_loop_pass(), pass_result::ended);
        // A part asks for its cue every frame.
        cues += get_cue() >= 0;
    }
    EXPECT_EQ(cues_before_wrap, cue_count);
    // Since the wrap every cue up to the row being heard, one row early.
    int due = 0;
    for (const cue* c = cue_table; c != cue_table + cue_count; ++c)
        due += c->order * 32 + c->row - 1 <= order * 32 + row;
    EXPECT_GT(due, 100);
    EXPECT_EQ(cues, due);
    // Two whole rounds and the start of the third, each after the pause.
    for (std::size_t i = 0; i < built.size(); ++i)
        EXPECT_EQ(built[i].number, int(i % 5) + 1);
    EXPECT_EQ(built[10].part_time, -5500);
    EXPECT_GT(demo_start, start + 2 * (round_length + 5500));
    EXPECT_LE(demo_start, start + 2 * (round_length + 5500) + 40);
    EXPECT_EQ(cur_part, 1);
}

}  // namespace
}  // namespace vorlane
