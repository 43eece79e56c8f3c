#include "engine/vertex_buffer.h"

#include "runtime/fatal.h"

#include <cstring>
#include <limits>

namespace vorlane {

namespace {

constexpr int initial_capacity = 10;

device_vertex_buffer* create(device& dev, int vertices, std::uint32_t usage, std::uint32_t fvf)
{
    device_vertex_buffer* b = dev.create_vertex_buffer(
        static_cast<std::uint32_t>(vertices) * sizeof(fvf_vertex), usage, fvf, D3DPOOL_DEFAULT);
    if (!b)
        fatal("Unable to create vertex buffer");
    return b;
}

}  // namespace

vertex_buffer::vertex_buffer(device& owner, std::uint32_t fvf_, std::uint32_t usage_)
    : dev(&owner), capacity(initial_capacity), usage(usage_), fvf(fvf_)
{
    buffer = create(owner, capacity, usage, fvf);
}

void vertex_buffer::lock()
{
    if (locked)
        return;
    data = static_cast<fvf_vertex*>(buffer->lock());
    locked = true;
}

void vertex_buffer::unlock()
{
    if (!locked)
        return;
    buffer->unlock();
    locked = false;
}

fvf_vertex* vertex_buffer::vertex(int i)
{
    if (!locked)
        fatal("Trying to access unlocked buffer");
    // A negative index is as wrong as an unlocked buffer: never hand out
    // memory before the start.
    if (i < 0)
        fatal("Trying to access unlocked buffer");
    while (i >= capacity)
        grow();
    return data + i;
}

void vertex_buffer::grow()
{
    // The byte size must stay representable in the device's 32 bits.
    if (static_cast<std::uint32_t>(capacity) > std::numeric_limits<std::uint32_t>::max() / 2 / sizeof(fvf_vertex))
        fatal("Unable to create vertex buffer");
    device_vertex_buffer* bigger = create(*dev, 2 * capacity, usage, fvf);
    auto* bigger_data = static_cast<fvf_vertex*>(bigger->lock());
    std::memcpy(bigger_data, data, capacity * sizeof(fvf_vertex));
    capacity *= 2;
    buffer->unlock();
    buffer->release();
    buffer = bigger;
    data = bigger_data;
}

}  // namespace vorlane
