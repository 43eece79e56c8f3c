// LightWave object files written byte by byte for the tests: IFF chunks
// with big-endian numbers, and the test cube in both formats.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vorlane::test {

struct iff_bytes {
    std::string bytes;

    iff_bytes& u2(unsigned v)
    {
        bytes += static_cast<char>(v >> 8 & 255);
        bytes += static_cast<char>(v & 255);
        return *this;
    }
    iff_bytes& u4(std::uint32_t v)
    {
        u2(v >> 16);
        return u2(v & 0xFFFF);
    }
    iff_bytes& f4(float v)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return u4(bits);
    }
    iff_bytes& id(const char* four)
    {
        bytes.append(four, 4);
        return *this;
    }
    // Zero-terminated, padded to an even length.
    iff_bytes& s0(const std::string& s)
    {
        bytes += s;
        bytes += '\0';
        if (bytes.size() % 2)
            bytes += '\0';
        return *this;
    }
    iff_bytes& chunk(const char* four, const iff_bytes& body)
    {
        id(four).u4(static_cast<std::uint32_t>(body.bytes.size()));
        bytes += body.bytes;
        if (body.bytes.size() % 2)
            bytes += '\0';
        return *this;
    }
    iff_bytes& sub_chunk(const char* four, const iff_bytes& body)
    {
        id(four).u2(static_cast<unsigned>(body.bytes.size()));
        bytes += body.bytes;
        return *this;
    }
};

inline iff_bytes form(const char* type, const iff_bytes& chunks)
{
    iff_bytes body;
    body.id(type).bytes += chunks.bytes;
    iff_bytes file;
    file.chunk("FORM", body);
    return file;
}

// A unit cube around the origin: point i has x, y, z = +0.5 where bit 0,
// 1, 2 of i is set. Faces run clockwise seen from outside. Its sides
// (x and z faces) are surface 0, its top and bottom surface 1.
inline const std::vector<std::vector<int>>& cube_faces()
{
    static const std::vector<std::vector<int>> faces = {
        {0, 2, 3, 1}, {4, 5, 7, 6}, {1, 3, 7, 5}, {4, 6, 2, 0},  // -z, +z, +x, -x
        {2, 6, 7, 3}, {0, 1, 5, 4},                              // +y, -y
    };
    return faces;
}

inline int cube_surface(int face)
{
    return face < 4 ? 0 : 1;
}

inline iff_bytes cube_points()
{
    iff_bytes p;
    for (int i = 0; i < 8; ++i)
        p.f4(i & 1 ? 0.5f : -0.5f).f4(i & 2 ? 0.5f : -0.5f).f4(i & 4 ? 0.5f : -0.5f);
    return p;
}

// The sides are smoothed across every edge, the caps flat.
inline constexpr float smooth_sides = 3.1415927f;

// Sides orange (1, 0.5, 0.25), top and bottom blue (0, 0, 1). A line and
// a single point come after the faces, untagged.
inline std::string lwo2_cube()
{
    iff_bytes tags;
    tags.s0("Sides").s0("Caps");
    iff_bytes layer;
    layer.u2(0).u2(0).f4(0).f4(0).f4(0).s0("cube");
    iff_bytes pols;
    pols.id("FACE");
    for (const auto& f : cube_faces()) {
        pols.u2(static_cast<unsigned>(f.size()));
        for (int v : f)
            pols.u2(static_cast<unsigned>(v));
    }
    pols.u2(2).u2(0).u2(7);
    pols.u2(1).u2(3);
    iff_bytes ptag;
    ptag.id("SURF");
    for (int f = 0; f < 6; ++f)
        ptag.u2(static_cast<unsigned>(f)).u2(static_cast<unsigned>(cube_surface(f)));
    iff_bytes bbox;
    bbox.f4(-0.5f).f4(-0.5f).f4(-0.5f).f4(0.5f).f4(0.5f).f4(0.5f);
    iff_bytes sides, sides_colour, sides_diffuse, sides_smoothing;
    sides_colour.f4(1).f4(0.5f).f4(0.25f).u2(0);
    sides_diffuse.f4(1).u2(0);
    sides_smoothing.f4(smooth_sides);
    sides.s0("Sides").s0("").sub_chunk("COLR", sides_colour).sub_chunk("DIFF", sides_diffuse);
    sides.sub_chunk("SMAN", sides_smoothing);
    iff_bytes caps, caps_colour;
    caps_colour.f4(0).f4(0).f4(1).u2(0);
    caps.s0("Caps").s0("").sub_chunk("COLR", caps_colour);

    iff_bytes chunks;
    chunks.chunk("TAGS", tags).chunk("LAYR", layer).chunk("PNTS", cube_points()).chunk("BBOX", bbox);
    chunks.chunk("POLS", pols).chunk("PTAG", ptag).chunk("SURF", sides).chunk("SURF", caps);
    return form("LWO2", chunks).bytes;
}

// The same cube in the older format: surfaces numbered from 1, colours
// as bytes (orange is 255, 128, 64 here).
inline std::string lwob_cube()
{
    iff_bytes names;
    names.s0("Sides").s0("Caps");
    iff_bytes pols;
    for (int f = 0; f < 6; ++f) {
        pols.u2(static_cast<unsigned>(cube_faces()[f].size()));
        for (int v : cube_faces()[f])
            pols.u2(static_cast<unsigned>(v));
        pols.u2(static_cast<unsigned>(cube_surface(f) + 1));
    }
    pols.u2(2).u2(0).u2(7).u2(1);
    iff_bytes sides, sides_colour, sides_flags, sides_smoothing;
    sides_colour.bytes = std::string("\xff\x80\x40\x00", 4);
    sides_flags.u2(4);  // smoothing
    sides_smoothing.f4(smooth_sides);
    sides.s0("Sides").sub_chunk("COLR", sides_colour).sub_chunk("FLAG", sides_flags);
    sides.sub_chunk("SMAN", sides_smoothing);
    iff_bytes caps, caps_colour;
    caps_colour.bytes = std::string("\x00\x00\xff\x00", 4);
    caps.s0("Caps").sub_chunk("COLR", caps_colour);

    iff_bytes chunks;
    chunks.chunk("PNTS", cube_points()).chunk("SRFS", names).chunk("POLS", pols);
    chunks.chunk("SURF", sides).chunk("SURF", caps);
    return form("LWOB", chunks).bytes;
}

