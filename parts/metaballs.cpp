#include "parts/metaballs.h"

#include <cmath>

namespace vorlane {

namespace {

struct ball {
    float i, j, k;  // centre, in grid units
    float weight;
};

float wave(double f, float v)
{
    return static_cast<float>(std::sin(f * v));
}

}  // namespace

void fill_field(float* field, float v)
{
    const ball balls[3] = {
        {3 + wave(51, v), 4 + 2 * wave(23, v), 7 + 0.5f * wave(21, v), 1.5f},
        {6 + 2 * wave(23, v), 5 + wave(11, v), 2 + 1.5f * wave(37, v), 1.5f},
        {3 + 1.5f * wave(37, v), 7 + wave(31, v), 6 + 2 * wave(13, v), 1.0f},
    };
    for (int i = 0; i < field_side; ++i)
        for (int j = 0; j < field_side; ++j)
            for (int k = 0; k < field_side; ++k) {
                float sum = 0;
                for (const ball& b : balls) {
                    const float di = static_cast<float>(i) - b.i;
                    const float dj = static_cast<float>(j) - b.j;
                    const float dk = static_cast<float>(k) - b.k;
                    sum += static_cast<float>(b.weight / std::sqrt(static_cast<double>(di * di + dj * dj + dk * dk)));
                }
                field[100 * i + 10 * j + k] = sum;
            }
}

int find_surface(const float* field, dyn_array<vector>& pos, dyn_array<float>& size)
{
    // The crossing towards k + 1 moves the point along x (the i axis) and
    // the one towards i + 1 along z: the grid is read transposed, as the
    // show's cloud was shaped with.
    struct edge {
        int stride;
        float ex, ey, ez;
    };
    constexpr edge edges[3] = {{1, 1, 0, 0}, {10, 0, 1, 0}, {100, 0, 0, 1}};

    int count = 0;
    for (int i = 0; i < field_side - 1; ++i)
        for (int j = 0; j < field_side - 1; ++j)
            for (int k = 0; k < field_side - 1; ++k) {
                const int n = 100 * i + 10 * j + k;
                const float f0 = field[n];
                vector* p = pos.at(count);
                float* sz = size.at(count);
                *sz = 0;
                p->set(0, 0, 0, 1);
                int hits = 0;
                for (const edge& e : edges) {
                    const float f1 = field[n + e.stride];
                    if (!((f0 > 1 && f1 < 1) || (f0 < 1 && f1 > 1)))
                        continue;
                    // An infinite corner (a ball's centre on the grid) puts
                    // the crossing at the other end, where the fraction
                    // tends to; computed, it would be inf / inf.
                    const float u = std::isinf(f0) ? 1.0f : (1 - f0) / (f1 - f0);
                    p->x += (static_cast<float>(i) + u * e.ex - 5) * 3;
                    p->y += (static_cast<float>(j) + u * e.ey - 5) * 3 + 4;
                    p->z += (static_cast<float>(k) + u * e.ez - 5) * 3;
                    *sz += static_cast<float>(std::sin(u * 3.14159));
                    ++hits;
                }
                if (hits > 0) {
                    p->x /= static_cast<float>(hits);
                    p->y /= static_cast<float>(hits);
                    p->z /= static_cast<float>(hits);
                    *sz /= static_cast<float>(hits);
                    ++count;
                }
            }
    return count;
}

}  // namespace vorlane
