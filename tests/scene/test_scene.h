// Scenes of full-screen quads for frame tests: every quad is one object
// with one mesh and its own material, drawn with the identity camera, so
// clip space is the vertices' space.
#pragma once

#include "scene/scene.h"
#include "tests/engine/test_engine.h"

#include <cstdint>

namespace vorlane {

struct quad_scene {
    scene s{test_engine(), 0};

    // A quad covering the screen at depth z, facing -z (towards the
    // camera), wound clockwise on screen (a front face) or counter-
    // clockwise (a back face).
    mesh* add_quad(float z, bool clockwise, d3d_color_value colour, int blend)
    {
        static const float corners[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
        int first = s.no_vertices;
        s.vb.lock();
        for (int k = 0; k < 4; ++k) {
            fvf_vertex* v = s.vb.vertex(first + k);
            *v = {corners[k][0], corners[k][1], z, 0, 0, -1, 0, 0};
        }
        s.vb.unlock();
        s.no_vertices += 4;
        // (-1,-1) (-1,1) (1,1) runs clockwise on screen, where y points down.
        static const int cw[6] = {0, 1, 2, 0, 2, 3};
        static const int ccw[6] = {0, 2, 1, 0, 3, 2};
        s.ib.lock();
        for (int k = 0; k < 6; ++k)
            *s.ib.index(s.no_indices + k) = static_cast<std::uint16_t>(first + (clockwise ? cw : ccw)[k]);
        s.ib.unlock();

        int n = s.no_objects;
        mesh* m = &s.add_object(1)->meshes[0];
        m->min_index = first;
        m->num_vertices = 4;
        m->start_index = s.no_indices;
        m->prim_count = 2;
        m->object = n;
        m->material = n;
        s.no_indices += 6;
        material* mat = s.materials.at(n);
        mat->colour = colour;
        mat->blend = blend;
        s.no_materials = n + 1;
        return m;
    }
};

// Frame tests read the lit colour itself: stage 0 passes the diffuse
// colour and alpha through (what it gives without a texture is the
// device's business, tested there). The destructor puts back the
// start-up combiner and depth test.
struct lit_colour_only {
    explicit lit_colour_only(bool depth_test)
    {
        device& d = *test_engine().pd3dDev;
        d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
        d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
        d.set_render_state(D3DRS_ZENABLE, depth_test ? D3DZB_TRUE : D3DZB_FALSE);
    }
    ~lit_colour_only()
    {
        device& d = *myengine.pd3dDev;
        d.set_texture_stage_state(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        d.set_texture_stage_state(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        d.set_texture_stage_state(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        d.set_render_state(D3DRS_ZENABLE, D3DZB_TRUE);
    }
};

// The back buffer's pixel at (x, y) as 0xAARRGGBB, top row first.
inline std::uint32_t back_buffer_pixel(int x, int y)
{
    device& d = *myengine.pd3dDev;
    return d.read_surface(d.get_back_buffer()).at(y * d.width + x);
}

// One channel (16 red, 8 green, 0 blue) of a pixel.
inline int channel(std::uint32_t pixel, int shift)
{
    return (pixel >> shift) & 255;
}

// The frame's global ambient (0x60 of 255) on a material channel, as the
// lighting gives it without lights.
inline int ambient_lit(float c)
{
    return static_cast<int>(c * 0x60 + 0.5f);
}

}  // namespace vorlane
