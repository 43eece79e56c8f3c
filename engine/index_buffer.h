// The growable, lockable array of 16-bit indices over a device index
// buffer, used like the vertex buffer: lock, write through index(i),
// unlock. The owner counts the indices in use.
#pragma once

#include "platform/device.h"

#include <cstdint>

namespace vorlane {

class index_buffer {
public:
    std::uint32_t usage = 0;
    device_index_buffer* buffer = nullptr;
    device* dev = nullptr;
    std::uint16_t* data = nullptr;  // valid only while locked
    int capacity = 0;               // indices
    bool locked = false;

    // Ten indices to start with. Fatal "Unable to create vertex buffer"
    // (the index buffer reports the same text).
    index_buffer(device& owner, std::uint32_t usage);

    void lock();
    void unlock();

    // Index i of the locked buffer, growing it like vertex_buffer::vertex.
    std::uint16_t* index(int i);

private:
    void grow();
};

}  // namespace vorlane
