// Base of everything a scene draws besides its meshes: the demo parts, the
// effect classes and the scene animation. The frame calls every registered
// effect once before the meshes are drawn and once after.
#pragma once

namespace vorlane {

struct scene;

class effect {
public:
    // Effects live as long as the process and are never deleted through
    // this base, so it has no virtual destructor.
    virtual void pre_render(scene&) {}
    virtual void post_render(scene&) {}

protected:
    ~effect() = default;
};

}  // namespace vorlane
