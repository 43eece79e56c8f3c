// The engine's pictures and the textures made from them. Mip chains are
// computed here, on the CPU, by shrinking the source picture in place.

#include "engine/engine.h"

#include "engine/tga.h"
#include "runtime/fatal.h"
#include "runtime/log.h"

#include <algorithm>
#include <cstring>

namespace vorlane {

namespace {

device_texture* create_full_chain(device& dev, int width, int height)
{
    device_texture* t =
        dev.create_texture(width, height, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
    if (!t)
        fatal("Couldn't create texture");
    return t;
}

// Halves a 3-byte picture in place: each new pixel, channel by channel, is
// the truncated mean of its 2 x 2 block. Written packed from the start; a
// new pixel never lands beyond the old pixels it still has to read.
void shrink_averaging(unsigned char* p, int old_w, int w, int h)
{
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char* tl = p + ((2 * y) * old_w + 2 * x) * 3;
            const unsigned char* bl = tl + old_w * 3;
            unsigned char* out = p + (y * w + x) * 3;
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<unsigned char>((tl[c] + tl[3 + c] + bl[c] + bl[3 + c]) >> 2);
        }
}

// Halves a 1-byte map in place by point sampling: new (x, y) = old (2x, 2y).
void shrink_sampling(unsigned char* p, int old_w, int w, int h)
{
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p[y * w + x] = p[(2 * y) * old_w + 2 * x];
}

}  // namespace

void engine::clear_pictures()
{
    no_pictures = 0;
}

unsigned char* engine::new_picture(int width, int height, int bpp)
{
    picture* p = pictures.at(no_pictures);
    long long bytes = static_cast<long long>(width) * height * bpp;
    p->reserve(bytes);
    p->width = width;
    p->height = height;
    p->bpp = bpp;
    if (bytes > 0)
        std::memset(p->data.get(), 255, bytes);
    ++no_pictures;
    return p->data.get();
}

void engine::load_picture(const char* name)
{
    log("Loading file %s as bmp %d", name, no_pictures);
    size_t length = std::strlen(name);
    const char* ending = length >= 4 ? name + length - 4 : "";
    if (std::strcmp(ending, ".tga") == 0)
        read_tga(name, *pictures.at(no_pictures));
    else if (std::strcmp(ending, ".jpg") != 0)
        fatal("Unsupported texture format");
    ++no_pictures;
}

int engine::create_texture(int index)
{
    log("Creating texture from bmp %d", index);
    picture* p = pictures.at(index);
    if (p->bpp != 3)
        fatal("Trying to use non 24bpp gfx as texture");
    device_texture* t = create_full_chain(*pd3dDev, p->width, p->height);
    *textures.at(no_textures) = t;

    log("Raw info: %d x %d x %d", p->width, p->height, p->bpp);
    log("On centre %d", p->data[((p->height / 2) * p->width + p->width / 2) * 3]);

    int w = p->width;
    int h = p->height;
    for (int level = 0; w != 0; ++level) {
        d3d_locked_rect rect;
        if (t->lock_rect(level, rect)) {
            auto* texel = static_cast<unsigned char*>(rect.bits);
            const unsigned char* pixel = p->data.get();
            int count = w * h;
            for (int i = 0; i < count; ++i, texel += 4, pixel += 3) {
                texel[0] = pixel[0];
                texel[1] = pixel[1];
                texel[2] = pixel[2];
                // The alpha is the next pixel's blue byte; the last pixel
                // has no next one, so it is opaque instead of reading past
                // the level.
                texel[3] = i + 1 < count ? pixel[3] : 255;
            }
            t->unlock_rect(level);
        }
        int old_w = w;
        h >>= 1;
        w >>= 1;
        if (h > 0)
            shrink_averaging(p->data.get(), old_w, w, h);
    }
    return no_textures++;
}

int engine::create_alpha_texture(int index)
{
    picture* p = pictures.at(index);
    device_texture* t = create_full_chain(*pd3dDev, p->width, p->height);
    *textures.at(no_textures) = t;

    long long n = static_cast<long long>(p->width) * p->height * 4;
    for (int level = 0; n > 4; ++level, n /= 4) {
        d3d_locked_rect rect;
        if (t->lock_rect(level, rect)) {
            std::memset(rect.bits, 255, n);
            t->unlock_rect(level);
        }
    }
    add_alpha_map(no_textures, index);
    return no_textures++;
}

void engine::release_textures_from(int first)
{
    first = std::max(first, 0);
    for (int i = first; i < no_textures; ++i) {
        device_texture** t = textures.at(i);
        // After shutdown the device has freed them all already.
        if (pd3dDev)
            pd3dDev->destroy(*t);
        *t = nullptr;
    }
    if (first < no_textures)
        no_textures = first;
}

void engine::add_alpha_map(int texture, int index)
{
    log("Adding alpha map from bmp %d", index);
    device_texture* t = *textures.at(texture);
    if (!t)
        fatal("Adding alpha before creating texture?");
    picture* p = pictures.at(index);
    if (p->bpp != 1)
        fatal("Trying to use non 8bpp gfx as alpha map");

    int w = p->width;
    int h = p->height;
    for (int level = 0; w != 0; ++level) {
        d3d_locked_rect rect;
        if (t->lock_rect(level, rect)) {
            // A map of another size than the texture only touches the
            // texels both cover, so it can never write past a level.
            int level_w = t->level_width(level);
            int rows = std::min(h, t->level_height(level));
            int columns = std::min(w, level_w);
            auto* bits = static_cast<unsigned char*>(rect.bits);
            for (int y = 0; y < rows; ++y)
                for (int x = 0; x < columns; ++x)
                    bits[(y * level_w + x) * 4 + 3] =
                        static_cast<unsigned char>(255 - p->data[y * w + x]);
            t->unlock_rect(level);
        }
        int old_w = w;
        h >>= 1;
        w >>= 1;
        if (h > 0)
            shrink_sampling(p->data.get(), old_w, w, h);
    }
}

}  // namespace vorlane
