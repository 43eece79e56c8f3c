// Writes the two scene animations of the show, data/part2.csf and
// data/part5.csf: key-framed placements of the scene objects and the camera
// (no geometry). Deterministic: the same bytes on every run.
//
// usage: make_csf OUTPUT_DIR

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr double quarter_turn = 1.5708;

struct key {
    int time = 0;
    float x = 0, y = 0, z = 0;
    float yaw = 0, pitch = 0, roll = 0;
    float sx = 1, sy = 1, sz = 1;
};

class image {
public:
    void object(const std::vector<key>& keys) { record('o', keys); }
    void camera(const std::vector<key>& keys) { record('c', keys); }

    bool write(const std::string& path)
    {
        bytes.push_back(0);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        if (!f)
            return false;
        const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        return std::fclose(f) == 0 && ok;
    }

    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>{'C', 'S', 'F', '!'};

private:
    void u32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void f32(float v)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        u32(bits);
    }
    void record(char tag, const std::vector<key>& keys)
    {
        bytes.push_back(static_cast<std::uint8_t>(tag));
        u32(static_cast<std::uint32_t>(keys.size()));
        for (const key& k : keys) {
            u32(static_cast<std::uint32_t>(k.time));
            for (float v : {k.x, k.y, k.z, k.yaw, k.pitch, k.roll, k.sx, k.sy, k.sz})
                f32(v);
        }
    }
};

float f(double v) { return static_cast<float>(v); }

key label_key(int time, double x, double y, double z, double scale)
{
    key k;
    k.time = time;
    k.x = f(x);
    k.y = f(y);
    k.z = f(z);
    k.sx = k.sy = f(scale);
    return k;
}

// The second part: the camera flies along x past the labels of the first
// part (the title, the handle, the product word and two convoys of small
// labels), then turns a quarter to look down the striped tunnel.
image part2_image()
{
    image im;
    // 0: the noise layer, stretched into a backdrop.
    key backdrop;
    backdrop.sx = 10;
    backdrop.sy = 10;
    im.object({backdrop});

    // 1: the title travels with the camera, drifting slowly ahead of it.
    std::vector<key> title;
    for (int i = 0; i <= 8; ++i) {
        key k = label_key(static_cast<int>(std::lround(710.0 * i / 8)), 100.0 * i / 8, 0.3,
                          0.15 * std::sin(i * 0.9), 0.125);
        k.roll = f(0.06 * std::sin(i * 1.3));
        title.push_back(k);
    }
    im.object(title);

    // 2: the handle waits below the world, then appears beside the title.
    im.object({label_key(0, 0, -100, 0, 0.125), label_key(346, 0, -100, 0, 0.125),
               label_key(347, 50.5, 0.62, 0.35, 0.1), label_key(460, 66.5, 0.55, 0.25, 0.1),
               label_key(590, 84.5, 0.66, 0.3, 0.1), label_key(710, 101.5, 0.6, 0.2, 0.1)});

    // 3: the product word rises from below to stand across the tunnel's
    // mouth, facing the camera after its last turn.
    key word_parked = label_key(0, 104, -100, -1.2, 0.3);
    word_parked.yaw = f(quarter_turn);
    key word_waiting = word_parked;
    word_waiting.time = 353;
    key word_shown = word_parked;
    word_shown.time = 710;
    word_shown.y = -0.15f;
    im.object({word_parked, word_waiting, word_shown});

    // 4-8: a convoy of green labels below the path, 20 frames apart.
    for (int n = 0; n < 5; ++n) {
        const int o = 20 * n;
        im.object({label_key(60 + o, 6, -0.55, 0.5, 0.06), label_key(260 + o, 34, -0.35, 0.3, 0.06),
                   label_key(470 + o, 63, -0.6, 0.45, 0.06), label_key(700 + o, 97, -0.4, 0.25, 0.06)});
    }
    // 9-13: a convoy of blue labels above it, weaving.
    for (int n = 0; n < 5; ++n) {
        const int o = 20 * n;
        std::vector<key> keys;
        for (int i = 0; i < 6; ++i)
            keys.push_back(label_key(20 + 140 * i + o, 2 + 19.5 * i, 0.75 + 0.15 * std::sin(i * 1.7),
                                     0.4 + 0.2 * std::cos(i * 1.1), 0.06));
        im.object(keys);
    }
    // 14: the tunnel box, 100 units long, around the path's end.
    key tunnel = label_key(0, 52, 0, -1.4, 1);
    tunnel.sx = 50;
    tunnel.sy = 1;
    tunnel.sz = 1;
    im.object({tunnel});

    // The camera: along x at the labels' height, swaying a little, and
    // turning to look down the tunnel over its last keys.
    std::vector<key> cam;
    for (int i = 0; i < 20; ++i) {
        const double s = i / 19.0;
        key k;
        k.time = static_cast<int>(std::lround(710 * s));
        k.x = f(100 * s);
        k.y = f(0.3 - 0.5 * s + 0.08 * std::sin(i * 0.8));
        k.z = f(-1.6 + 0.45 * s + 0.12 * std::sin(i * 0.6));
        k.roll = f(0.05 * std::sin(i * 0.7));
        k.yaw = i < 16 ? f(0.08 * std::sin(i * 0.5)) : f(quarter_turn * (i - 15) / 4.0);
        if (i == 19) {
            k.x = 100;
            k.y = -0.2f;
            k.z = -1.15f;
            k.roll = 0;
            k.yaw = f(quarter_turn);
        }
        cam.push_back(k);
    }
    im.camera(cam);
    return im;
}

