// The LightWave object loader: LWO2 and the older LWOB files, or one layer
// of them, into one scene object with one mesh per surface. Faces and the
// cages of subdivision patches become triangles (larger faces fanned from
// their first point); a smoothed surface averages the normals of faces
// that meet within its smoothing angle, others are flat. Each surface's
// colour, diffuse and luminous levels and transparency become a material,
// and its first colour image map (planar, cylindrical, spherical, cubic or
// by UV map) a texture with the vertices' coordinates made for it.
#pragma once

#include "scene/scene_loader.h"

#include <string>
#include <vector>

namespace vorlane {

struct scene;

class lwo_loader : public scene_loader {
public:
    // Reads the object file, found where LightWave looks for it from
    // folder (the scene's), and parses it. Fatal "Cannot open object file
    // - <name as written> (looked for <paths>)" when it is nowhere.
    void load(std::string_view name, scene& s) override;
    // The same for one layer (0: all): its pivot, and its parent when that
    // layer of the same file was loaded into the scene before.
    void load_layer(std::string_view name, int layer, scene& s) override;
    // Appends one object, its meshes, materials, vertices and indices to
    // s, from the layer given by `layer`, pivot at the layer's. Fatal
    // "Invalid object file - <name>" for bytes that are not a LightWave
    // object or that break its structure.
    void parse(std::string_view bytes, scene& s) override;

    std::string folder;  // where names are looked for; empty: the working folder
    std::string name;    // of the file being parsed, for messages
    int layer = 0;       // what parse reads: 0 every layer, n the file's layer n

private:
    int load_texture(const std::string& image) const;

    struct loaded_layer {
        const scene* in;
        std::string path;
        int number;  // as the file numbers its layers, from 0
        int object;
    };
    std::vector<loaded_layer> loaded;
    int parent_layer = -1;  // of the layer parse read last
};

}  // namespace vorlane
