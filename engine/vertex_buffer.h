// The growable, lockable vertex array over a device vertex buffer. Every
// scene has one, and all its geometry is appended to it: lock, write
// through vertex(i) (writing past the end grows the buffer), unlock. The
// wrapper does not count the vertices in use; its owner does.
#pragma once

#include "engine/growable_buffer.h"
#include "platform/device.h"

#include <cstdint>

namespace vorlane {

// The one vertex layout of the show: FVF XYZ | NORMAL | TEX1.
struct fvf_vertex {
    float x = 0, y = 0, z = 0;
    float nx = 0, ny = 0, nz = 0;
    float u = 0, v = 0;
};
static_assert(sizeof(fvf_vertex) == 32);

inline constexpr std::uint32_t vertex_fvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

class vertex_buffer : public growable_buffer<vertex_buffer, fvf_vertex, device_vertex_buffer> {
public:
    std::uint32_t fvf = 0;

    // Ten vertices to start with. Fatal "Unable to create vertex buffer".
    vertex_buffer(device& owner, std::uint32_t fvf, std::uint32_t usage);

    // Vertex i of the locked buffer, growing it as growable_buffer::at.
    fvf_vertex* vertex(int i) { return at(i); }

private:
    friend growable_buffer;
    device_vertex_buffer* create(std::uint32_t bytes);
};

}  // namespace vorlane
