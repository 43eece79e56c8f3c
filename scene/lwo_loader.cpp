#include "scene/lwo_loader.h"

#include "engine/engine.h"
#include "engine/image_file.h"
#include "runtime/fatal.h"
#include "scene/content_path.h"
#include "scene/scene.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <array>
#include <cmath>
#include <map>
#include <span>
#include <tuple>
#include <vector>

namespace vorlane {

namespace {

// Indices are 16 bits wide and count from the start of the scene's
// vertex buffer.
constexpr int max_vertices = 65536;

struct face {
    int first = 0;     // into the corner list
    int count = 0;
    int surface = -1;  // into the surface names; -1 for none
};

// Big-endian reads within one chunk; anything past its end is a broken
// file.
class chunk_reader {
public:
    chunk_reader(const std::uint8_t* begin, const std::uint8_t* end_, const std::string& file)
        : p(begin), end(end_), name(file)
    {
    }

    [[noreturn]] void fail() const
    {
        fatal(name.empty() ? "Invalid object file" : ("Invalid object file - " + name).c_str());
    }

    std::size_t left() const { return static_cast<std::size_t>(end - p); }

    const std::uint8_t* take(std::size_t n)
    {
        if (left() < n)
            fail();
        const std::uint8_t* at = p;
        p += n;
        return at;
    }

    std::uint32_t u2()
    {
        const std::uint8_t* b = take(2);
        return static_cast<std::uint32_t>(b[0] << 8 | b[1]);
    }

    std::uint32_t u4()
    {
        const std::uint8_t* b = take(4);
        return static_cast<std::uint32_t>(b[0]) << 24 | static_cast<std::uint32_t>(b[1]) << 16 |
               static_cast<std::uint32_t>(b[2]) << 8 | b[3];
    }

    float f4()
    {
        const std::uint32_t bits = u4();
        float v;
        std::memcpy(&v, &bits, 4);
        return v;
    }

    std::string id() { return std::string(reinterpret_cast<const char*>(take(4)), 4); }

    // A point index: two bytes, or four when the first is 0xFF (LWO2).
    std::uint32_t vx()
    {
        if (left() >= 1 && *p == 0xFF)
            return u4() & 0x00FFFFFF;
        return u2();
    }

    // A zero-terminated string padded to an even length.
    std::string s0()
    {
        const std::uint8_t* zero = static_cast<const std::uint8_t*>(std::memchr(p, 0, left()));
        if (!zero)
            fail();
        std::string s(reinterpret_cast<const char*>(p), static_cast<std::size_t>(zero - p));
        p = zero + 1;
        if (s.size() % 2 == 0 && left() > 0)
            ++p;
        return s;
    }

    // The next chunk of id, 4-byte size (2-byte within surfaces), body and
    // a pad byte after an odd size. A pad byte missing at the very end is
    // forgiven.
    chunk_reader chunk(std::string& chunk_id, bool short_size)
    {
        chunk_id = id();
        const std::size_t size = short_size ? u2() : u4();
        const std::uint8_t* body = take(size);
        if (size % 2 && left() > 0)
            ++p;
        return chunk_reader(body, body + size, name);
    }

