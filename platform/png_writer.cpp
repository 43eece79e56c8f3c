#include "platform/png_writer.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <vector>

namespace vorlane {

namespace {

// libpng reports errors by longjmp; nothing with a destructor may live in
// the frame that calls setjmp, so the rows are converted before it.
// The caller reports a failed write in its own words.
void quiet_error(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

bool write_rows(std::FILE* file, int width, int height, png_bytep* rows)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quiet_error, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    // Frames are many and big: the fastest compression keeps capture
    // from waiting on zlib, at about a third more bytes.
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool write_png(const char* path, int width, int height, const std::uint32_t* pixels)
{
    if (width <= 0 || height <= 0 || !pixels)
        return false;
    std::vector<png_byte> rgb(std::size_t(width) * std::size_t(height) * 3);
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        png_bytep row = rgb.data() + std::size_t(y) * std::size_t(width) * 3;
        rows[std::size_t(y)] = row;
        const std::uint32_t* src = pixels + std::size_t(y) * std::size_t(width);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = png_byte(src[x] >> 16);
            row[3 * x + 1] = png_byte(src[x] >> 8);
            row[3 * x + 2] = png_byte(src[x]);
        }
    }
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return false;
    bool written = write_rows(file, width, height, rows.data());
    written &= std::fclose(file) == 0;
    if (!written) {
        // A truncated file would pass for a frame: none is left, and errno
        // still tells why the write failed.
        const int error = errno;
        std::remove(path);
        errno = error;
    }
    return written;
}

}  // namespace vorlane
