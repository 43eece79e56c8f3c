// A minimal WAV writer for 16-bit stereo PCM: the header is written with
// a zero length and patched with the real sizes when the file is closed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

namespace vorlane {

struct wav_writer {
    std::FILE* file = nullptr;
    std::uint32_t data_bytes = 0;

    bool open(const char* path, int rate);
    void write(const std::int16_t* frames, std::uint32_t count);  // stereo frames
    // Patches the sizes and closes; false when a write failed on the way.
    bool close();

    bool failed = false;
    int header_rate = 0;
    std::unique_ptr<char[]> buffer;  // stdio's, until close
    static constexpr std::size_t buffer_bytes = 1 << 20;
};

}  // namespace vorlane
