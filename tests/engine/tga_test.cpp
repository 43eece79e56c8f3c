#include "engine/tga.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace vorlane {
namespace {

using bytes = std::vector<unsigned char>;

bytes header(int type, int width, int height, int depth, int descriptor, int id_length = 0,
             int colour_map_type = 0)
{
    bytes h(18 + id_length, 0);
    h[0] = static_cast<unsigned char>(id_length);
    h[1] = static_cast<unsigned char>(colour_map_type);
    h[2] = static_cast<unsigned char>(type);
    h[12] = width & 255;
    h[13] = width >> 8;
    h[14] = height & 255;
    h[15] = height >> 8;
    h[16] = static_cast<unsigned char>(depth);
    h[17] = static_cast<unsigned char>(descriptor);
    for (int i = 0; i < id_length; ++i)
        h[18 + i] = 0xEE;  // must be skipped, never read as pixels
    return h;
}

bytes operator+(bytes a, const bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class tga_test : public testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
              ("vorlane_tga_test_" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string write(const bytes& content)
    {
        std::string path = (dir / "image.tga").string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(content.data()), content.size());
        return path;
    }

    bytes pixels(const picture& p) const
    {
        return bytes(p.data.get(), p.data.get() + p.width * p.height * p.bpp);
    }

    std::filesystem::path dir;
};

TEST_F(tga_test, type_2_bottom_up_rows_come_out_top_first)
{
    // 2 x 3, stored bottom row first: rows B, M, T in the file.
    bytes data = {1, 2, 3, 4, 5, 6,          // bottom
                  7, 8, 9, 10, 11, 12,       // middle
                  13, 14, 15, 16, 17, 18};   // top
    picture p;
    read_tga(write(header(2, 2, 3, 24, 0) + data).c_str(), p);
    EXPECT_EQ(p.width, 2);
    EXPECT_EQ(p.height, 3);
    EXPECT_EQ(p.bpp, 3);
    EXPECT_EQ(pixels(p), (bytes{13, 14, 15, 16, 17, 18, 7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}));
}

TEST_F(tga_test, type_2_top_down_rows_and_id_field_are_taken_as_stored)
{
    bytes data = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    picture p;
    read_tga(write(header(2, 2, 2, 24, 32, 5) + data).c_str(), p);
    EXPECT_EQ(pixels(p), data);
}

TEST_F(tga_test, type_3_is_one_byte_per_pixel_whatever_its_depth_says)
{
    // Four rows (even count) bottom-up: every pair swaps.
    bytes data = {1, 2, 3, 4, 5, 6, 7, 8};
    picture p;
    read_tga(write(header(3, 2, 4, 0, 0) + data).c_str(), p);
    EXPECT_EQ(p.bpp, 1);
    EXPECT_EQ(pixels(p), (bytes{7, 8, 5, 6, 3, 4, 1, 2}));
}

TEST_F(tga_test, type_11_expands_runs_and_literals)
{
    // Run of 3 x 9, then 2 literals, then a run of 130 asked but cut at the
    // last pixel: 3 + 2 + 1 = 6 pixels.
    bytes packets = {0x82, 9, 0x01, 4, 5, 0xFF, 7};
    picture p;
    read_tga(write(header(11, 3, 2, 8, 32) + packets).c_str(), p);
    EXPECT_EQ(p.bpp, 1);
    EXPECT_EQ(pixels(p), (bytes{9, 9, 9, 4, 5, 7}));
}

TEST_F(tga_test, type_11_literal_packet_is_cut_at_the_last_pixel_and_rows_flip)
{
    bytes packets = {0x05, 1, 2, 3, 4, 5, 6};  // six literals for four pixels
    picture p;
    read_tga(write(header(11, 2, 2, 8, 0) + packets).c_str(), p);
    EXPECT_EQ(pixels(p), (bytes{3, 4, 1, 2}));
}

TEST_F(tga_test, storage_of_a_larger_earlier_picture_is_reused)
{
    picture p;
    p.reserve(1000);
    unsigned char* before = p.data.get();
    read_tga(write(header(3, 2, 2, 8, 32) + bytes{1, 2, 3, 4}).c_str(), p);
    EXPECT_EQ(p.data.get(), before);
    EXPECT_EQ(p.storage, 1000);
    EXPECT_EQ(pixels(p), (bytes{1, 2, 3, 4}));
}

using tga_death_test = tga_test;

TEST_F(tga_death_test, other_image_types_are_refused_with_their_number)
{
    std::string path = write(header(10, 1, 1, 24, 0) + bytes{0, 0, 0, 0});
    picture p;
    EXPECT_EXIT(read_tga(path.c_str(), p), testing::ExitedWithCode(255), "^TGA type 10\n");
    path = write(header(1, 1, 1, 8, 0, 0, 1) + bytes{0, 0, 0, 0});
    EXPECT_EXIT(read_tga(path.c_str(), p), testing::ExitedWithCode(255), "^TGA type 1\n");
}

TEST_F(tga_death_test, type_2_must_be_24_bit_without_colour_map)
{
    picture p;
    std::string path = write(header(2, 1, 1, 32, 0) + bytes{0, 0, 0, 0});
    EXPECT_EXIT(read_tga(path.c_str(), p), testing::ExitedWithCode(255), "^Not 24bpp TGA type 2\n");
    path = write(header(2, 1, 1, 24, 0, 0, 1) + bytes{0, 0, 0});
    EXPECT_EXIT(read_tga(path.c_str(), p), testing::ExitedWithCode(255), "^Not 24bpp TGA type 2\n");
}

TEST_F(tga_death_test, missing_file_names_the_file)
{
    picture p;
    std::string path = (dir / "nothing.tga").string();
    EXPECT_EXIT(read_tga(path.c_str(), p), testing::ExitedWithCode(255),
                "^Cannot open TGA file - .*nothing\\.tga\n");
}

TEST_F(tga_death_test, headers_promising_more_than_the_file_holds_are_refused)
{
    picture p;
    const char* message = "^Cannot open TGA file - .*image\\.tga\n";
    // Shorter than a header.
    std::string path = write(bytes{0, 0, 2, 0, 0});
    EXPECT_EXIT(read_tga(path.c_str(), p), testing::ExitedWithCode(255), message);
    // One colour byte missing.
    path = write(header(2, 2, 2, 24, 0) + bytes(11, 0));
    EXPECT_EXIT(read_tga(path.c_str(), p), testing::ExitedWithCode(255), message);
    // 65535 x 65535 grey pixels from four bytes.
    path = write(header(3, 65535, 65535, 8, 0) + bytes{1, 2, 3, 4});
    EXPECT_EXIT(read_tga(path.c_str(), p), testing::ExitedWithCode(255), message);
    // Identification field longer than the file.
    bytes cut = header(3, 1, 1, 8, 0, 200);
    cut.resize(40);
    path = write(cut);
    EXPECT_EXIT(read_tga(path.c_str(), p), testing::ExitedWithCode(255), message);
    // Run-length data ending after the first packet.
    path = write(header(11, 4, 4, 8, 0) + bytes{0x83, 1});
    EXPECT_EXIT(read_tga(path.c_str(), p), testing::ExitedWithCode(255), message);
    // A run packet whose value byte is missing.
    path = write(header(11, 4, 1, 8, 0) + bytes{0x83});
    EXPECT_EXIT(read_tga(path.c_str(), p), testing::ExitedWithCode(255), message);
}

}  // namespace
}  // namespace vorlane
