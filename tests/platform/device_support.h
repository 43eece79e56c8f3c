// Shared by the device tests: one headless window and device per test
// process, a fresh Direct3D state per test, quads in clip space and pixel
// reads from the back buffer.
#pragma once

#include "platform/device.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace vorlane::test {

inline constexpr int back_width = 64;
inline constexpr int back_height = 64;

struct vertex {
    float x = 0, y = 0, z = 0;
    float nx = 0, ny = 0, nz = 0;
    float u = 0, v = 0;
};
static_assert(sizeof(vertex) == 32);

struct rgba {
    int r = 0, g = 0, b = 0, a = 0;
};

inline rgba unpack(std::uint32_t argb)
{
    return {int(argb >> 16 & 0xFF), int(argb >> 8 & 0xFF), int(argb & 0xFF), int(argb >> 24)};
}

// Channels within 2 of the expected values: 8-bit rounding of computed
// colours differs by one step between renderers.
inline ::testing::AssertionResult near_rgb(std::uint32_t actual, int r, int g, int b, int tolerance = 2)
{
    rgba c = unpack(actual);
    if (std::abs(c.r - r) <= tolerance && std::abs(c.g - g) <= tolerance && std::abs(c.b - b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << c.r << ", " << c.g << ", " << c.b << "), expected (" << r
                                         << ", " << g << ", " << b << ")";
}

class device_test : public ::testing::Test {
public:
    static device& dev()
    {
        // Released when the program ends, before the leak check stops every
        // thread to scan memory: the renderer's threads must be gone by then.
        static struct test_device {
            device* d = nullptr;
            test_device()
            {
                window* w = create_window(back_width, back_height, true);
                d = create_device(*w, back_width, back_height);
            }
            ~test_device()
            {
                d->release();
                close_platform();
            }
        } world;
        return *world.d;
    }

protected:
    device& d = dev();
    device_vertex_buffer* vb = nullptr;
    device_index_buffer* ib = nullptr;

    void SetUp() override
    {
        d.state = device_state{};
        ASSERT_TRUE(d.set_render_target(d.get_back_buffer(), depth_surface()));
        vb = d.create_vertex_buffer(64 * sizeof(vertex), 0, 0x112, D3DPOOL_DEFAULT);
        ib = d.create_index_buffer(64 * 2, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT);
        ASSERT_NE(vb, nullptr);
        ASSERT_NE(ib, nullptr);
        d.set_vertex_shader(0x112);
        d.set_stream_source(0, vb, sizeof(vertex));
        d.set_indices(ib, 0);
        d.clear(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    }

    // The depth surface the device was made with (kept across tests that
    // switch it off).
    device_surface* depth_surface()
    {
        static device_surface* depth = dev().get_depth_stencil_surface();
        return depth;
    }

    void write_vertices(std::initializer_list<vertex> vertices, int first = 0)
    {
        auto* p = static_cast<vertex*>(vb->lock());
        std::memcpy(p + first, vertices.begin(), vertices.size() * sizeof(vertex));
        vb->unlock();
    }

    void write_indices(std::initializer_list<std::uint16_t> indices, int first = 0)
    {
        auto* p = static_cast<std::uint16_t*>(ib->lock());
        std::memcpy(p + first, indices.begin(), indices.size() * 2);
        ib->unlock();
    }

    // An axis-aligned quad in clip space at depth z, drawn as a strip with
    // (u, v) = (0, 0) at the top left and (1, 1) at the bottom right.
    void draw_quad(float x0, float y0, float x1, float y1, float z = 0.5f, float nz = -1)
    {
        write_vertices({{x0, y1, z, 0, 0, nz, 0, 0},
                        {x1, y1, z, 0, 0, nz, 1, 0},
                        {x0, y0, z, 0, 0, nz, 0, 1},
                        {x1, y0, z, 0, 0, nz, 1, 1}});
        d.draw_primitive(D3DPT_TRIANGLESTRIP, 0, 2);
    }

    void draw_full_quad(float z = 0.5f) { draw_quad(-1, -1, 1, 1, z); }

    // Stage 0 shows the lit diffuse colour and alpha; with lighting on and
    // no lights that is the material's emissive colour and diffuse alpha.
    void use_flat_colour(float r, float g, float b, float a)
    {
        d.set_render_state(D3DRS_LIGHTING, 1);
        d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        d.set_texture_stage_state(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
        d3d_material m;
        m.diffuse = {0, 0, 0, a};
        m.emissive = {r, g, b, 0};
        d.set_material(m);
    }

    // A texture of one colour (A8R8G8B8), one level.
    device_texture* solid_texture(std::uint32_t argb, int size = 4)
    {
        device_texture* t = d.create_texture(size, size, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED);
        d3d_locked_rect r;
        EXPECT_TRUE(t->lock_rect(0, r));
        for (int i = 0; i < size * size; ++i)
            std::memcpy(static_cast<std::uint8_t*>(r.bits) + 4 * i, &argb, 4);
        t->unlock_rect(0);
        return t;
    }

    std::uint32_t pixel(int x, int y)
    {
        std::vector<std::uint32_t> p = d.read_surface(d.get_back_buffer());
        return p.at(static_cast<std::size_t>(y) * back_width + x);
    }

    std::uint32_t centre() { return pixel(back_width / 2, back_height / 2); }
};

}  // namespace vorlane::test
