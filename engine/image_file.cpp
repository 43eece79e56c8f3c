#include "engine/image_file.h"

#include "engine/tga.h"
#include "platform/image_files.h"

#include <algorithm>
#include <cctype>

namespace vorlane {

namespace {

bool ends_with(const std::string& name, const char* ending)
{
    const std::string e = ending;
    if (name.size() < e.size())
        return false;
    return std::equal(e.begin(), e.end(), name.end() - static_cast<std::ptrdiff_t>(e.size()),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

void from_rgb(const rgb_image& image, picture& out)
{
    out.reserve(3LL * image.width * image.height);
    out.width = image.width;
    out.height = image.height;
    out.bpp = 3;
    for (std::size_t i = 0; i + 2 < image.rgb.size(); i += 3) {
        out.data[i] = image.rgb[i + 2];
        out.data[i + 1] = image.rgb[i + 1];
        out.data[i + 2] = image.rgb[i];
    }
}

}  // namespace

bool read_image_file(const std::string& path, const std::string& bytes, picture& out)
{
    if (ends_with(path, ".tga")) {
        read_tga(path.c_str(), out);
        if (out.bpp == 1) {
            // Grey levels become grey colours, from the last pixel back so
            // that nothing is overwritten before it is read.
            const int n = out.width * out.height;
            out.reserve(3LL * n);
            read_tga(path.c_str(), out);
            for (int i = n - 1; i >= 0; --i)
                out.data[3 * i] = out.data[3 * i + 1] = out.data[3 * i + 2] = out.data[i];
            out.bpp = 3;
        }
        return out.width > 0 && out.height > 0;
    }
    rgb_image image;
    const bool read = ends_with(path, ".png")                                    ? decode_png(bytes, image)
                      : ends_with(path, ".jpg") || ends_with(path, ".jpeg") ? decode_jpeg(bytes, image)
                                                                                  : false;
    if (!read || image.width == 0 || image.height == 0)
        return false;
    from_rgb(image, out);
    return true;
}

}  // namespace vorlane