    const std::uint8_t* p;
    const std::uint8_t* end;
    const std::string& name;
};

// How a surface looks, as far as the material shows it.
struct surface_data {
    d3d_color_value colour{1, 1, 1, 1};
    float diffuse = 1;
    float luminosity = 0;
    float transparency = 0;
    float smoothing = 0;  // largest angle between smoothed faces, radians; 0: flat
    // The first colour image layer: how it is laid on, the image (a clip
    // number, or an older file's file name) and the UV map it may use.
    image_map map;
    int clip = -1;
    std::string image;
    std::string uv_map;
    bool projection_read = false;  // the first image layer was read
};

using uv = std::array<float, 2>;

struct object_data {
    std::vector<vector> points;
    std::vector<int> corners;  // point indices of every face, face after face
    std::vector<face> faces;
    std::vector<std::string> surfaces;  // names by surface number
    std::map<std::string, surface_data> looks;
    std::map<int, std::string> clips;  // still images by clip number
    std::map<std::string, std::map<int, uv>> uv_maps;  // by name, of points
    // Coordinates of a point in one face only, by map name, (point, face).
    std::map<std::string, std::map<std::pair<int, int>, uv>> face_uv_maps;
};

// LightWave's smoothing angle where an old file asks for smoothing
// without giving one: 89.5 degrees, so right angles stay sharp.
constexpr float default_smoothing = 1.5620697f;
constexpr unsigned lwob_smoothing_flag = 4;
// Old files give levels as 16-bit fractions of 256.
constexpr float lwob_level = 256.0f;

void read_points(chunk_reader& c, object_data& o, std::size_t& layer_start)
{
    if (c.left() % 12)
        c.fail();
    layer_start = o.points.size();
    while (c.left() > 0) {
        vector v;
        v.x = c.f4();
        v.y = c.f4();
        v.z = c.f4();
        o.points.push_back(v);
    }
}

// Face corners count within the points of the current layer.
void add_corner(chunk_reader& c, object_data& o, std::size_t layer_start, std::uint32_t index)
{
    if (index >= o.points.size() - layer_start)
        c.fail();
    o.corners.push_back(static_cast<int>(layer_start + index));
}

void read_faces_lwo2(chunk_reader& c, object_data& o, std::size_t layer_start)
{
    while (c.left() > 0) {
        face f;
        f.first = static_cast<int>(o.corners.size());
        f.count = static_cast<int>(c.u2() & 0x03FF);  // the top six bits are flags
        for (int k = 0; k < f.count; ++k)
            add_corner(c, o, layer_start, c.vx());
        o.faces.push_back(f);
    }
}

void read_faces_lwob(chunk_reader& c, object_data& o, std::size_t layer_start)
{
    while (c.left() > 0) {
        face f;
        f.first = static_cast<int>(o.corners.size());
        f.count = static_cast<int>(c.u2());
        for (int k = 0; k < f.count; ++k)
            add_corner(c, o, layer_start, c.u2());
        int surface = static_cast<std::int16_t>(c.u2());
        // A negative surface announces detail polygons; they follow as
        // faces of their own.
        if (surface < 0) {
            surface = -surface;
            c.u2();
        }
        f.surface = surface - 1;
        o.faces.push_back(f);
    }
}

// Texture coordinates by point (VMAP), or by point and face (VMAD) where
// a face's corner differs from the point's; other maps are skipped.
void read_uv_map(chunk_reader& c, object_data& o, bool by_face, std::size_t layer_start, std::size_t faces_start)
{
    if (c.id() != "TXUV")
        return;
    const std::uint32_t dimension = c.u2();
    const std::string name = c.s0();
    if (dimension < 2)
        return;
    while (c.left() > 0) {
        const std::size_t point = layer_start + c.vx();
        const std::size_t face = by_face ? faces_start + c.vx() : 0;
        uv value{c.f4(), c.f4()};
        for (std::uint32_t k = 2; k < dimension; ++k)
            c.f4();
        if (point >= o.points.size() || (by_face && face >= o.faces.size()))
            c.fail();
        if (by_face)
            o.face_uv_maps[name][{static_cast<int>(point), static_cast<int>(face)}] = value;
        else
            o.uv_maps[name][static_cast<int>(point)] = value;
    }
}

void read_surface_tags(chunk_reader& c, object_data& o, std::size_t faces_start)
{
    if (c.id() != "SURF")
        return;
    while (c.left() > 0) {
        const std::size_t f = faces_start + c.vx();
        const int tag = static_cast<int>(c.u2());
        if (f >= o.faces.size())
            c.fail();
        o.faces[f].surface = tag;
    }
}

// A three-float vector, followed in the newer format by an envelope.
vector read_vector(chunk_reader& c)
{
    vector v;
    v.x = c.f4();
    v.y = c.f4();
    v.z = c.f4();
    return v;
}

// A surface block: the first enabled image layer of the colour channel
// gives the surface its image map; other layers are skipped.
void read_block(chunk_reader& block, surface_data& look)
{
    std::string kind;
    chunk_reader header = block.chunk(kind, true);
    if (kind != "IMAP" || look.projection_read)
        return;
    header.s0();  // the ordinal, which orders layers
    while (header.left() > 0) {
        std::string id;
        chunk_reader sub = header.chunk(id, true);
        if ((id == "CHAN" && sub.id() != "COLR") || (id == "ENAB" && sub.u2() == 0))
            return;
    }
    image_map map;
    int clip = -1;
    std::string uv_map;
    while (block.left() > 0) {
        std::string id;
        chunk_reader sub = block.chunk(id, true);
        if (id == "TMAP") {
            while (sub.left() > 0) {
                std::string tmap_id;
                chunk_reader part = sub.chunk(tmap_id, true);
                if (tmap_id == "CNTR")
                    map.centre = read_vector(part);
                else if (tmap_id == "SIZE")
                    map.size = read_vector(part);
            }
        } else if (id == "PROJ") {
            map.projection = static_cast<int>(sub.u2());
        } else if (id == "AXIS") {
            map.axis = static_cast<int>(sub.u2());
        } else if (id == "IMAG") {
            clip = static_cast<int>(sub.vx());
        } else if (id == "WRPW") {
            map.wrap_width = sub.f4();
        } else if (id == "WRPH") {
            map.wrap_height = sub.f4();
        } else if (id == "VMAP") {
            uv_map = sub.s0();
        }
    }
    look.map = map;
    look.clip = clip;
    look.uv_map = uv_map;
    look.projection_read = true;
}

// The older format's texture of the colour: CTEX names its projection,
// the T* chunks behind it give its image and placement.
bool read_lwob_texture(const std::string& id, chunk_reader& sub, surface_data& look, bool& in_colour_texture)
{
    static const char* const projections[] = {"Planar Image Map", "Cylindrical Image Map", "Spherical Image Map",
                                              "Cubic Image Map"};
    if (id == "CTEX" || id == "DTEX" || id == "STEX" || id == "RTEX" || id == "TTEX" || id == "LTEX" ||
        id == "BTEX") {
        in_colour_texture = id == "CTEX" && !look.projection_read;
        if (in_colour_texture) {
            const std::string name = sub.s0();
            for (int k = 0; k < 4; ++k)
                if (name == projections[k])
                    look.map.projection = k;
            in_colour_texture = look.map.projection >= 0;
            look.projection_read = in_colour_texture;
        }
        return true;
    }
    if (!in_colour_texture)
        return false;
    if (id == "TIMG") {
        look.image = sub.s0();
    } else if (id == "TFLG") {
        const unsigned flags = sub.u2();
        look.map.axis = flags & 1 ? 0 : flags & 2 ? 1 : 2;
    } else if (id == "TSIZ") {
        look.map.size = read_vector(sub);
    } else if (id == "TCTR") {
        look.map.centre = read_vector(sub);
    } else {
        return false;
    }
    return true;
}

// Surface levels: a float (the newer format, and the older one's V*
// forms), or the older format's fraction of 256.
void read_surface(chunk_reader& c, object_data& o, bool lwo2)
{
    const std::string name = c.s0();
    if (lwo2)
        c.s0();  // the surface it derives from
    surface_data& look = o.looks[name];
    bool lwob_smoothed = false;
    bool in_colour_texture = false;
    while (c.left() > 0) {
        std::string id;
        chunk_reader sub = c.chunk(id, true);
        if (!lwo2 && read_lwob_texture(id, sub, look, in_colour_texture))
            continue;
        if (id == "BLOK" && lwo2) {
            read_block(sub, look);
        } else if (id == "COLR" && lwo2) {
            look.colour.r = sub.f4();
            look.colour.g = sub.f4();
            look.colour.b = sub.f4();
        } else if (id == "COLR") {
            const std::uint8_t* rgb = sub.take(3);
            look.colour.r = rgb[0] / 255.0f;
            look.colour.g = rgb[1] / 255.0f;
            look.colour.b = rgb[2] / 255.0f;
        } else if (id == "DIFF" || id == "LUMI" || id == "TRAN" || id == "VDIF" || id == "VLUM" || id == "VTRN") {
            const float level = lwo2 || id[0] == 'V' ? sub.f4() : static_cast<std::int16_t>(sub.u2()) / lwob_level;
            const char kind = id[0] == 'V' ? id[1] : id[0];
            (kind == 'D' ? look.diffuse : kind == 'L' ? look.luminosity : look.transparency) = level;
        } else if (id == "SMAN") {
            look.smoothing = sub.f4();
        } else if (id == "FLAG" && !lwo2) {
            lwob_smoothed = (sub.u2() & lwob_smoothing_flag) != 0;
        }
    }
    // The older format smooths only where its flag says so.
    if (!lwo2)
        look.smoothing = lwob_smoothed ? (look.smoothing > 0 ? look.smoothing : default_smoothing) : 0;
}

constexpr float pi = 3.14159265f;
constexpr int projection_cubic = 3;
constexpr int projection_uv = 5;

// The image a surface names: a clip of the newer format, a file name of
// the older one; empty for none.
std::string image_of(const object_data& o, const surface_data& look)
{
    if (look.clip >= 0) {
        const auto clip = o.clips.find(look.clip);
        return clip == o.clips.end() ? std::string() : clip->second;
    }
    return look.image == "(none)" ? std::string() : look.image;
}

// Texture coordinates of point p, on a face whose normal is n, as the map
// lays the image on; v counts from the image's top row.
uv projected(const image_map& m, const vector& p, const vector& n)
{
    const float q[3] = {p.x - m.centre.x, p.y - m.centre.y, p.z - m.centre.z};
    const float size[3] = {m.size.x, m.size.y, m.size.z};
    const auto along = [&](int k) { return size[k] != 0 ? q[k] / size[k] : 0.0f; };
    int axis = std::clamp(m.axis, 0, 2);
    if (m.projection == projection_cubic) {
        const float a[3] = {std::fabs(n.x), std::fabs(n.y), std::fabs(n.z)};
        axis = a[0] >= a[1] && a[0] >= a[2] ? 0 : a[1] >= a[2] ? 1 : 2;
    }
    // The plane's two directions, and around an axis the two that sweep
    // the angle.
    static const int plane[3][2] = {{2, 1}, {0, 2}, {0, 1}};
    static const int sweep[3][2] = {{2, 1}, {0, 2}, {0, 1}};
    float u = 0;
    float v = 0;
    if (m.projection == 1 || m.projection == 2) {
        const float s = q[sweep[axis][0]];
        const float f = q[sweep[axis][1]];
        u = (std::atan2(s, f) / (2 * pi) + 0.5f) * m.wrap_width;
        v = m.projection == 1 ? along(axis) + 0.5f
                              : (std::atan2(q[axis], std::sqrt(s * s + f * f)) / pi + 0.5f) * m.wrap_height;
    } else {
        u = along(plane[axis][0]) + 0.5f;
        v = along(plane[axis][1]) + 0.5f;
    }
    return uv{u, 1 - v};
}

// The texture coordinates of each corner of face number f. Around a
// cylinder or sphere, a face that spans the seam takes its corners on the
// far side one turn further, so the image does not run back across it.
void face_uvs(const object_data& o, const surface_data& look, int f, const vector& normal, std::vector<uv>& out)
{
    const face& fc = o.faces[f];
    const int* corner = &o.corners[fc.first];
    for (int k = 0; k < fc.count; ++k) {
        if (look.map.projection != projection_uv) {
            out[k] = projected(look.map, o.points[corner[k]], normal);
            continue;
        }
        uv value{0, 0};
        const auto by_face = o.face_uv_maps.find(look.uv_map);
        const auto by_point = o.uv_maps.find(look.uv_map);
        if (by_face != o.face_uv_maps.end() && by_face->second.count({corner[k], f}))
            value = by_face->second.at({corner[k], f});
        else if (by_point != o.uv_maps.end() && by_point->second.count(corner[k]))
            value = by_point->second.at(corner[k]);
        out[k] = uv{value[0], 1 - value[1]};
    }
    if (look.map.projection != 1 && look.map.projection != 2)
        return;
    const float turn = look.map.wrap_width;
    float low = out[0][0];
    float high = low;
    for (const uv& c : out) {
        low = std::min(low, c[0]);
        high = std::max(high, c[0]);
    }
    if (high - low > turn / 2)
        for (uv& c : out)
            if (c[0] < turn / 2)
                c[0] += turn;
}

// One mesh per surface that has faces of three or more corners (lines and
// points are not drawn), in surface order, faces without a surface last.
object* add_to_scene(chunk_reader& c, const object_data& o, scene& s,
                     const std::function<int(const std::string&)>& texture_of)
{
    std::vector<int> order;
    for (int i = 0; i < static_cast<int>(o.faces.size()); ++i) {
        const face& f = o.faces[i];
        if (f.surface >= static_cast<int>(o.surfaces.size()))
            c.fail();
        if (f.count >= 3)
            order.push_back(i);
    }
    const auto key = [&](int i) {
        const int surface = o.faces[i].surface;
        return surface < 0 ? static_cast<int>(o.surfaces.size()) : surface;
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return key(a) < key(b); });

