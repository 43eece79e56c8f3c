// What the vertex and the index buffer share: a device buffer that is
// locked for writing and handed out element by element, doubled (contents
// kept, still locked) whenever an element past its end is asked for. The
// owner counts the elements in use.
//
// The buffer kind (derived) makes its device buffers with
// `device_buffer* create(std::uint32_t bytes)`; that is all that differs.
#pragma once

#include "platform/device.h"
#include "runtime/fatal.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace vorlane {

template <class derived, class element, class device_buffer>
class growable_buffer {
public:
    static constexpr int initial_capacity = 10;

    device_buffer* buffer = nullptr;
    device* dev = nullptr;
    element* data = nullptr;          // valid only while locked
    int capacity = initial_capacity;  // elements
    bool locked = false;
    std::uint32_t usage = 0;

    growable_buffer(const growable_buffer&) = delete;
    growable_buffer& operator=(const growable_buffer&) = delete;

    // Both do nothing when already in the state asked for.
    void lock()
    {
        if (locked)
            return;
        data = static_cast<element*>(buffer->lock());
        locked = true;
    }

    void unlock()
    {
        if (!locked)
            return;
        buffer->unlock();
        locked = false;
    }

protected:
    growable_buffer(device& owner, std::uint32_t usage_) : dev(&owner), usage(usage_) {}
    // The device buffer goes with its owner (a scene that is replaced).
    ~growable_buffer() { dev->destroy(buffer); }

    // Fatal "Unable to create vertex buffer" (the index buffer reports the
    // same text) when the device refuses.
    device_buffer* make(int elements)
    {
        device_buffer* b =
            static_cast<derived&>(*this).create(static_cast<std::uint32_t>(elements) * sizeof(element));
        if (!b)
            fatal("Unable to create vertex buffer");
        return b;
    }

    // Element i of the locked buffer, doubling the buffer until i fits.
    // Fatal "Trying to access unlocked buffer" when not locked. A pointer
    // from an earlier call is stale once a call has grown the buffer.
    element* at(int i)
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

private:
    void grow()
    {
        // The byte size must stay representable in the device's 32 bits.
        if (static_cast<std::uint32_t>(capacity) > std::numeric_limits<std::uint32_t>::max() / 2 / sizeof(element))
            fatal("Unable to create vertex buffer");
        device_buffer* bigger = make(2 * capacity);
        auto* bigger_data = static_cast<element*>(bigger->lock());
        std::memcpy(bigger_data, data, capacity * sizeof(element));
        capacity *= 2;
        buffer->unlock();
        dev->destroy(buffer);
        buffer = bigger;
        data = bigger_data;
    }
};

}  // namespace vorlane
