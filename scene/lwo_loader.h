// The LightWave object loader: LWO2 and the older LWOB files into one
// scene object with one mesh per surface. Faces become triangles (larger
// faces fanned from their first point), normals are averaged per vertex
// from the faces of the same surface, and each surface's base colour
// becomes a material. Everything else in the file is skipped.
#pragma once

#include "scene/scene_loader.h"

#include <string>

namespace vorlane {

struct scene;

class lwo_loader : public scene_loader {
public:
    // Reads the object file name, looked for in folder unless the name is
    // absolute, and parses it. Fatal "Cannot open object file - <path>"
    // when it cannot be read.
    void load(std::string_view name, scene& s) override;
    // Appends one object, its meshes, materials, vertices and indices to
    // s. Fatal "Invalid object file - <name>" for bytes that are not a
    // LightWave object or that break its structure.
    void parse(std::string_view bytes, scene& s) override;

    std::string folder;  // where names are looked for; empty: the working folder
    std::string name;    // of the file being parsed, for messages
};

}  // namespace vorlane
