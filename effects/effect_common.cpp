#include "effects/effect_common.h"

#include "engine/engine.h"
#include "scene/scene.h"

namespace vorlane {

namespace {

struct quad_corner {
    float x, y;
};

constexpr quad_corner quad_corners[4] = {{1, -1}, {-1, -1}, {1, 1}, {-1, 1}};

// u, v per vertex and variant, in quad_uv order after plain.
constexpr float quad_uvs[3][4][2] = {
    {{1, 0.05f}, {0, 0.05f}, {1, 0.95f}, {0, 0.95f}},  // band
    {{1, 1}, {0, 1}, {1, 0}, {0, 0}},                  // flipped
    {{1, 0}, {0, 0}, {1, 1}, {0, 1}},                  // upright
};

}  // namespace

int append_quad(scene& s, quad_uv uv)
{
    const int first = s.no_vertices;
    s.vb.lock();
    for (int k = 0; k < 4; ++k) {
        fvf_vertex* v = s.vb.vertex(first + k);
        v->x = quad_corners[k].x;
        v->y = quad_corners[k].y;
        v->z = 1;
        if (uv != quad_uv::plain) {
            const int variant = static_cast<int>(uv) - 1;
            v->u = quad_uvs[variant][k][0];
            v->v = quad_uvs[variant][k][1];
        }
    }
    s.vb.unlock();
    s.no_vertices = first + 4;
    return first;
}

void draw_quad(int first_vertex)
{
    pd3dDev->draw_primitive(D3DPT_TRIANGLESTRIP, first_vertex, 2);
}

int add_effect_material(scene& s, float grey, float alpha, int blend, int texture,
                        unsigned char alpha_from_texture)
{
    const int index = s.no_materials++;
    material* m = s.materials.at(index);
    m->colour = {grey, grey, grey, alpha};
    m->blend = blend;
    if (texture != no_texture) {
        layer* l = m->add_layer();
        l->texture = texture;
        l->texgen = 0;
        l->alpha_from_texture = alpha_from_texture;
    }
    return index;
}

effect_pictures new_effect_pictures(int width, int height)
{
    en->clear_pictures();
    effect_pictures p;
    p.alpha = en->new_picture(width, height, 1);
    p.colour = en->new_picture(width, height, 3);
    return p;
}

int make_effect_texture()
{
    const int texture = en->create_texture(1);
    en->add_alpha_map(texture, 0);
    return texture;
}

matrix sliding_camera(float t, float z)
{
    matrix view = identity_matrix;
    view(3, 0) = t <= 3000 ? static_cast<float>(2.0 + (3000 - t) * 0.003) : 2.0f;
    view(3, 1) = t < 8000 ? -1.0f : static_cast<float>(-1.0 - (t - 8000) * 0.003);
    view(3, 2) = z;
    return view;
}

}  // namespace vorlane
