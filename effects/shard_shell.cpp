#include "effects/shard_shell.h"

#include "engine/engine.h"
#include "runtime/rand.h"
#include "scene/scene.h"

#include <cmath>

namespace vorlane {

namespace {

// The sines of the layer angles are taken in double of the float argument.
float sine(float x)
{
    return static_cast<float>(std::sin(static_cast<double>(x)));
}

}  // namespace

int append_shard_shell(scene& s)
{
    const int first = s.no_vertices;
    s.vb.lock();
    for (int shard = 0; shard < shard_count; ++shard) {
        // Each triple of draws fills z first, then y, then x.
        vector d;
        d.z = static_cast<float>(rand() - 16383);
        d.y = static_cast<float>(rand() - 16383);
        d.x = static_cast<float>(rand() - 16383);
        d.w = 1;
        d.normalize();
        d.scale(100);
        for (int k = 0; k < 3; ++k) {
            vector p = d;
            vector jitter;
            jitter.z = static_cast<float>(rand() % 100 - 50);
            jitter.y = static_cast<float>(rand() % 100 - 50);
            jitter.x = static_cast<float>(rand() % 100 - 50);
            p.add(jitter);
            p.normalize();
            p.scale(static_cast<float>((rand() % 100) / 500.0 + 0.8));
            fvf_vertex* v = s.vb.vertex(first + 3 * shard + k);
            v->x = p.x;
            v->y = p.y;
            v->z = p.z;
        }
    }
    s.vb.unlock();
    s.no_vertices = first + shard_vertex_count;
    return first;
}

void draw_shard_layers(scene& s, int first_vertex, float t, float first_factor)
{
    const float sec = static_cast<float>(t * 0.001);
    struct layer_turn {
        float factor, yaw, pitch, roll;
    };
    const layer_turn layers[4] = {
        {first_factor, 0, 6.28318f * sine(sec), 0},
        {0.8f, 3.14159f * sine(2 * sec + 1), 3.14159f * sine(0.01f * sec + 2), 0},
        {0.8f, 0, 0, 3.14159f * sine(2 * sec)},
        {1.5f, 3.14159f * sine(sec), 0, 6.28318f * sine(sec)},
    };
    for (const layer_turn& l : layers) {
        s.view.scale_uniform(l.factor);
        pd3dDev->set_transform(D3DTS_VIEW, s.view.e);
        matrix world = identity_matrix;
        world.rotate_ypr(l.yaw, l.pitch, l.roll);
        pd3dDev->set_transform(D3DTS_WORLD, world.e);
        pd3dDev->draw_primitive(D3DPT_TRIANGLELIST, first_vertex, shard_count);
    }
}

}  // namespace vorlane