    std::vector<mesh> meshes;
    std::vector<fvf_vertex> vertices;
    std::vector<int> indices;
    const int object_index = s.no_objects;
    for (std::size_t at = 0; at < order.size();) {
        const int surface = o.faces[order[at]].surface;
        surface_data look;
        if (surface >= 0 && o.looks.count(o.surfaces[surface]))
            look = o.looks.at(o.surfaces[surface]);
        mesh m;
        m.min_index = s.no_vertices;
        m.start_index = s.no_indices;
        m.object = object_index;
        vertices.clear();
        indices.clear();
        std::size_t done = at;
        while (done < order.size() && o.faces[order[done]].surface == surface)
            ++done;
        const std::span<const int> faces(order.data() + at, done - at);
        at = done;

        // Clockwise seen from the front, each triangle's cross product
        // points out of the face; their sum is the face's normal, weighted
        // by its area.
        std::vector<vector> normal(faces.size());
        std::vector<vector> unit(faces.size());
        std::map<int, std::vector<int>> faces_at;  // of each point, by position in faces
        for (std::size_t i = 0; i < faces.size(); ++i) {
            const face& f = o.faces[faces[i]];
            const int* corner = &o.corners[f.first];
            for (int k = 1; k + 1 < f.count; ++k) {
                vector a, b, n;
                a.difference(o.points[corner[k]], o.points[corner[0]]);
                b.difference(o.points[corner[k + 1]], o.points[corner[0]]);
                n.cross(a, b);
                normal[i].add(n);
            }
            unit[i] = normal[i];
            if (unit[i].length() > 0)
                unit[i].normalize();
            for (int k = 0; k < f.count; ++k)
                faces_at[corner[k]].push_back(static_cast<int>(i));
        }
        // A corner of a smoothed surface takes the normals of the faces
        // around its point that meet its own face at no more than the
        // smoothing angle; other corners take their face's. Corners of one
        // point with the same normal share a vertex.
        const float smooth_cos = std::cos(look.smoothing);
        const int texture = look.map.projection >= 0 ? texture_of(image_of(o, look)) : -1;
        std::map<std::tuple<int, float, float, float, float, float>, int> vertex_of;
        std::vector<uv> uvs;
        for (std::size_t i = 0; i < faces.size(); ++i) {
            const face& f = o.faces[faces[i]];
            const int* corner = &o.corners[f.first];
            std::vector<int> local(static_cast<std::size_t>(f.count));
            uvs.assign(static_cast<std::size_t>(f.count), uv{0, 0});
            if (texture >= 0)
                face_uvs(o, look, faces[i], unit[i], uvs);
            for (int k = 0; k < f.count; ++k) {
                vector n = normal[i];
                if (look.smoothing > 0) {
                    n = vector{};
                    for (int g : faces_at[corner[k]]) {
                        const vector& u = unit[g];
                        if (unit[i].x * u.x + unit[i].y * u.y + unit[i].z * u.z >= smooth_cos)
                            n.add(normal[g]);
                    }
                }
                if (n.length() > 0)
                    n.normalize();
                const auto key = std::make_tuple(corner[k], n.x, n.y, n.z, uvs[k][0], uvs[k][1]);
                auto found = vertex_of.find(key);
                if (found == vertex_of.end()) {
                    found = vertex_of.emplace(key, static_cast<int>(vertices.size())).first;
                    const vector& p = o.points[corner[k]];
                    vertices.push_back(fvf_vertex{p.x, p.y, p.z, n.x, n.y, n.z, uvs[k][0], uvs[k][1]});
                }
                local[k] = found->second;
            }
            for (int k = 1; k + 1 < f.count; ++k)
                for (int c : {0, k, k + 1})
                    indices.push_back(local[c]);
        }
        if (s.no_vertices + static_cast<long long>(vertices.size()) > max_vertices)
            fatal(("Object file too large - " + c.name).c_str());
        m.num_vertices = static_cast<int>(vertices.size());
        m.prim_count = static_cast<int>(indices.size() / 3);

        vector low{vertices[0].x, vertices[0].y, vertices[0].z, 1};
        vector high = low;
        s.vb.lock();
        for (const fvf_vertex& v : vertices) {
            *s.vb.vertex(s.no_vertices++) = v;
            low.set(std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z), 1);
            high.set(std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z), 1);
        }
        s.vb.unlock();
        s.ib.lock();
        for (int i : indices)
            *s.ib.index(s.no_indices++) = static_cast<std::uint16_t>(m.min_index + i);
        s.ib.unlock();
        for (int corner = 0; corner < 8; ++corner)
            m.bbox[corner].set(corner & 1 ? high.x : low.x, corner & 2 ? high.y : low.y,
                               corner & 4 ? high.z : low.z, 1);

