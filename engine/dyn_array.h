// The growable array behind every list of the engine, the scenes and the
// parts. It does not count the elements in use: each owner keeps its count
// beside it (no_objects, no_effects, ...) and asks for element i by
// pointer, which grows the array when i is past its end.
#pragma once

#include "runtime/fatal.h"

#include <limits>
#include <memory>
#include <utility>

namespace vorlane {

template <typename T>
class dyn_array {
public:
    // Capacity 5, every element in its default state (zero for plain types).
    dyn_array() : capacity(initial_capacity), storage(new T[initial_capacity]()) {}

    dyn_array(dyn_array&& other) noexcept
        : capacity(std::exchange(other.capacity, 0)), storage(std::move(other.storage)) {}
    dyn_array& operator=(dyn_array&& other) noexcept
    {
        capacity = std::exchange(other.capacity, 0);
        storage = std::move(other.storage);
        return *this;
    }

    // Pointer to element i, doubling the capacity until i fits; the new
    // elements are default-constructed and the old ones moved over.
    //
    // WARNING: a growth moves every element. A pointer (or reference) from
    // an earlier at() is dangling once any at() has grown the array: fetch
    // again after anything that may append to the same array.
    T* at(int i)
    {
        if (capacity <= 0 || i < 0)
            fatal("Jestem pierdolnietym pojebem");
        while (i >= capacity)
            grow();
        return &storage[i];
    }

    int capacity = 0;  // elements allocated, not elements in use

private:
    static constexpr int initial_capacity = 5;

    void grow()
    {
        if (capacity > std::numeric_limits<int>::max() / 2)
            fatal("Out of memory");
        std::unique_ptr<T[]> bigger(new T[2 * capacity]());
        for (int k = 0; k < capacity; ++k)
            bigger[k] = std::move(storage[k]);
        storage = std::move(bigger);
        capacity *= 2;
    }

    std::unique_ptr<T[]> storage;
};

}  // namespace vorlane
