// The XM loader. Every read is checked against the file: a module that is
// truncated, too large for the player's tables, or whose sample data runs
// past its end is refused as a whole, so the player never sees a
// half-built song. Within those limits modules load as FastTracker 2 wrote
// them, including its habits (missing patterns, key-off notes, 8-bit
// samples widened before their deltas are undone).
#include "music/ring_player.h"
#include "music/sequencer.h"
#include "music/song.h"
#include "music/song_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vorlane {

instrument empty_instrument;
sample empty_sample;

namespace {

// Reads through the installed file operations; any short read or seek
// beyond the end marks the whole load as failed.
struct xm_reader {
    song_file* file = nullptr;
    std::int64_t size = 0;
    bool ok = true;

    void bytes(void* destination, int count)
    {
        if (!ok || count <= 0)
            return;
        if (song_file_read(destination, count, file) != count) {
            ok = false;
            std::memset(destination, 0, std::size_t(count));
        }
    }

    std::uint8_t u8()
    {
        std::uint8_t b[1] = {};
        bytes(b, 1);
        return b[0];
    }

    std::uint16_t u16()
    {
        std::uint8_t b[2] = {};
        bytes(b, 2);
        return std::uint16_t(b[0] | b[1] << 8);
    }

    std::uint32_t u32()
    {
        std::uint8_t b[4] = {};
        bytes(b, 4);
        return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
               std::uint32_t(b[3]) << 24;
    }

    std::int64_t tell() { return song_file_tell(file); }
    std::int64_t left() { return size - tell(); }