key placement(double x, double y, double z)
{
    key k;
    k.x = f(x);
    k.y = f(y);
    k.z = f(z);
    return k;
}

// The fifth part: the camera orbits the particle box, diving through it;
// two objects lead particles on loops, nine stand still (the blue light's
// anchor, the five group centres and three spares).
image part5_image()
{
    image im;
    key box;
    box.sx = box.sy = box.sz = 100.002f;
    im.object({box});

    std::vector<key> leader1;
    for (int i = 0; i < 5; ++i)
        leader1.push_back(label_key(i * 82, 70 * std::cos(i * 1.6), 35 * std::sin(i * 2.1),
                                    70 * std::sin(i * 1.6), 1));
    im.object(leader1);
    std::vector<key> leader2;
    for (int i = 0; i < 7; ++i)
        leader2.push_back(label_key(i * 55, -60 * std::sin(i * 1.1), 60 * std::cos(i * 0.9),
                                    50 * std::cos(i * 1.1), 1));
    im.object(leader2);

    im.object({placement(-6, -3, -25)});  // 3: the blue light's anchor
    const double centres[5][3] = {{0, 0, 0}, {55, 40, -45}, {-60, -35, 40}, {45, -50, 55}, {-40, 55, -50}};
    for (const auto& c : centres)
        im.object({placement(c[0], c[1], c[2])});
    im.object({placement(80, 80, 80)});
    im.object({placement(-80, -80, 80)});
    im.object({placement(80, -80, -80)});

    // One and a quarter orbits; the radius swings from outside the box to
    // well inside it and out again, the camera always facing the centre.
    std::vector<key> cam;
    for (int i = 0; i < 29; ++i) {
        const double s = i / 28.0;
        const double angle = 2.5 * M_PI * s;
        const double radius = 230 - 170 * std::sin(M_PI * s);
        const double height = 60 * std::cos(3 * M_PI * s);
        key k;
        k.time = static_cast<int>(std::lround(752 * s));
        k.x = f(radius * std::sin(angle));
        k.y = f(height);
        k.z = f(-radius * std::cos(angle));
        k.yaw = f(-angle);
        k.pitch = f(std::atan2(height, radius));
        cam.push_back(k);
    }
    im.camera(cam);
    return im;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_csf OUTPUT_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    image part2 = part2_image(), part5 = part5_image();
    if (!part2.write(dir + "/part2.csf") || !part5.write(dir + "/part5.csf")) {
        std::fprintf(stderr, "make_csf: cannot write to %s\n", dir.c_str());
        return 1;
    }
    std::printf("part2.csf %zu bytes, part5.csf %zu bytes\n", part2.bytes.size(), part5.bytes.size());
    return 0;
}
