#include "clock/show_clock.h"
#include "driver/capture.h"
#include "driver/show_frame.h"
#include "music/mixer.h"
#include "tests/data/embedded_song.h"

#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace vorlane {
namespace {

// Sound frames after video frame k must be exactly floor(k x rate / fps):
// checked at every frame, so a remainder that is dropped or counted twice
// shows up at once, not only as drift at the end.
void expect_no_drift(int fps, std::uint64_t video_frames)
{
    frame_pacer pacer;
    pacer.fps = std::uint64_t(fps);
    std::uint64_t total = 0;
    const std::uint32_t low = std::uint32_t(44100 / fps);
    for (std::uint64_t k = 1; k <= video_frames; ++k) {
        const std::uint32_t n = pacer.next();
        ASSERT_TRUE(n == low || n == low + 1) << "frame " << k << " at " << fps << " fps: " << n;
        total += n;
        ASSERT_EQ(total, k * 44100 / std::uint64_t(fps)) << "frame " << k << " at " << fps << " fps";
    }
}

TEST(frame_pacer_test, whole_frame_rates_give_the_same_count_every_frame)
{
    frame_pacer at25;
    frame_pacer at30;
    at30.fps = 30;
    for (int k = 0; k < 100000; ++k) {
        ASSERT_EQ(at25.next(), 1764u);
        ASSERT_EQ(at30.next(), 1470u);
    }
    expect_no_drift(25, 100000);
    expect_no_drift(30, 100000);
}

TEST(frame_pacer_test, fractions_are_carried_without_drift)
{
    for (int fps : {24, 29, 60, 1000, 7, 1})
        expect_no_drift(fps, 50000);
    // Hours into a capture the products still fit.
    frame_pacer late;
    late.fps = 24;
    late.paced = 24ull * 3600 * 100;
    std::uint64_t sum = 0;
    for (int k = 0; k < 24; ++k)
        sum += late.next();
    EXPECT_EQ(sum, 44100u);
}

// The real song on the virtual device, played one video frame at a time.
class capture_clock_test : public testing::TestWithParam<int> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(loaded.load());
        device = loaded.device;
        the_song = loaded.s;
        ASSERT_TRUE(song_play(the_song));
    }
    void TearDown() override
    {
        loaded.release();
        the_song = nullptr;
    }

    embedded_song loaded;
    wave_out_virtual* device = nullptr;
};

// The song clock must follow the device at any frame rate, also across
// the end of the ring, where a poll that sees a jump of several blocks
// would leave the clock standing for a lap or more.
TEST_P(capture_clock_test, the_song_clock_follows_the_device)
{
    const int fps = GetParam();
    frame_pacer pacer;
    pacer.fps = std::uint64_t(fps);
    int previous = get_time();
    const int video_frames = fps * 30;  // 30 seconds: many laps of the ring
    for (int k = 0; k < video_frames; ++k) {
        play_frames(*device, pacer.next());
        const int now = get_time();
        ASSERT_GT(now, previous) << "clock stood still at frame " << k;
        previous = now;
    }
    EXPECT_EQ(device->frames_played(), 30u * 44100u);
    // The song clock runs about 4 % slow (57703 ms after 60136 ms of sound)
    // and reads the end of the block being heard.
    EXPECT_NEAR(get_time(), 30000.0 * 57703 / 60136, 40);
}

INSTANTIATE_TEST_SUITE_P(frame_rates, capture_clock_test, testing::Values(1, 10, 25, 30));

// The progress line's measure: it grows with the song, row by row across
// the order list, and comes close to 1 on the last row before the song
// wraps to its restart position.
TEST(song_progress_test, runs_from_0_to_1_over_the_song)
{
    EXPECT_EQ(song_progress(nullptr), 0.0);
    embedded_song loaded;
    ASSERT_TRUE(loaded.load());
    ASSERT_TRUE(song_play(loaded.s));
    EXPECT_EQ(song_progress(loaded.s), 0.0);
    long all_rows = 0;
    for (int i = 0; i < loaded.s->song_length; ++i)
        all_rows += loaded.s->patterns[loaded.s->orders[i]].rows;

    // One block at a time, so that every row's record is seen.
    double last = 0.0;
    for (int step = 0; step < 20 * 60 * 50; ++step) {  // 20 minutes of song at most
        play_frames(*loaded.device, std::uint32_t(block_samples));
        const double now = song_progress(loaded.s);
        if (now < last)
            break;  // wrapped
        last = now;
    }
    // The largest value is that of the last row.
    EXPECT_NEAR(last, double(all_rows - 1) / double(all_rows), 1e-9);
    loaded.release();
}

std::vector<char> read_bytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t big_endian(const std::vector<char>& b, std::size_t at)
{
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v = v << 8 | std::uint8_t(b[at + i]);
    return v;
}