    void seek(std::int64_t position)
    {
        if (position < 0 || position > size) {
            ok = false;
            return;
        }
        song_file_seek(file, int(position), seek_set);
    }
};

void read_envelope(xm_reader& in, envelope_point* points)
{
    for (int i = 0; i < max_envelope_points; ++i) {
        points[i].x = in.u16();
        // Levels above 64 only come from broken files; they would overflow
        // the voice's 8-bit levels.
        points[i].y = std::min<std::uint16_t>(in.u16(), 64);
    }
}

// Point counts beyond the twelve stored points, and loop points outside
// the points in use, would index past the envelope.
void sanitize_envelope(std::uint8_t& points, std::uint8_t& type, std::uint8_t loop_start,
                       std::uint8_t loop_end)
{
    points = std::min<std::uint8_t>(points, max_envelope_points);
    if (points < 2)
        type = 0;
    if (loop_start >= points || loop_end >= points)
        type &= std::uint8_t(~envelope_loop);
}

bool read_patterns(xm_reader& in, song* s, int file_patterns)
{
    int channels = s->num_channels;
    for (int p = 0; p < file_patterns; ++p) {
        std::int64_t header_start = in.tell();
        std::uint32_t header_length = in.u32();
        in.u8();  // packing type, always 0
        int rows = in.u16();
        int packed_size = in.u16();
        if (!in.ok || rows == 0 || rows > max_rows)
            return false;
        if (header_length > 9)
            in.seek(header_start + header_length);
        pattern& pat = s->patterns[p];
        pat.rows = rows;
        pat.cells = new cell[std::size_t(rows) * std::size_t(channels)]();
        if (packed_size == 0)
            continue;
        if (packed_size > in.left())
            return false;
        std::vector<std::uint8_t> data(static_cast<std::size_t>(packed_size));
        in.bytes(data.data(), packed_size);
        // Cells are decoded only from the pattern's own packed data: data that
        // ends early leaves the remaining cells empty, extra data is skipped.
        std::size_t at = 0;
        auto next = [&]() -> std::uint8_t { return at < data.size() ? data[at++] : 0; };
        for (int i = 0; i < rows * channels && at < data.size(); ++i) {
            cell& c = pat.cells[i];
            std::uint8_t b = next();
            if (b & 0x80) {
                if (b & 1)
                    c.note = next();
                if (b & 2)
                    c.instrument = next();
                if (b & 4)
                    c.volume = next();
                if (b & 8)
                    c.effect = next();
                if (b & 16)
                    c.parameter = next();
            } else {
                c.note = b;
                c.instrument = next();
                c.volume = next();
                c.effect = next();
                c.parameter = next();
            }
            if (c.note == 97)
                c.note = note_key_off;
            else if (c.note > 97)
                c.note = 0;  // beyond the 96-note keymap
            if (c.instrument > max_instruments)
                c.instrument = 0;
        }
    }
    return in.ok;
}

// The sample header's fields, as the derivations below need them.
sample* read_sample_header(xm_reader& in)
{
    auto* smp = new sample{};
    smp->length = in.u32();
    smp->loop_start = in.u32();
    smp->loop_length = in.u32();
    smp->volume = std::min<std::uint8_t>(in.u8(), 64);
    smp->finetune = std::int8_t(in.u8());
    std::uint8_t type = in.u8();
    smp->pan = in.u8();
    smp->relative_note = std::int8_t(in.u8());
    std::uint8_t skip[23];
    in.bytes(skip, sizeof skip);  // reserved byte and name

    smp->loop_mode = loop_none;
    if (type & 1)
        smp->loop_mode = loop_forward;
    if (type & 2)
        smp->loop_mode = loop_pingpong;
    smp->bit_depth = (type & 16) ? 16 : 8;
    if (smp->loop_mode == loop_none) {
        smp->loop_start = 0;
        smp->loop_length = smp->length;
    }
    if (smp->bit_depth == 16) {
        smp->length /= 2;
        smp->loop_start /= 2;
        smp->loop_length /= 2;
    }
    // A loop reaching past the data would make the mixer read (and the
    // guard value be written) beyond the sample: cut it to the data.
    if (smp->loop_start >= smp->length)
        smp->loop_length = 0;
    else if (smp->loop_length > smp->length - smp->loop_start)
        smp->loop_length = smp->length - smp->loop_start;
    if (smp->loop_length == 0) {
        smp->loop_start = 0;
        smp->loop_length = smp->length;
        smp->loop_mode = loop_none;
    }
    return smp;
}

bool read_sample_data(xm_reader& in, song* s, sample* smp, int instrument_index, int sample_index)
{
    if (smp->length == 0)
        return true;
    std::int64_t bytes = std::int64_t(smp->bit_depth) * smp->length / 8;
    if (bytes > in.left())
        return false;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(bytes));
    if (s->sample_hook) {
        s->sample_hook(buffer.data(), int(bytes), smp->bit_depth, instrument_index, sample_index);
        in.seek(in.tell() + bytes);
    } else {
        in.bytes(buffer.data(), int(bytes));
    }
    if (!in.ok)
        return false;
    smp->pcm = new std::int16_t[std::size_t(smp->length) + 8]();
    if (smp->bit_depth == 8) {
        // The byte goes to the high half, so undoing the deltas in 16 bits
        // below equals summing the bytes modulo 256.
        for (std::uint32_t i = 0; i < smp->length; ++i)
            smp->pcm[i] = std::int16_t(std::uint16_t(buffer[i] << 8));
        smp->bit_depth = 16;
    } else {
        for (std::uint32_t i = 0; i < smp->length; ++i)
            smp->pcm[i] = std::int16_t(std::uint16_t(buffer[2 * i] | buffer[2 * i + 1] << 8));
    }
    if (!s->sample_hook) {
        std::uint16_t previous = 0;
        for (std::uint32_t i = 0; i < smp->length; ++i) {
            previous = std::uint16_t(previous + std::uint16_t(smp->pcm[i]));
            smp->pcm[i] = std::int16_t(previous);
        }
    }
    // The interpolating mixer reads one value behind the last loop position.
    std::uint32_t end = smp->loop_end();
    if (smp->loop_mode == loop_forward)
        smp->pcm[end] = smp->pcm[smp->loop_start];
    else if (smp->loop_mode == loop_pingpong)
        smp->pcm[end] = smp->pcm[end - 1];
    return true;
}

bool read_instrument(xm_reader& in, song* s, int index)
{
    instrument& ins = s->instruments[index];
    std::int64_t start = in.tell();
    std::uint32_t header_size = in.u32();
    std::uint8_t name_and_type[23];
    in.bytes(name_and_type, sizeof name_and_type);
    int n = in.u16();
    if (!in.ok || n > 16)
        return false;
    ins.num_samples = n;
    if (n == 0) {
        for (auto& slot : ins.samples)
            slot = &empty_sample;
        in.seek(start + header_size);
        return in.ok;
    }
    in.u32();  // sample header size: always 40
    in.bytes(ins.keymap, sizeof ins.keymap);
    read_envelope(in, ins.vol_env);
    read_envelope(in, ins.pan_env);
    ins.vol_points = in.u8();
    ins.pan_points = in.u8();
    ins.vol_sustain = in.u8();
    ins.vol_loop_start = in.u8();
    ins.vol_loop_end = in.u8();
    ins.pan_sustain = in.u8();
    ins.pan_loop_start = in.u8();
    ins.pan_loop_end = in.u8();
    ins.vol_type = in.u8();
    ins.pan_type = in.u8();
    ins.vibrato_type = in.u8();
    ins.vibrato_sweep = in.u8();
    ins.vibrato_depth = in.u8();
    ins.vibrato_rate = in.u8();
    ins.fadeout = std::uint16_t(in.u16() * 2);
    sanitize_envelope(ins.vol_points, ins.vol_type, ins.vol_loop_start, ins.vol_loop_end);
    sanitize_envelope(ins.pan_points, ins.pan_type, ins.pan_loop_start, ins.pan_loop_end);
    in.seek(start + header_size);
    if (!in.ok)
        return false;

    for (int i = 0; i < n; ++i) {
        ins.samples[i] = read_sample_header(in);
        if (!in.ok)
            return false;
    }
    for (int i = n; i < 16; ++i)
        ins.samples[i] = &empty_sample;
    for (int i = 0; i < n; ++i)
        if (!read_sample_data(in, s, ins.samples[i], index, i))
            return false;
    return in.ok;
}

}  // namespace

