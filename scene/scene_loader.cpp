#include "scene/scene_loader.h"

#include "scene/scene.h"

namespace vorlane {

void scene_loader::load_layer(std::string_view name, int, scene& s)
{
    const int before = s.no_objects;
    load(name, s);
    if (s.no_objects > before) {
        object* o = s.objects.at(s.no_objects - 1);
        o->pivot = vector{};
        o->parent = -1;
    }
}

}  // namespace vorlane
