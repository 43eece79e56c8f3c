#include "engine/tga.h"

#include "engine/whole_file.h"
#include "runtime/fatal.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace vorlane {

namespace {

constexpr int header_size = 18;
constexpr int top_left_origin = 32;  // descriptor bit 5

[[noreturn]] void fail_unreadable(const char* name)
{
    char text[512];
    std::snprintf(text, sizeof text, "Cannot open TGA file - %s", name);
    fatal(text);
}

// Run-length packets of one-byte pixels: a header h gives n = (h & 127) + 1
// pixels, either one value repeated (bit 7 set) or n literal bytes. A packet
// running past the last pixel is cut there. Returns false when the input
// ends before every pixel is produced.
bool unpack_rle(const unsigned char* in, size_t in_size, unsigned char* out, size_t pixels)
{
    size_t done = 0;
    size_t pos = 0;
    while (done < pixels) {
        if (pos >= in_size)
            return false;
        unsigned char h = in[pos++];
        size_t n = (h & 127) + 1;
        if (n > pixels - done)
            n = pixels - done;
        if (h & 128) {
            if (pos >= in_size)
                return false;
            std::memset(out + done, in[pos++], n);
        } else {
            if (in_size - pos < n)
                return false;
            std::memcpy(out + done, in + pos, n);
            pos += n;
        }
        done += n;
    }
    return true;
}

}  // namespace

void read_tga(const char* name, picture& out)
{
    std::string contents;
    const bool read = read_whole_file(name, contents);
    const auto* file = reinterpret_cast<const unsigned char*>(contents.data());
    if (!read || contents.size() < header_size)
        fail_unreadable(name);

    int id_length = file[0];
    int colour_map_type = file[1];
    int image_type = file[2];
    int width = file[12] | file[13] << 8;
    int height = file[14] | file[15] << 8;
    int depth = file[16];
    int descriptor = file[17];

    int bpp = 0;
    if (image_type == 2) {
        if (depth != 24 || colour_map_type != 0)
            fatal("Not 24bpp TGA type 2");
        bpp = 3;
    } else if (image_type == 3 || image_type == 11) {
        bpp = 1;
    } else {
        char text[64];
        std::snprintf(text, sizeof text, "TGA type %d", image_type);
        fatal(text);
    }

    size_t start = header_size + static_cast<size_t>(id_length);
    if (start > contents.size())
        fail_unreadable(name);
    const unsigned char* pixels = file + start;
    size_t available = contents.size() - start;
    size_t count = static_cast<size_t>(width) * height;
    size_t bytes = count * bpp;
    // A run-length packet of two bytes yields at most 128 pixels: a header
    // promising more than that is refused before anything is allocated.
    if (image_type == 11 ? count > available * 64 : bytes > available)
        fail_unreadable(name);

    out.reserve(static_cast<long long>(bytes));
    out.width = width;
    out.height = height;
    out.bpp = bpp;
    if (image_type == 11) {
        if (!unpack_rle(pixels, available, out.data.get(), count))
            fail_unreadable(name);
    } else if (bytes > 0) {
        std::memcpy(out.data.get(), pixels, bytes);
    }

    if (!(descriptor & top_left_origin) && bytes > 0) {
        size_t row = static_cast<size_t>(width) * bpp;
        std::vector<unsigned char> swap(row);
        for (int r = 0; r < height / 2; ++r) {
            unsigned char* a = out.data.get() + r * row;
            unsigned char* b = out.data.get() + (height - 1 - r) * row;
            std::memcpy(swap.data(), a, row);
            std::memcpy(a, b, row);
            std::memcpy(b, swap.data(), row);
        }
    }
}

}  // namespace vorlane