        m.material = s.no_materials++;
        material* mat = s.materials.at(m.material);
        *mat = material{};
        mat->colour = look.colour;
        mat->colour.a = 1 - std::clamp(look.transparency, 0.0f, 1.0f);
        if (look.transparency > 0)
            mat->blend = 1;
        mat->diffuse = look.diffuse;
        mat->luminosity = look.luminosity;
        if (texture >= 0) {
            // The image takes the place of the surface's colour.
            mat->colour.r = mat->colour.g = mat->colour.b = 1;
            mat->add_layer()->texture = texture;
            mat->map = look.map;
        }
        meshes.push_back(m);
    }

    object* added = s.add_object(static_cast<int>(meshes.size()));
    std::copy(meshes.begin(), meshes.end(), added->meshes.get());
    return added;
}

}  // namespace

void lwo_loader::load(std::string_view file, scene& s)
{
    load_layer(file, 0, s);
}

void lwo_loader::load_layer(std::string_view file, int number, scene& s)
{
    std::string bytes;
    std::string found;
    std::string message;
    if (!read_content_file(folder, std::string(file), "object file", bytes, found, message))
        fatal(message.c_str());
    name = found;
    layer = number;
    parse(bytes, s);
    layer = 0;

    // A layer whose parent layer of the same file came in before hangs
    // from it.
    object* added = s.objects.at(s.no_objects - 1);
    for (const loaded_layer& l : loaded)
        if (l.in == &s && l.path == found && l.number == parent_layer && l.object < s.no_objects - 1)
            added->parent = l.object;
    if (number > 0)
        loaded.push_back(loaded_layer{&s, found, number - 1, s.no_objects - 1});
}

