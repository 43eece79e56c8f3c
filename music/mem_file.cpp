#include "music/mem_file.h"

#include "music/song_file.h"

#include <algorithm>
#include <cstring>

namespace vorlane {

namespace {

const std::uint8_t* source_bytes = nullptr;
std::int32_t source_length = 0;

mem_file* from_handle(std::uintptr_t handle)
{
    return reinterpret_cast<mem_file*>(handle);
}

}  // namespace

void mem_file_set_source(const std::uint8_t* bytes, std::int32_t length)
{
    source_bytes = bytes;
    source_length = std::max(length, 0);
}

std::uintptr_t mem_file_open(const char*)
{
    auto* f = new mem_file{};
    f->length = source_length;
    f->bytes = source_bytes;
    return reinterpret_cast<std::uintptr_t>(f);
}

void mem_file_close(std::uintptr_t handle)
{
    delete from_handle(handle);
}

int mem_file_read(void* buffer, int count, std::uintptr_t handle)
{
    mem_file* f = from_handle(handle);
    if (count <= 0)
        return 0;
    if (std::int64_t(f->position) + count >= f->length)
        count = f->length - f->position;
    if (count <= 0)
        return 0;
    std::memcpy(buffer, f->bytes + f->position, std::size_t(count));
    f->position += count;
    return count;
}

void mem_file_seek(std::uintptr_t handle, int offset, std::uint8_t mode)
{
    mem_file* f = from_handle(handle);
    std::int64_t p = f->position;
    if (mode == seek_set)
        p = offset;
    else if (mode == seek_cur)
        p += offset;
    else if (mode == seek_end)
        p = std::int64_t(f->length) + offset;
    // Clamped at both ends: a position before the bytes would make the next
    // read copy from outside them.
    f->position = std::int32_t(std::clamp<std::int64_t>(p, 0, f->length));
}

int mem_file_tell(std::uintptr_t handle)
{
    return from_handle(handle)->position;
}

void install_mem_file_callbacks()
{
    set_file_callbacks(mem_file_open, mem_file_close, mem_file_read, mem_file_seek, mem_file_tell);
}

}  // namespace vorlane
