#include "driver/frame_writer.h"

namespace vorlane {

namespace {

constexpr std::size_t max_waiting = 2;

}  // namespace

frame_writer::frame_writer(write_function write) : write(std::move(write)), worker([this] { run(); }) {}

frame_writer::~frame_writer()
{
    {
        std::lock_guard lock(mutex);
        closing = true;
    }
    changed.notify_all();
    worker.join();
}

bool frame_writer::push(std::vector<std::uint32_t> pixels)
{
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return waiting.size() < max_waiting || failed >= 0; });
    if (failed >= 0)
        return false;
    waiting.push_back(std::move(pixels));
    changed.notify_all();
    return true;
}

bool frame_writer::finish()
{
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return waiting.empty() && !busy; });
    return failed < 0;
}

void frame_writer::run()
{
    std::unique_lock lock(mutex);
    for (;;) {
        changed.wait(lock, [&] { return !waiting.empty() || closing; });
        if (waiting.empty())
            return;
        std::vector<std::uint32_t> pixels = std::move(waiting.front());
        waiting.pop_front();
        const int number = next_number++;
        const bool skip = failed >= 0;
        busy = true;
        lock.unlock();
        const bool ok = skip || write(number, pixels);
        lock.lock();
        busy = false;
        if (!ok)
            failed = number;
        changed.notify_all();
    }
}

}  // namespace vorlane
