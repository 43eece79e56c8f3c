#include "engine/index_buffer.h"

namespace vorlane {

index_buffer::index_buffer(device& owner, std::uint32_t usage_) : growable_buffer(owner, usage_)
{
    buffer = make(capacity);
}

device_index_buffer* index_buffer::create(std::uint32_t bytes)
{
    return dev->create_index_buffer(bytes, usage, D3DFMT_INDEX16, D3DPOOL_DEFAULT);
}

}  // namespace vorlane