std::uint32_t little_endian(const std::vector<char>& b, std::size_t at)
{
    std::uint32_t v = 0;
    for (std::size_t i = 4; i-- > 0;)
        v = v << 8 | std::uint8_t(b[at + i]);
    return v;
}

// The program itself, capturing a span of the show into a folder.
class capture_program_test : public testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("vorlane_capture_test_" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // The exit status; what the program said on stderr goes to the test's
    // output when it failed.
    int capture(const std::string& name, const std::string& arguments)
    {
        const std::filesystem::path err = dir / (name + ".err");
        const std::string command = std::string("'") + VORLANE_PROGRAM + "' --capture '" + (dir / name).string() +
                                    "' " + arguments + " 2>'" + err.string() + "'";
        const int status = std::system(command.c_str());
        if (status != 0) {
            const std::vector<char> text = read_bytes(err);
            std::cerr << std::string(text.begin(), text.end());
        }
        return status;
    }

    std::filesystem::path dir;
};

TEST_F(capture_program_test, two_captures_of_one_span_are_the_same_to_the_byte)
{
    const std::string span = "--resolution 64x48 --fps 10 --from 17000 --to 17500";
    ASSERT_EQ(capture("a", span), 0);
    ASSERT_EQ(capture("b", span), 0);

    // Frames from 17000 ms up to 17500 ms at 10 per second, numbered from 0.
    int pngs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir / "a"))
        pngs += entry.path().extension() == ".png";
    EXPECT_EQ(pngs, 5);
    for (int i = 0; i < 5; ++i) {
        const std::string name = "frame_00000" + std::to_string(i) + ".png";
        const std::vector<char> a = read_bytes(dir / "a" / name);
        ASSERT_GT(a.size(), 33u) << name;
        EXPECT_EQ(std::string(a.data() + 1, 3), "PNG");
        EXPECT_EQ(big_endian(a, 16), 64u);  // width
        EXPECT_EQ(big_endian(a, 20), 48u);  // height
        EXPECT_EQ(a[24], 8);                // bits per channel
        EXPECT_EQ(a[25], 2);                // RGB
        EXPECT_EQ(a, read_bytes(dir / "b" / name)) << name;
    }

    // The sound of exactly those frames: 5 x 4410 stereo frames.
    const std::vector<char> wav = read_bytes(dir / "a" / "audio.wav");
    ASSERT_EQ(wav.size(), 44u + 5u * 4410u * 4u);
    EXPECT_EQ(little_endian(wav, 40), 5u * 4410u * 4u);
    EXPECT_EQ(wav, read_bytes(dir / "b" / "audio.wav"));
    // 17 seconds in, the song is playing: the samples are not all silent.
    bool sound = false;
    for (std::size_t i = 44; i < wav.size() && !sound; ++i)
        sound = wav[i] != 0;
    EXPECT_TRUE(sound);
}

// An RGB picture read back from a PNG file; empty when it does not load.
struct rgb_picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    const std::uint8_t* at(int x, int y) const
    {
        return rgb.data() + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
    }
    bool black(int x, int y) const { return at(x, y)[0] == 0 && at(x, y)[1] == 0 && at(x, y)[2] == 0; }
};

rgb_picture read_png(const std::filesystem::path& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    rgb_picture p;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return p;
    image.format = PNG_FORMAT_RGB;
    p.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, p.rgb.data(), 0, nullptr))
        return {};
    p.width = int(image.width);
    p.height = int(image.height);
    return p;
}

TEST_F(capture_program_test, wide_and_tall_frames_hold_the_4_by_3_picture_between_black_bars)
{
    // 60 s in, the picture is lit to its edges. The wide frame's middle and
    // the tall frame's must be the 4:3 frame to the byte, not a stretch.
    const std::string span = " --fps 1 --from 60000 --to 61000";
    ASSERT_EQ(capture("plain", "--resolution 64x48" + span), 0);
    ASSERT_EQ(capture("wide", "--resolution 96x48" + span), 0);
    ASSERT_EQ(capture("tall", "--resolution 64x96" + span), 0);
    const rgb_picture plain = read_png(dir / "plain" / "frame_000000.png");
    const rgb_picture wide = read_png(dir / "wide" / "frame_000000.png");
    const rgb_picture tall = read_png(dir / "tall" / "frame_000000.png");
    ASSERT_EQ(plain.width, 64);
    ASSERT_EQ(wide.width, 96);
    ASSERT_EQ(wide.height, 48);
    ASSERT_EQ(tall.width, 64);
    ASSERT_EQ(tall.height, 96);
    int lit_edges = 0;
    for (int y = 0; y < 48; ++y)
        lit_edges += !plain.black(0, y) + !plain.black(63, y);
    ASSERT_GT(lit_edges, 48) << "the 4:3 picture is dark at its edges: no check of where it lies";

    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 16; ++x) {
            EXPECT_TRUE(wide.black(x, y)) << x << ", " << y;
            EXPECT_TRUE(wide.black(95 - x, y)) << 95 - x << ", " << y;
        }
        for (int x = 0; x < 64; ++x)
            ASSERT_TRUE(std::equal(plain.at(x, y), plain.at(x, y) + 3, wide.at(x + 16, y))) << x << ", " << y;
    }
    for (int x = 0; x < 64; ++x) {
        for (int y = 0; y < 24; ++y) {
            EXPECT_TRUE(tall.black(x, y)) << x << ", " << y;
            EXPECT_TRUE(tall.black(x, 95 - y)) << x << ", " << 95 - y;
        }
        for (int y = 0; y < 48; ++y)
            ASSERT_TRUE(std::equal(plain.at(x, y), plain.at(x, y) + 3, tall.at(x, y + 24))) << x << ", " << y;
    }
}