bool load_xm(song* s, song_file* file)
{
    xm_reader in;
    in.file = file;
    song_file_seek(file, 0, seek_end);
    in.size = song_file_tell(file);
    song_file_seek(file, 0, seek_set);

    char id[17];
    in.bytes(id, sizeof id);
    if (!in.ok || std::memcmp(id, "Extended Module: ", 17) != 0)
        return false;
    s->tick_handler = song_tick;
    s->default_global_volume = 64;

    in.seek(60);
    std::uint32_t header_size = in.u32();
    int song_length = in.u16();
    int restart_pos = in.u16();
    int num_channels = in.u16();
    int file_patterns = in.u16();
    int num_instruments = in.u16();
    s->format_flags = std::int16_t(in.u16());
    s->default_speed = std::int16_t(in.u16());
    s->default_bpm = std::int16_t(in.u16());
    in.bytes(s->orders, sizeof s->orders);
    if (!in.ok || song_length > 256 || num_channels > max_channels ||
        num_instruments > max_instruments || file_patterns > max_patterns || s->default_bpm < 1)
        return false;
    s->song_length = std::int16_t(song_length);
    // A restart beyond the order table would send the song into orders it
    // never declared.
    s->restart_pos = std::int16_t(restart_pos < song_length ? restart_pos : 0);
    s->num_channels = std::int16_t(num_channels);
    s->num_instruments = std::int16_t(num_instruments);
    in.seek(60 + std::int64_t(header_size));

    s->num_patterns_used = 0;
    for (int i = 0; i < song_length; ++i)
        s->num_patterns_used = std::max(s->num_patterns_used, s->orders[i] + 1);
    s->num_patterns = std::max(file_patterns, s->num_patterns_used);
    s->patterns = new pattern[std::size_t(s->num_patterns)]();
    if (!read_patterns(in, s, file_patterns))
        return false;
    for (int p = file_patterns; p < s->num_patterns_used; ++p) {
        s->patterns[p].rows = 64;
        s->patterns[p].cells = new cell[std::size_t(64) * std::size_t(num_channels)]();
    }

    s->instruments = new instrument[std::size_t(std::max(num_instruments, 1))]();
    for (int i = 0; i < num_instruments; ++i)
        if (!read_instrument(in, s, i))
            return false;
    return in.ok;
}

namespace {

void release_song(song* s)
{
    if (s->instruments) {
        for (int i = 0; i < s->num_instruments; ++i) {
            instrument& ins = s->instruments[i];
            for (int j = 0; j < ins.num_samples && j < 16; ++j) {
                if (ins.samples[j] && ins.samples[j] != &empty_sample) {
                    delete[] ins.samples[j]->pcm;
                    delete ins.samples[j];
                }
            }
        }
        delete[] s->instruments;
    }
    if (s->patterns) {
        for (int p = 0; p < s->num_patterns; ++p)
            delete[] s->patterns[p].cells;
        delete[] s->patterns;
    }
    delete s;
}

}  // namespace

song* song_load(const char* name, sample_hook_op sample_hook)
{
    song_file* file = song_file_open(name);
    if (!file)
        return nullptr;
    auto* s = new song{};
    s->sample_hook = sample_hook;
    bool ok = load_xm(s, file);
    song_file_close(file);
    if (ok)
        return s;
    // Not song_free: a module that fails to load must not stop whatever
    // song is playing.
    release_song(s);
    return nullptr;
}

bool song_free(song* s)
{
    if (!s)
        return false;
    song_stop(s);
    release_song(s);
    return true;
}

}  // namespace vorlane
