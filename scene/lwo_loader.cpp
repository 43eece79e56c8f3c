#include "scene/lwo_loader.h"

#include "engine/whole_file.h"
#include "runtime/fatal.h"
#include "scene/content_path.h"
#include "scene/scene.h"

#include <algorithm>
#include <cstring>
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
};

struct object_data {
    std::vector<vector> points;
    std::vector<int> corners;  // point indices of every face, face after face
    std::vector<face> faces;
    std::vector<std::string> surfaces;  // names by surface number
    std::map<std::string, surface_data> looks;
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

// Surface levels: a float (the newer format, and the older one's V*
// forms), or the older format's fraction of 256.
void read_surface(chunk_reader& c, object_data& o, bool lwo2)
{
    const std::string name = c.s0();
    if (lwo2)
        c.s0();  // the surface it derives from
    surface_data& look = o.looks[name];
    bool lwob_smoothed = false;
    while (c.left() > 0) {
        std::string id;
        chunk_reader sub = c.chunk(id, true);
        if (id == "COLR" && lwo2) {
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

// One mesh per surface that has faces of three or more corners (lines and
// points are not drawn), in surface order, faces without a surface last.
object* add_to_scene(chunk_reader& c, const object_data& o, scene& s)
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
        std::map<std::tuple<int, float, float, float>, int> vertex_of;
        for (std::size_t i = 0; i < faces.size(); ++i) {
            const face& f = o.faces[faces[i]];
            const int* corner = &o.corners[f.first];
            std::vector<int> local(static_cast<std::size_t>(f.count));
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
                const auto key = std::make_tuple(corner[k], n.x, n.y, n.z);
                auto found = vertex_of.find(key);
                if (found == vertex_of.end()) {
                    found = vertex_of.emplace(key, static_cast<int>(vertices.size())).first;
                    const vector& p = o.points[corner[k]];
                    vertices.push_back(fvf_vertex{p.x, p.y, p.z, n.x, n.y, n.z, 0, 0});
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
        } else if (!in_layer && (id == "PNTS" || id == "POLS" || id == "PTAG")) {
            continue;
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
    object* added = add_to_scene(form, o, s);
    added->pivot = pivot;
    added->parent = -1;
}

}  // namespace vorlane
