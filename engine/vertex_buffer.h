// The growable, lockable vertex array over a device vertex buffer. Every
// scene has one, and all its geometry is appended to it: lock, write
// through vertex(i) (writing past the end grows the buffer), unlock. The
// wrapper does not count the vertices in use; its owner does.
#pragma once

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

class vertex_buffer {
public:
    device_vertex_buffer* buffer = nullptr;
    device* dev = nullptr;
    fvf_vertex* data = nullptr;  // valid only while locked
    int capacity = 0;            // vertices
    bool locked = false;
    std::uint32_t usage = 0;
    std::uint32_t fvf = 0;

    // Ten vertices to start with. Fatal "Unable to create vertex buffer".
    vertex_buffer(device& owner, std::uint32_t fvf, std::uint32_t usage);

    // Both do nothing when already in the state asked for.
    void lock();
    void unlock();

    // Vertex i of the locked buffer, doubling the buffer (contents kept,
    // still locked) until i fits. Fatal "Trying to access unlocked buffer"
    // when not locked. A pointer from an earlier call is stale once a call
    // has grown the buffer.
    fvf_vertex* vertex(int i);

private:
    void grow();
};

}  // namespace vorlane
