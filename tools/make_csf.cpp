// Writes the two scene animations of the show, data/part2.csf and
// data/part5.csf: key-framed placements of the scene objects and the camera
// (no geometry). Deterministic: the same bytes on every run.
//
// usage: make_csf OUTPUT_DIR

#include <algorithm>
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

// The second part. For 14 s the camera drifts sideways along x past the
// labels of the first part: the title rides with it, a convoy of green
// labels passes below from right to left, a convoy of blue ones above
// from left to right. Over the next 2 s its motion turns from x to z; from
// 15 s on it flies down the striped tunnel (a box lying along z, its open
// end behind the camera), where the handle joins the title, the product
// word rises from the floor and the convoys drift towards the camera.
//
// The label quad shows the top row of its picture at its lower edge, so
// every label key has a negative y scale: upright and not mirrored for
// the camera, which always looks along +z.

struct point {
    double x, y, z;
};

// Frames at which the camera's motion turns from x to z.
constexpr double turn_start = 280, turn_end = 320;
constexpr double sideways_speed = 0.12, forward_speed = 0.15;  // units per frame

// The camera's position at frame t without its sway: the speed hands over
// linearly from x to z between the turn frames.
point camera_track(double t)
{
    const double turn = turn_end - turn_start;
    const double u = std::clamp(t - turn_start, 0.0, turn);
    const double x = sideways_speed * (std::min(t, turn_start) + u - u * u / (2 * turn));
    double z = -1.6 + forward_speed * u * u / (2 * turn);
    if (t > turn_end)
        z += forward_speed * (t - turn_end);
    return {x, 0.3, z};
}

// The tunnel's axis: where the camera's x ends up after the turn.
const point tunnel_axis = camera_track(turn_end);

// An upright label at an offset from where the camera is at that time.
key riding(int time, double dx, double dy, double dz, double scale)
{
    const point at = camera_track(time);
    key k = label_key(time, at.x + dx, at.y + dy, at.z + dz, scale);
    k.sy = f(-scale);
    return k;
}

key at_time(key k, int time)
{
    k.time = time;
    return k;
}

image part2_image()
{
    image im;
    // 0: the noise layer, one wide backdrop behind the sideways flight
    // (its texture follows the camera, so its size does not show).
    key backdrop = label_key(0, 18, 0.3, 0.6, 40);
    im.object({backdrop});

    // 1: the title rides with the camera, weaving a little; its keys are
    // closer together while the camera turns.
    const int title_times[9] = {0, 90, 180, 250, 285, 315, 400, 550, 710};
    std::vector<key> title;
    for (int i = 0; i <= 8; ++i) {
        key k = riding(title_times[i], 0.3 * std::sin(i * 1.1),
                       0.12 + 0.08 * std::cos(i * 0.8), 1.8 + 0.15 * std::sin(i * 0.9), 0.125);
        k.roll = f(0.06 * std::sin(i * 1.3));
        title.push_back(k);
    }
    im.object(title);

    // 2: the handle waits far below the world, then stands beside the
    // title in the tunnel.
    const key handle_parked = riding(347, 0, -100, 2.2, 0.1);
    im.object({at_time(handle_parked, 0), at_time(handle_parked, 346), riding(347, 0.45, -0.02, 2.2, 0.1),
               riding(460, 0.5, 0.05, 2.3, 0.1), riding(590, 0.42, -0.05, 2.1, 0.1),
               riding(710, 0.48, 0.02, 2.2, 0.1)});

    // 3: the product word waits under the tunnel's floor, then rises
    // through it ahead of the camera.
    key word_below = riding(353, 0, -1.3, 3.5, 0.3);
    word_below.x = f(tunnel_axis.x);
    key word_risen = riding(710, 0, -0.45, 2.6, 0.3);
    word_risen.x = f(tunnel_axis.x);
    im.object({at_time(word_below, 0), word_below, word_risen});

    // 4-8: the green convoy, 20 frames apart: below the path from right
    // to left, then low in the tunnel, drifting towards the camera.
    for (int n = 0; n < 5; ++n) {
        const int o = 20 * n;
        const double across = 0.3 * (n - 2);
        im.object({riding(10 + o, 2.4, -0.45, 1.9, 0.08), riding(190 + o, -2.4, -0.55, 1.7, 0.08),
                   riding(330 + o, across, -0.55, 4.5, 0.08),
                   riding(720 + o, 1.1 * across, -0.6, 1.0, 0.08)});
    }
    // 9-13: the blue convoy: weaving above the path from left to right,
    // then high in the tunnel.
    for (int n = 0; n < 5; ++n) {
        const int o = 20 * n;
        const double across = 0.4 * (2 - n);
        im.object({riding(-40 + o, -2.6, 0.45, 2.0, 0.08),
                   riding(120 + o, 0.2 * std::sin(n * 1.7), 0.55 + 0.1 * std::sin(n * 2.3), 1.7, 0.08),
                   riding(270 + o, 2.6, 0.45, 2.1, 0.08), riding(430 + o, across, 0.55, 5.0, 0.08),
                   riding(580 + o, 0.8 * across, 0.6, 3.0, 0.08),
                   riding(740 + o, 1.1 * across, 0.5, 1.2, 0.08)});
    }
    // 14: the tunnel: the box stretched to 100 units along x and turned a
    // quarter so that x runs along z, 2.67 wide and 2 high, its open end
    // just behind the camera as the turn ends.
    key tunnel = label_key(0, tunnel_axis.x, tunnel_axis.y, tunnel_axis.z + 46, 1);
    tunnel.yaw = f(-quarter_turn);
    tunnel.sx = 50;
    tunnel.sy = 1;
    tunnel.sz = 1.333f;
    im.object({tunnel});

    // The camera on its track, swaying gently.
    std::vector<key> cam;
    for (int i = 0; i < 20; ++i) {
        key k;
        k.time = static_cast<int>(std::lround(710.0 * i / 19));
        const point p = camera_track(k.time);
        k.x = f(p.x + 0.2 * std::sin(i * 0.7) * (k.time > turn_end));
        k.y = f(p.y + 0.06 * std::sin(i * 0.8));
        k.z = f(p.z);
        k.yaw = f(0.06 * std::sin(i * 0.5));
        k.roll = f(0.04 * std::sin(i * 0.7));
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
