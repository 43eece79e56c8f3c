#include "engine/index_buffer.h"

#include "runtime/fatal.h"

#include <cstring>
#include <limits>

namespace vorlane {

namespace {

constexpr int initial_capacity = 10;

device_index_buffer* create(device& dev, int indices, std::uint32_t usage)
{
    device_index_buffer* b = dev.create_index_buffer(
        static_cast<std::uint32_t>(indices) * sizeof(std::uint16_t), usage, D3DFMT_INDEX16,
        D3DPOOL_DEFAULT);
    if (!b)
        fatal("Unable to create vertex buffer");
    return b;
}

}  // namespace

index_buffer::index_buffer(device& owner, std::uint32_t usage_)
    : usage(usage_), dev(&owner), capacity(initial_capacity)
{
    buffer = create(owner, capacity, usage);
}

void index_buffer::lock()
{
    if (locked)
        return;
    data = static_cast<std::uint16_t*>(buffer->lock());
    locked = true;
}

void index_buffer::unlock()
{
    if (!locked)
        return;
    buffer->unlock();
    locked = false;
}

std::uint16_t* index_buffer::index(int i)
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

void index_buffer::grow()
{
    if (static_cast<std::uint32_t>(capacity) > std::numeric_limits<std::uint32_t>::max() / 2 / sizeof(std::uint16_t))
        fatal("Unable to create vertex buffer");
    device_index_buffer* bigger = create(*dev, 2 * capacity, usage);
    auto* bigger_data = static_cast<std::uint16_t*>(bigger->lock());
    std::memcpy(bigger_data, data, capacity * sizeof(std::uint16_t));
    capacity *= 2;
    buffer->unlock();
    buffer->release();
    buffer = bigger;
    data = bigger_data;
}

}  // namespace vorlane