// The image as a texture; -1, with a warning, when it cannot be read: the
// surface is then drawn without it.
int lwo_loader::load_texture(const std::string& image) const
{
    std::string bytes;
    std::string found;
    std::string message;
    if (!read_content_file(folder, image, "image file", bytes, found, message)) {
        std::fprintf(stderr, "%s: drawn without it\n", message.c_str());
        return -1;
    }
    // The slot after the pictures in use, whose pixels the texture takes.
    picture& p = *myengine.pictures.at(myengine.no_pictures);
    if (!read_image_file(found, bytes, p)) {
        std::fprintf(stderr, "Cannot read image file - %s: drawn without it\n", found.c_str());
        return -1;
    }
    return myengine.create_texture(myengine.no_pictures);
}

void lwo_loader::parse(std::string_view bytes, scene& s)
{
    const auto* begin = reinterpret_cast<const std::uint8_t*>(bytes.data());
    chunk_reader file(begin, begin + bytes.size(), name);
    if (file.id() != "FORM")
        file.fail();
    // A form that claims more than the file holds is read as far as it goes.
    // The size is read before what is left is measured: the two must not
    // be arguments of one call, whose order of evaluation is open.
    const std::size_t claimed = file.u4();
    const std::size_t form_size = std::min(claimed, file.left());
    chunk_reader form(file.p, file.p + form_size, name);
    const std::string type = form.id();
    if (type != "LWO2" && type != "LWOB")
        form.fail();
    const bool lwo2 = type == "LWO2";

    object_data o;
    std::size_t layer_start = 0;
    std::size_t faces_start = 0;
    bool last_faces_were_faces = false;
    // Before any LAYR chunk everything is the first layer.
    bool in_layer = layer <= 1;
    vector pivot;
    parent_layer = -1;
    while (form.left() > 0) {
        std::string id;
        chunk_reader c = form.chunk(id, false);
        if (id == "LAYR" && lwo2) {
            const int number = static_cast<int>(c.u2());
            in_layer = layer == 0 || number + 1 == layer;
            if (layer > 0 && in_layer) {
                c.u2();  // flags
                pivot.x = c.f4();
                pivot.y = c.f4();
                pivot.z = c.f4();
                pivot.w = 1;
                c.s0();  // name
                // The parent is optional; 0xFFFF is none.
                parent_layer = c.left() >= 2 ? static_cast<std::int16_t>(c.u2()) : -1;
            }
        } else if (!in_layer && (id == "PNTS" || id == "POLS" || id == "PTAG" || id == "VMAP" || id == "VMAD")) {
            continue;
        } else if (id == "CLIP" && lwo2) {
            const int number = static_cast<int>(c.u4());
            while (c.left() > 0) {
                std::string clip_id;
                chunk_reader sub = c.chunk(clip_id, true);
                if (clip_id == "STIL")
                    o.clips[number] = sub.s0();
            }
        } else if ((id == "VMAP" || id == "VMAD") && lwo2) {
            read_uv_map(c, o, id == "VMAD", layer_start, faces_start);
        } else if (id == "PNTS") {
            read_points(c, o, layer_start);
        } else if (id == "POLS") {
            faces_start = o.faces.size();
            // Subdivision patches are drawn as their cages.
            const std::string kind = lwo2 ? c.id() : "FACE";
            last_faces_were_faces = kind == "FACE" || kind == "PTCH";
            if (!last_faces_were_faces)
                continue;  // curves, bones: not drawn
            if (lwo2)
                read_faces_lwo2(c, o, layer_start);
            else
                read_faces_lwob(c, o, layer_start);
        } else if (id == "PTAG" && lwo2) {
            if (last_faces_were_faces)
                read_surface_tags(c, o, faces_start);
        } else if ((id == "TAGS" && lwo2) || (id == "SRFS" && !lwo2)) {
            while (c.left() > 0)
                o.surfaces.push_back(c.s0());
        } else if (id == "SURF") {
            read_surface(c, o, lwo2);
        }
    }
    std::map<std::string, int> textures;  // by the name the file gives
    const auto texture_of = [&](const std::string& image) {
        if (image.empty())
            return -1;
        const auto known = textures.find(image);
        if (known != textures.end())
            return known->second;
        return textures[image] = load_texture(image);
    };
    object* added = add_to_scene(form, o, s, texture_of);
    added->pivot = pivot;
    added->parent = -1;
}

}  // namespace vorlane
