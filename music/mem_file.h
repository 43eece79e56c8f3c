// A read-only file over bytes in memory: the host's file operations for a
// module embedded in the program (or read into memory by a tool). Open
// ignores the name and always presents the current source.
#pragma once

#include <cstdint>

namespace vorlane {

struct mem_file {
    std::int32_t length = 0;    // readable bytes
    std::int32_t position = 0;  // next byte to read, 0 .. length
    const std::uint8_t* bytes = nullptr;
};

// The bytes every later mem_file_open presents. The length may exceed the
// module's own size; the loader reads only what the module describes.
void mem_file_set_source(const std::uint8_t* bytes, std::int32_t length);

// The five operations in the shape set_file_callbacks expects; the handle
// is the mem_file's address. Open never fails.
std::uintptr_t mem_file_open(const char* name);
void mem_file_close(std::uintptr_t handle);
int mem_file_read(void* buffer, int count, std::uintptr_t handle);
void mem_file_seek(std::uintptr_t handle, int offset, std::uint8_t mode);
int mem_file_tell(std::uintptr_t handle);

// set_file_callbacks with the five operations above.
void install_mem_file_callbacks();

}  // namespace vorlane
