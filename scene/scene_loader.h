// What every scene loader offers: load a source into a scene, or parse
// text that is already in memory. The scene-file loader holds its object
// loader through this base, so any object format can stand behind it.
#pragma once

#include <string_view>

namespace vorlane {

struct scene;

class scene_loader {
public:
    // source: a file name for the loaders of files, the bytes of the image
    // for a loader of images in memory.
    virtual void load(std::string_view, scene&) {}
    // text: a whole file's contents.
    virtual void parse(std::string_view, scene&) {}
    // Appends one object: layer `layer` of the named file (0: all of it),
    // with the pivot and parent the layer gives it (-1: none). Loaders of
    // formats without layers load the whole file, pivot at the origin,
    // without a parent.
    virtual void load_layer(std::string_view name, int layer, scene& s);

protected:
    // Loaders are members or locals of their users, never deleted through
    // this base.
    ~scene_loader() = default;
};

}  // namespace vorlane