// The cube's faces (POLS) all tagged with surface 0 (PTAG).
inline void cube_of_one_surface(iff_bytes& pols, iff_bytes& ptag)
{
    pols.id("FACE");
    for (const auto& f : cube_faces()) {
        pols.u2(static_cast<unsigned>(f.size()));
        for (int v : f)
            pols.u2(static_cast<unsigned>(v));
    }
    ptag.id("SURF");
    for (int f = 0; f < 6; ++f)
        ptag.u2(static_cast<unsigned>(f)).u2(0);
}

// The cube with every face of one grey surface (0.8), smoothed up to
// the given angle in radians (0: no SMAN chunk, flat).
inline std::string lwo2_grey_cube(float smoothing)
{
    iff_bytes tags;
    tags.s0("Grey");
    iff_bytes pols, ptag;
    cube_of_one_surface(pols, ptag);
    iff_bytes grey, colour, angle;
    colour.f4(0.8f).f4(0.8f).f4(0.8f).u2(0);
    grey.s0("Grey").s0("").sub_chunk("COLR", colour);
    if (smoothing > 0)
        grey.sub_chunk("SMAN", angle.f4(smoothing));
    iff_bytes chunks;
    chunks.chunk("TAGS", tags).chunk("PNTS", cube_points()).chunk("POLS", pols).chunk("PTAG", ptag);
    chunks.chunk("SURF", grey);
    return form("LWO2", chunks).bytes;
}

// Two layers: layer 1 (file number 0) the cube's bottom face, layer 2
// (number 1) a triangle with its pivot at (1, 2, 3), hanging from layer 1.
inline std::string lwo2_two_layers()
{
    iff_bytes first, second;
    first.u2(0).u2(0).f4(0).f4(0).f4(0).s0("bottom");
    second.u2(1).u2(0).f4(1).f4(2).f4(3).s0("triangle").u2(0);
    iff_bytes square, triangle;
    square.id("FACE").u2(4).u2(0).u2(1).u2(5).u2(4);
    triangle.id("FACE").u2(3).u2(0).u2(1).u2(2);
    iff_bytes three;
    three.f4(0).f4(0).f4(0).f4(0).f4(1).f4(0).f4(1).f4(0).f4(0);
    iff_bytes chunks;
    chunks.chunk("LAYR", first).chunk("PNTS", cube_points()).chunk("POLS", square);
    chunks.chunk("LAYR", second).chunk("PNTS", three).chunk("POLS", triangle);
    return form("LWO2", chunks).bytes;
}

// The cube glowing white (luminous 1, diffuse 0) under an image: laid on
// along the axis (z unless given) from a unit square round the origin
// (projection 0, or 1 and 2 around the axis), or by the UV map "uv",
// which mirrors it left to right (projection 5).
inline std::string lwo2_textured_cube(const std::string& image, int projection, unsigned map_axis = 2)
{
    iff_bytes tags;
    tags.s0("Picture");
    iff_bytes pols, ptag;
    cube_of_one_surface(pols, ptag);
    iff_bytes clip, still;
    still.s0(image);
    clip.u4(1).sub_chunk("STIL", still);
    iff_bytes uv;
    uv.id("TXUV").u2(2).s0("uv");
    for (int i = 0; i < 8; ++i)
        uv.u2(static_cast<unsigned>(i)).f4(i & 1 ? 0.0f : 1.0f).f4(i & 2 ? 1.0f : 0.0f);

    iff_bytes channel, enabled, header, centre, size, tmap, proj, axis, imag, vmap, block;
    channel.id("COLR");
    enabled.u2(1);
    header.s0("\x80").sub_chunk("CHAN", channel).sub_chunk("ENAB", enabled);
    centre.f4(0).f4(0).f4(0).u2(0);
    size.f4(1).f4(1).f4(1).u2(0);
    tmap.sub_chunk("CNTR", centre).sub_chunk("SIZE", size);
    proj.u2(static_cast<unsigned>(projection));
    axis.u2(map_axis);
    imag.u2(1);
    vmap.s0("uv");
    block.sub_chunk("IMAP", header).sub_chunk("TMAP", tmap).sub_chunk("PROJ", proj).sub_chunk("AXIS", axis);
    block.sub_chunk("IMAG", imag).sub_chunk("VMAP", vmap);
    iff_bytes surface, luminous, diffuse;
    luminous.f4(1).u2(0);
    diffuse.f4(0).u2(0);
    surface.s0("Picture").s0("").sub_chunk("LUMI", luminous).sub_chunk("DIFF", diffuse).sub_chunk("BLOK", block);

    iff_bytes chunks;
    chunks.chunk("TAGS", tags).chunk("CLIP", clip).chunk("PNTS", cube_points()).chunk("VMAP", uv);
    chunks.chunk("POLS", pols).chunk("PTAG", ptag).chunk("SURF", surface);
    return form("LWO2", chunks).bytes;
}

}  // namespace vorlane::test