TEST(frame_with_bars_test, the_picture_goes_where_fit_show_puts_it_and_the_rest_is_black)
{
    // 4 x 3 numbered pixels in frames of 8 x 3 and 4 x 6.
    std::vector<std::uint32_t> picture(12);
    for (std::uint32_t i = 0; i < 12; ++i)
        picture[i] = 0xff000001 + i;
    const std::vector<std::uint32_t> wide = frame_with_bars(picture, fit_show(8, 3), 8, 3);
    ASSERT_EQ(wide.size(), 24u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(wide[std::size_t(y * 8 + x)], x < 2 || x >= 6 ? 0xff000000 : picture[std::size_t(y * 4 + x - 2)])
                << x << ", " << y;
    // Rows are stored from the top, the fit counts from the bottom: with
    // three rows to spare the odd one goes above, as in a window.
    const present_rect tall_fit = fit_show(4, 6);
    ASSERT_EQ(tall_fit.y, 1);
    const std::vector<std::uint32_t> tall = frame_with_bars(picture, tall_fit, 4, 6);
    ASSERT_EQ(tall.size(), 24u);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(tall[std::size_t(y * 4 + x)],
                      y < 2 || y == 5 ? 0xff000000 : picture[std::size_t((y - 2) * 4 + x)])
                << x << ", " << y;
    // A read-back that failed (no pixels) is not passed off as a black frame.
    EXPECT_TRUE(frame_with_bars({}, fit_show(8, 3), 8, 3).empty());
}

TEST(capture_names_test, a_name_ending_in_mp4_in_any_case_is_a_video)
{
    for (const char* name : {"show.mp4", "OUT.MP4", "a.Mp4", "/tmp/x y/v.mP4"})
        EXPECT_TRUE(is_video_name(name)) << name;
    for (const char* name : {"", "mp4", ".mp4", "show", "show.mp4/", "show.mp40", "show_mp4", "show.mov"})
        EXPECT_FALSE(is_video_name(name)) << name;
}

TEST_F(capture_program_test, a_video_without_ffmpeg_is_refused_before_anything_starts)
{
    // A name ending in .MP4 is a video too, not a folder to make.
    for (const char* name : {"show.mp4", "OUT.MP4"}) {
        const std::string command = std::string("PATH=/nonexistent '") + VORLANE_PROGRAM + "' --capture '" +
                                    (dir / name).string() + "' --to 1000 2>'" + (dir / "err").string() + "'";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << name;
        EXPECT_EQ(WEXITSTATUS(status), 1) << name;
        const std::vector<char> err = read_bytes(dir / "err");
        EXPECT_NE(std::string(err.begin(), err.end()).find("ffmpeg"), std::string::npos) << name;
        EXPECT_FALSE(std::filesystem::exists(dir / name)) << name;
    }
}

// A capture onto a disk that fills up on the way: only whole files are
// left, the frames a run without holes from the first, and the message
// says how far it got.
TEST_F(capture_program_test, a_full_disk_leaves_only_whole_files_and_says_how_far_it_got)
{
    const std::filesystem::path full = dir / "full";
    std::filesystem::create_directories(full);
    if (std::system(("mount -t tmpfs -o size=3m vorlane-full '" + full.string() + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    struct unmount_at_end {
        std::string path;
        ~unmount_at_end() { EXPECT_EQ(std::system(("umount '" + path + "'").c_str()), 0); }
    } unmount{full.string()};
    const std::string command = std::string("'") + VORLANE_PROGRAM + "' --capture '" + (full / "out").string() +
                                "' --resolution 640x480 --fps 5 --from 24000 --to 30000 2>'" +
                                (dir / "err").string() + "'";
    const int status = std::system(command.c_str());

    int frames = 0;
    for (const auto& entry : std::filesystem::directory_iterator(full / "out")) {
        const std::vector<char> b = read_bytes(entry.path());
        const std::string name = entry.path().filename().string();
        if (name == "audio.wav") {
            // The sizes patched into the header are the file's own.
            ASSERT_GE(b.size(), 44u);
            EXPECT_EQ(little_endian(b, 40) + 44, b.size());
            EXPECT_EQ(little_endian(b, 4) + 8, b.size());
            continue;
        }
        ++frames;
        ASSERT_GT(b.size(), 12u) << name;
        EXPECT_EQ(std::string(b.end() - 8, b.end() - 4), "IEND") << name;
    }
    for (int i = 0; i < frames; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "frame_%06d.png", i);
        EXPECT_TRUE(std::filesystem::exists(full / "out" / name)) << name;
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), capture_failed);
    EXPECT_LT(frames, 30);
    const std::vector<char> err = read_bytes(dir / "err");
    const std::string text(err.begin(), err.end());
    EXPECT_NE(text.find("cannot write frame " + std::to_string(frames) + " of"), std::string::npos) << text;
    EXPECT_NE(text.find("No space left on device"), std::string::npos) << text;
    EXPECT_NE(text.find("the " + std::to_string(frames) + " frames before it are written"), std::string::npos)
        << text;
}

// Video captures with the scratch folder in a TMPDIR of the test's own and
// a stand-in ffmpeg alone on PATH: whatever the encoder does, the folder goes.
class capture_video_test : public capture_program_test {
protected:
    // The exit code; stderr goes to dir/err.
    int capture_video(const std::string& encoder, const std::string& tmpdir)
    {
        std::filesystem::create_directories(dir / "bin");
        std::ofstream(dir / "bin" / "ffmpeg") << encoder;
        std::filesystem::permissions(dir / "bin" / "ffmpeg", std::filesystem::perms::owner_all);
        const std::string command = "TMPDIR='" + tmpdir + "' PATH='" + (dir / "bin").string() + "' '" +
                                    VORLANE_PROGRAM + "' --capture '" + (dir / "show.mp4").string() +
                                    "' --resolution 64x48 --fps 10 --from 17000 --to 17500 2>'" +
                                    (dir / "err").string() + "'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(capture_video_test, an_encoder_that_fails_leaves_no_scratch_folder)
{
    const std::string tmp = (dir / "tmp").string();
    std::filesystem::create_directories(tmp);
    // Executable but no format the system runs; an encoder that gives up at
    // once; one that would work but has no temporary folder to work in.
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"not a program\n", tmp}, {"#!/bin/sh\nexit 1\n", tmp}, {"#!/bin/sh\ncat >/dev/null\n", tmp + "/missing"}};
    for (const auto& [encoder, tmpdir] : cases) {
        EXPECT_EQ(capture_video(encoder, tmpdir), 1) << encoder;
        const std::vector<char> err = read_bytes(dir / "err");
        EXPECT_NE(std::string(err.begin(), err.end()).find("vorlane: "), std::string::npos) << encoder;
        EXPECT_TRUE(std::filesystem::is_empty(tmp)) << encoder;
        EXPECT_FALSE(std::filesystem::exists(dir / "show.mp4")) << encoder;
    }
}

TEST_F(capture_video_test, a_join_that_fails_half_way_leaves_no_video)
{
    // The encoder works; the join, whose last argument is the video asked
    // for, writes part of it and fails, as on a full disk.
    const std::string out = (dir / "show.mp4").string();
    const std::string encoder = "#!/bin/sh\nfor last; do :; done\nif [ \"$last\" = '" + out +
                                "' ]; then echo partial >\"$last\"; exit 1; fi\nexec /bin/cat >\"$last\"\n";
    std::filesystem::create_directories(dir / "tmp");
    EXPECT_EQ(capture_video(encoder, (dir / "tmp").string()), capture_failed);
    EXPECT_FALSE(std::filesystem::exists(dir / "show.mp4"));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
    const std::vector<char> err = read_bytes(dir / "err");
    const std::string text(err.begin(), err.end());
    EXPECT_NE(text.find("from its 5 frames; no video is left"), std::string::npos) << text;
}

TEST_F(capture_video_test, the_real_encoder_makes_an_mp4_and_leaves_no_scratch_folder)
{
    const std::string ffmpeg = "/usr/bin/ffmpeg";
    if (!std::filesystem::exists(ffmpeg))
        GTEST_SKIP() << "ffmpeg is not installed";
    std::filesystem::create_directories(dir / "tmp");
    ASSERT_EQ(capture_video("#!/bin/sh\nexec " + ffmpeg + " \"$@\"\n", (dir / "tmp").string()), 0);
    const std::vector<char> video = read_bytes(dir / "show.mp4");
    ASSERT_GT(video.size(), 12u);
    EXPECT_EQ(std::string(video.data() + 4, 4), "ftyp");
    EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
}

}  // namespace
}  // namespace vorlane
