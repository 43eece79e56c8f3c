#include "engine/vertex_buffer.h"

namespace vorlane {

vertex_buffer::vertex_buffer(device& owner, std::uint32_t fvf_, std::uint32_t usage_)
    : growable_buffer(owner, usage_), fvf(fvf_)
{
    buffer = make(capacity);
}

device_vertex_buffer* vertex_buffer::create(std::uint32_t bytes)
{
    return dev->create_vertex_buffer(bytes, usage, fvf, D3DPOOL_DEFAULT);
}

}  // namespace vorlane
