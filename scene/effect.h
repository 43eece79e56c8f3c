// Base of everything a scene draws besides its meshes: the demo parts, the
// effect classes and the scene animation. The frame calls every registered
// effect once before the meshes are drawn and once after.
#pragma once

namespace vorlane {

struct scene;

class effect {
public:
    // Scenes own the parts and effects built for them (scene::make) and
    // delete them through this base.
    virtual ~effect() = default;
    virtual void pre_render(scene&) {}
    virtual void post_render(scene&) {}
};

}  // namespace vorlane
