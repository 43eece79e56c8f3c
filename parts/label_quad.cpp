#include "parts/label_quad.h"

#include "engine/engine.h"
#include "scene/frame.h"
#include "scene/scene.h"

namespace vorlane {

void draw_label(scene& s, matrix m, float size, float brightness, int mat)
{
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            m(r, c) *= size;
    device& dev = *pd3dDev;
    dev.set_transform(D3DTS_WORLD, m.e);

    material* label = s.materials.at(mat);
    const d3d_color_value kept = label->colour;
    label->colour.r *= 3 * brightness;
    label->colour.g *= 3 * brightness;
    label->colour.b *= 3 * brightness;
    set_material(*label);
    label->colour = kept;

    const mesh& quad = s.objects.at(1)->meshes[0];
    dev.draw_indexed_primitive(D3DPT_TRIANGLELIST, quad.min_index, quad.num_vertices,
                               quad.start_index, quad.prim_count);
}

}  // namespace vorlane
