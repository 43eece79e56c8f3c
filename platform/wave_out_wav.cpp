#include "platform/wave_out_wav.h"

#include <cstring>

namespace vorlane {

namespace {

void put_u32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

void put_u16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}

void make_header(std::uint8_t* h, int rate, std::uint32_t data_bytes)
{
    std::memcpy(h, "RIFF", 4);
    put_u32(h + 4, 36 + data_bytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put_u32(h + 16, 16);
    put_u16(h + 20, 1);  // PCM
    put_u16(h + 22, 2);
    put_u32(h + 24, std::uint32_t(rate));
    put_u32(h + 28, std::uint32_t(rate) * 4);
    put_u16(h + 32, 4);
    put_u16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    put_u32(h + 40, data_bytes);
}

}  // namespace

bool wav_writer::open(const char* path, int rate)
{
    file = std::fopen(path, "wb");
    if (!file)
        return false;
    // Frames arrive a block at a time: a large buffer saves a system call
    // per block (the C library sizes its own buffer at 4 KiB whatever it is told).
    buffer = std::make_unique<char[]>(buffer_bytes);
    std::setvbuf(file, buffer.get(), _IOFBF, buffer_bytes);
    data_bytes = 0;
    failed = false;
    header_rate = rate;
    std::uint8_t h[44];
    make_header(h, rate, 0);
    failed = std::fwrite(h, 1, sizeof h, file) != sizeof h;
    return !failed;
}

void wav_writer::write(const std::int16_t* frames, std::uint32_t count)
{
    if (!file || count == 0)
        return;
    // WAV data is little-endian, as is every machine we build for.
    std::size_t bytes = std::size_t(count) * 4;
    failed |= std::fwrite(frames, 1, bytes, file) != bytes;
    data_bytes += std::uint32_t(bytes);
}

bool wav_writer::close()
{
    if (!file)
        return !failed;
    std::uint8_t h[44];
    make_header(h, header_rate, data_bytes);
    failed |= std::fseek(file, 0, SEEK_SET) != 0;
    failed |= std::fwrite(h, 1, sizeof h, file) != sizeof h;
    failed |= std::fclose(file) != 0;
    file = nullptr;
    return !failed;
}

}  // namespace vorlane
