// Captured frames written on a thread of their own while the show draws
// the next ones: encoding a PNG costs about as much as drawing a frame on
// the software renderer, and the two then overlap.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vorlane {

class frame_writer {
public:
    // Writes frame number (0, 1, 2, ... in the order pushed); true when it
    // was written. Runs on the writer's thread only.
    using write_function = std::function<bool(int number, std::vector<std::uint32_t>& pixels)>;

    explicit frame_writer(write_function write);
    frame_writer(const frame_writer&) = delete;
    frame_writer& operator=(const frame_writer&) = delete;
    // Writes what is still queued, then ends the thread.
    ~frame_writer();

    // Queues the next frame. While two frames already wait it waits, so
    // that memory stays bounded when writing is slower than drawing. False
    // once a write has failed; no later frame is written then.
    bool push(std::vector<std::uint32_t> pixels);
    // Waits until every frame pushed is written or skipped. False when a
    // write failed; failed then holds its number.
    bool finish();

    int failed = -1;  // the frame whose write failed; read after push or finish says so

private:
    void run();

    write_function write;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::vector<std::uint32_t>> waiting;
    int next_number = 0;
    bool busy = false;     // a frame is being written
    bool closing = false;  // the destructor has begun
    std::thread worker;    // last: it starts once everything above exists
};

}  // namespace vorlane
