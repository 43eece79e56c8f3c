// The growable, lockable array of 16-bit indices over a device index
// buffer, used like the vertex buffer: lock, write through index(i),
// unlock. The owner counts the indices in use.
#pragma once

#include "engine/growable_buffer.h"
#include "platform/device.h"

#include <cstdint>

namespace vorlane {

class index_buffer : public growable_buffer<index_buffer, std::uint16_t, device_index_buffer> {
public:
    // Ten indices to start with. Fatal "Unable to create vertex buffer"
    // (the index buffer reports the same text).
    index_buffer(device& owner, std::uint32_t usage);

    // Index i of the locked buffer, growing it as growable_buffer::at.
    std::uint16_t* index(int i) { return at(i); }

private:
    friend growable_buffer;
    device_index_buffer* create(std::uint32_t bytes);
};

}  // namespace vorlane
