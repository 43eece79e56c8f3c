#include "engine/trig_tables.h"

#include <cmath>

namespace vorlane {

float sin_table[256];
float cos_table[256];

void build_trig_tables()
{
    for (int i = 0; i < 256; ++i) {
        const double angle = i * trig_step;
        sin_table[i] = static_cast<float>(std::sin(angle));
        cos_table[i] = static_cast<float>(std::cos(angle));
    }
}

}  // namespace vorlane
