#include "platform/image_files.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <png.h>

namespace vorlane {

namespace {

// Larger images are refused before their pixels are allocated.
constexpr long long max_pixels = 1LL << 26;

// libjpeg reports errors through a callback that must not return: it
// jumps back to the decoder, which gives up.
struct jpeg_failure {
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

[[noreturn]] void jpeg_fail(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<jpeg_failure*>(info->err)->back, 1);
}

void jpeg_quiet(j_common_ptr, int) {}

}  // namespace

bool decode_png(const std::string& bytes, rgb_image& out)
{
    out = {};
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return false;
    if (static_cast<long long>(image.width) * image.height > max_pixels) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    out.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr)) {
        out = {};
        return false;
    }
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    return true;
}

bool decode_jpeg(const std::string& bytes, rgb_image& out)
{
    out = {};
    jpeg_decompress_struct info{};
    jpeg_failure failure{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = jpeg_fail;
    failure.manager.emit_message = jpeg_quiet;
    // Nothing with a destructor lives between here and the jumps.
    std::vector<unsigned char>& rgb = out.rgb;
    if (setjmp(failure.back)) {
        jpeg_destroy_decompress(&info);
        out = {};
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3 ||
        static_cast<long long>(info.output_width) * info.output_height > max_pixels) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const std::size_t row = static_cast<std::size_t>(info.output_width) * 3;
    rgb.resize(row * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW at = rgb.data() + row * info.output_scanline;
        jpeg_read_scanlines(&info, &at, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    return true;
}

}  // namespace vorlane
