#include "music/ring_player.h"

#include "music/mixer.h"
#include "music/sequencer.h"
#include "music/song_file.h"
#include "music/voice.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace vorlane {

int fill_block = 0;

namespace {

std::unique_ptr<wave_out> device;
bool device_open = false;
song* current = nullptr;

// The ring outlives song_stop: the device keeps looping it until it is
// reset (next song_play or sound_close).
std::int16_t* ring = nullptr;
float* mix_buffer = nullptr;

// Sharing between the main thread and the audio thread. The thread is
// started and joined by the main thread, and both give a full
// happens-before edge, so the flags below carry no data of their own and
// are relaxed: they only need to arrive. The one exception is play_block,
// which publishes position-table entries to the queries.
std::atomic<bool> stop_request{false};  // main -> thread: leave the loop
std::atomic<bool> mixing{false};        // thread: inside a block
std::atomic<bool> thread_done{true};    // thread: has left its loop
std::thread audio_thread;

// One entry per block: order (bits 0-7), row (8-15), song clock (16-47).
// Entries are written relaxed; play_block is moved onto an entry with a
// release store only after that entry's latest write (a ring earlier), so
// a query that loads play_block with acquire sees that write. Each entry
// is one atomic, so a query never mixes two blocks' records.
std::atomic<std::uint64_t>* positions = nullptr;
std::atomic<int> play_block{0};

std::uint64_t pack_position(const song* s)
{
    return std::uint64_t(std::uint8_t(s->order)) | std::uint64_t(std::uint8_t(s->row)) << 8 |
           std::uint64_t(std::uint32_t(s->time_ms)) << 16;
}

std::uint64_t heard_position(const song* s)
{
    if (!s || !positions)
        return 0;
    return positions[play_block.load(std::memory_order_acquire)].load(std::memory_order_relaxed);
}

void output_thread()
{
    while (!stop_request.load(std::memory_order_relaxed)) {
        output_poll();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    thread_done.store(true, std::memory_order_relaxed);
}

void release_ring()
{
    delete[] ring;
    ring = nullptr;
}

void stop_at_exit()
{
    if (current)
        song_stop(current);
}

}  // namespace

void sound_use_output(std::unique_ptr<wave_out> d)
{
    sound_close();
    device = std::move(d);
}

wave_out* sound_output()
{
    return device.get();
}

bool sound_init(int rate, int)
{
    if (!file_callbacks_installed())
        return false;
    sound_close();
    if (rate <= 0)
        return false;
    mixer_configure(rate);
    if (!device)
        device = wave_out_create(wave_out_kind::card);
    if (!device->open(rate))
        return false;
    device_open = true;
    clear_voices();
    return true;
}

void sound_close()
{
    // The audio thread must not mix into a ring that is about to go.
    if (current)
        song_stop(current);
    if (device && device_open) {
        device->reset();
        device->close();
    }
    device_open = false;
    release_ring();
}

void mix_block()
{
    song* s = current;
    int b = fill_block;
    float* block = mix_buffer + 2 * std::size_t(b) * std::size_t(block_samples);
    std::fill(block, block + 2 * block_samples, 0.0f);
    int left = s->tick_samples_left;
    int done = 0;
    while (done < block_samples) {
        if (left == 0) {
            s->tick_handler(s);
            left = s->tick_samples;  // a tempo change applies to this very tick
        }
        int n = std::min(left, block_samples - done);
        mix_voices(block + 2 * done, n);
        done += n;
        left -= n;
        // Truncated per run, and inv_rate is a little below 1/rate: the song
        // clock runs slow (57703 ms after 3000 blocks of BPM 100).
        s->time_ms += int(double(n) * double(inv_rate) * 1000.0);
    }
    positions[b].store(pack_position(s), std::memory_order_relaxed);
    s->tick_samples_left = left;
    float_to_pcm16(ring + 2 * std::size_t(b) * std::size_t(block_samples), block, block_samples);
    fill_block = b + 1 == num_blocks ? 0 : b + 1;
}

void output_poll()
{
    if (!current || !device_open)
        return;
    std::uint64_t frames = device->position_bytes() / 4;
    int play = int((frames % std::uint64_t(ring_samples)) / std::uint64_t(block_samples));
    bool wrote = false;
    // Every block the device has finished since the last poll is re-mixed,
    // also when a late poll finds it past the ring's end at block 2 or
    // beyond: waiting for it to come round to block 0 instead would replay
    // a whole ring of old sound and stop the song clock for two seconds.
    while (fill_block != play) {
        mixing.store(true, std::memory_order_relaxed);
        // The block about to be mixed has just been heard; the queries move
        // on to the one being heard before its entry is rewritten, so they
        // never see a record from two seconds ahead.
        int heard = play_block.load(std::memory_order_relaxed) + 1;  // only this thread writes it
        play_block.store(heard == num_blocks ? 0 : heard, std::memory_order_release);
        mix_block();
        mixing.store(false, std::memory_order_relaxed);
        wrote = true;
    }
    if (wrote)
        device->ring_written();
}

bool song_play(song* s)
{
    if (!s)
        return false;
    song_stop(s);
    if (!device_open)
        return false;
    song_reset(s);
    // Voices may still point at the samples of a song freed since.
    clear_voices();
    current = s;

    device->reset();
    release_ring();
    positions = new std::atomic<std::uint64_t>[std::size_t(num_blocks)];
    for (int i = 0; i < num_blocks; ++i)
        positions[i].store(0, std::memory_order_relaxed);
    ring = new std::int16_t[2 * std::size_t(ring_samples)]();
    mix_buffer = new float[2 * std::size_t(ring_samples)]();

    fill_block = 0;
    play_block.store(0, std::memory_order_relaxed);
    do
        mix_block();
    while (fill_block != 0);
    device->play_loop(ring, std::uint32_t(ring_samples) * 4);

    stop_request.store(false, std::memory_order_relaxed);
    if (!device->polled_by_user()) {
        // A library that calls exit() behind our back (Xlib on a lost
        // display) must not destroy a running thread: stop it first.
        static const bool stop_registered = std::atexit(stop_at_exit) == 0;
        (void)stop_registered;
        // Cleared here, not by the thread: a stop that comes before the
        // thread has run must still wait for it.
        thread_done.store(false, std::memory_order_relaxed);
        audio_thread = std::thread(output_thread);
    }
    return true;
}

bool song_stop(song* s)
{
    if (!s)
        return false;
    stop_request.store(true, std::memory_order_relaxed);
    while (mixing.load(std::memory_order_relaxed))
        std::this_thread::yield();
    if (audio_thread.joinable()) {
        // The thread leaves its loop within one 5 ms poll; a block never takes
        // long, since every tick is at least one frame.
        while (!thread_done.load(std::memory_order_relaxed))
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        audio_thread.join();
    }
    delete[] mix_buffer;
    mix_buffer = nullptr;
    current = nullptr;
    delete[] positions;
    positions = nullptr;
    return true;
}

int song_get_order(song* s)
{
    return int(heard_position(s) & 0xff);
}

int song_get_row(song* s)
{
    return int(heard_position(s) >> 8 & 0xff);
}

int song_get_time(song* s)
{
    return int(std::int32_t(std::uint32_t(heard_position(s) >> 16)));
}

double song_progress(const song* s)
{
    // Order and row from one record, so that they belong to the same block.
    const std::uint64_t heard = heard_position(s);
    if (!s)
        return 0.0;
    const int order = int(heard & 0xff);
    long total = 0;
    long before = int(heard >> 8 & 0xff);
    for (int i = 0; i < s->song_length; ++i) {
        const int rows = s->patterns[s->orders[i]].rows;
        if (i < order)
            before += rows;
        total += rows;
    }
    return total > 0 ? double(before) / double(total) : 0.0;
}

}  // namespace vorlane
